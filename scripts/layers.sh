#!/usr/bin/env bash
# The arrows between the product's folders: which folder's sources include which other
# folder's headers, with the number of include lines. Folders are the top-level ones and
# each lib/<library>; tests, fuzz targets and benchmarks may include anything and are not
# counted. inc/ holds headers that support/ and lib/LangStrings implement, so its arrows are
# listed but not followed. Exits 1 when the other arrows make a cycle (a folder reaching itself through others),
# naming the include lines of the cycle, so that the layers keep pointing one way.
#   scripts/layers.sh            prints the arrows, then "no cycle" or the cycle
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec python3 - "$root" <<'PY'
import os, re, sys
from collections import defaultdict

root = sys.argv[1]
skipped = {"tests", "fuzz", "bench", "build", "scripts", "cmake", ".git", ".ci"}
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
# A header named without a folder ("string_ext.h") is one of inc/'s, found on its path.
in_inc = set(os.listdir(os.path.join(root, "inc"))) if os.path.isdir(os.path.join(root, "inc")) else set()


def folder_of(path):
    parts = path.split("/")
    if len(parts) < 2:
        return None
    return "/".join(parts[:2]) if parts[0] == "lib" and len(parts) > 2 else parts[0]


arrows = defaultdict(list)  # (from, to) -> ["file:line", ...]
for top in sorted(os.listdir(root)):
    if top in skipped or top.startswith(".") or not os.path.isdir(os.path.join(root, top)):
        continue
    for dirpath, _, files in os.walk(os.path.join(root, top)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".c", ".rc")):
                continue
            path = os.path.relpath(os.path.join(dirpath, name), root)
            source = folder_of(path)
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = include.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    if "/" not in target:
                        target = "inc/" + target if target in in_inc else None
                    target = folder_of(target) if target else None
                    if target and target != source and os.path.isdir(os.path.join(root, target)):
                        arrows[(source, target)].append(f"{path}:{number}")

print("folder arrows (include lines):")
for (a, b), places in sorted(arrows.items()):
    print(f"  {a} -> {b}  ({len(places)})")

graph = defaultdict(set)
for a, b in arrows:
    if "inc" not in (a, b):
        graph[a].add(b)


def cycle_from(start):
    """A path start -> ... -> start, or None."""
    stack, seen = [(start, [start])], set()
    while stack:
        node, path = stack.pop()
        for nxt in sorted(graph[node]):
            if nxt == start:
                return path + [start]
            if nxt not in seen:
                seen.add(nxt)
                stack.append((nxt, path + [nxt]))
    return None


for folder in sorted(graph):
    cycle = cycle_from(folder)
    if cycle:
        print("cycle: " + " -> ".join(cycle))
        for a, b in zip(cycle, cycle[1:]):
            print(f"  {a} -> {b}: " + ", ".join(arrows[(a, b)][:5]))
        sys.exit(1)
print("no cycle")
PY
