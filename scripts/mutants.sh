#!/usr/bin/env bash
# Mutation run: how many realistic faults in the portable code the native tests catch.
# Each mutant of scripts/mutants.list (one small change to one source file) is applied to a
# copy of the committed tree (HEAD, or --rev), built incrementally and tested with ctest; a failing
# or timed-out test kills it. The working tree is never touched.
#   scripts/mutants.sh [--list] [--only ID...] [--tree DIR] [-j N] [--rev COMMIT] [--file LIST]
# --tree keeps the copy and its build in DIR for the next run (default: a temporary folder,
# removed at the end). Exit status: 0 when every mutant was killed, 1 when one survived,
# was stale (its text no longer occurs exactly once) or did not compile, 2 on a setup failure.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exec python3 - "$here" "$@" <<'PY'
import argparse, atexit, os, re, shutil, signal, subprocess, sys, tempfile, time

here = sys.argv[1]
parser = argparse.ArgumentParser(prog="mutants.sh")
parser.add_argument("--list", action="store_true", help="show the mutants and stop")
parser.add_argument("--only", nargs="+", metavar="ID", help="run only these mutants")
parser.add_argument("--tree", help="scratch folder kept between runs (copy and build)")
parser.add_argument("-j", type=int, default=2, help="build and test jobs (default 2)")
parser.add_argument("--rev", default="HEAD", help="commit to copy (default HEAD)")
parser.add_argument("--file", default=os.path.join(here, "mutants.list"), help="mutant list")
args = parser.parse_args(sys.argv[2:])


def parse_list(path):
    """Entries start with '---- <id>', then 'file:' and 'note:' lines, then '@@@', the
    original text, '@@@', the replacement. Texts are taken verbatim without their last
    line break; empty lines and lines starting with '#' after a text (between entries) do
    not belong to it."""
    mutants, current, block = [], None, None
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, line in enumerate(lines, 1):
        if line.startswith("---- "):
            current = {"id": line[5:].strip(), "file": "", "note": "", "texts": [], "line": number}
            mutants.append(current)
            block = None
        elif current is None:
            continue
        elif line == "@@@":
            current["texts"].append([])
            block = current["texts"][-1]
        elif block is not None:
            block.append(line)
        elif line.startswith("file:"):
            current["file"] = line[5:].strip()
        elif line.startswith("note:"):
            current["note"] = line[5:].strip()
    seen = set()
    for m in mutants:
        texts = m.pop("texts")
        if len(texts) != 2 or not m["file"] or not m["id"]:
            sys.exit(f"{path}:{m['line']}: a mutant needs an id, file:, and two @@@ texts")
        for t in texts:
            while t and (t[-1] == "" or t[-1].startswith("#")):
                t.pop()
        m["original"], m["replacement"] = "\n".join(texts[0]), "\n".join(texts[1])
        if not m["original"] or m["original"] == m["replacement"]:
            sys.exit(f"{path}:{m['line']}: mutant {m['id']} changes nothing")
        if m["id"] in seen:
            sys.exit(f"{path}:{m['line']}: mutant id {m['id']} given twice")
        seen.add(m["id"])
    return mutants


mutants = parse_list(args.file)
if args.only:
    unknown = [i for i in args.only if i not in {m["id"] for m in mutants}]
    if unknown:
        sys.exit("unknown mutant: " + " ".join(unknown))
    mutants = [m for m in mutants if m["id"] in args.only]
if args.list:
    for m in mutants:
        print(f"{m['id']:<30} {m['file']:<46} {m['note']}")
    print(f"{len(mutants)} mutants")
    sys.exit(0)

repo = subprocess.run(["git", "-C", here, "rev-parse", "--show-toplevel"], capture_output=True,
                      text=True, check=True).stdout.strip()
if args.tree:
    scratch = os.path.abspath(args.tree)
    os.makedirs(scratch, exist_ok=True)
else:
    scratch = tempfile.mkdtemp(prefix="fennel-mutants.")
    atexit.register(shutil.rmtree, scratch, True)
for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    signal.signal(sig, lambda *_: sys.exit(130))
src, build = os.path.join(scratch, "src"), os.path.join(scratch, "build")
nice = ["nice", "-n", "10"] if shutil.which("nice") else []


def run(command, timeout=None):
    try:
        p = subprocess.run(nice + command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True, errors="replace", timeout=timeout)
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        return None, out


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    now = time.time_ns()
    os.utime(path, ns=(now, now))  # newer than every object, whatever the clock's resolution


def sync_head():
    """Makes src the committed tree (args.rev); files that differ are rewritten (fresh times, so that
    only they rebuild), files that HEAD lacks are removed."""
    export = tempfile.mkdtemp(prefix="export.", dir=scratch)
    try:
        archive = subprocess.Popen(["git", "-C", repo, "archive", args.rev], stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", export], stdin=archive.stdout, check=True)
        if archive.wait() != 0:
            sys.exit(f"git archive {args.rev} failed")
        wanted = set()
        for root, _, files in os.walk(export):
            for name in files:
                rel = os.path.relpath(os.path.join(root, name), export)
                wanted.add(rel)
                target = os.path.join(src, rel)
                with open(os.path.join(root, name), "rb") as f:
                    data = f.read()
                if os.path.isfile(target) and not os.path.islink(target):
                    with open(target, "rb") as f:
                        if f.read() == data:
                            continue
                os.makedirs(os.path.dirname(target), exist_ok=True)
                if os.path.lexists(target):
                    os.remove(target)
                with open(target, "wb") as f:
                    f.write(data)
                shutil.copymode(os.path.join(root, name), target)
        for root, _, files in os.walk(src):
            for name in files:
                path = os.path.join(root, name)
                if os.path.relpath(path, src) not in wanted:
                    os.remove(path)
    finally:
        shutil.rmtree(export, True)


def ctest(stop_on_failure):
    command = ["ctest", "--test-dir", build, "-j", str(args.j), "--timeout", "60"]
    command += ["--stop-on-failure"] if stop_on_failure else ["--output-on-failure"]
    # Cases carry their own (longer) time-outs; a mutant that loops is stopped here.
    return run(command, timeout=900)


started = time.time()
head = subprocess.run(["git", "-C", repo, "rev-parse", "--short", args.rev], capture_output=True,
                      text=True).stdout.strip()
print(f"== copying {args.rev} ({head}) into {scratch}", flush=True)
os.makedirs(src, exist_ok=True)
sync_head()
if not os.path.isfile(os.path.join(build, "CMakeCache.txt")):
    configure = ["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                 "-DFENNEL_SANITIZE=OFF", "-DFENNEL_FUZZ=OFF", "-DFENNEL_BENCH=OFF", "-DFENNEL_TESTS=ON"]
    if shutil.which("ccache"):
        configure += ["-DCMAKE_C_COMPILER_LAUNCHER=ccache", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"]
    code, out = run(configure)
    if code != 0:
        print(out)
        sys.exit(2)
print("== building", flush=True)
code, out = run(["ninja", "-C", build, "-j", str(args.j)])
if code != 0:
    print(out[-6000:])
    print("the committed tree does not build")
    sys.exit(2)
print("== running the native tests once", flush=True)
code, out = ctest(False)
if code != 0:
    print(out[-6000:])
    print("the native tests do not pass on the committed tree")
    sys.exit(2)
count = re.search(r"out of (\d+)", out)
print(f"== {count.group(1) if count else '?'} tests pass; {len(mutants)} mutants "
      f"({time.time() - started:.0f} s so far)", flush=True)

results = {}
for m in mutants:
    t0 = time.time()
    path = os.path.join(src, m["file"])
    original = None
    if os.path.isfile(path):
        with open(path, encoding="utf-8", newline="") as f:
            original = f.read()
    if original is None or original.count(m["original"]) != 1:
        status = "stale"
    else:
        try:
            write(path, original.replace(m["original"], m["replacement"], 1))
            code, out = run(["ninja", "-C", build, "-j", str(args.j)], timeout=1200)
            if code != 0:
                status = "not compiled"
            else:
                code, out = ctest(True)
                status = "SURVIVED" if code == 0 else "killed"
        finally:
            write(path, original)
    results[m["id"]] = status
    print(f"{m['id']:<30} {m['file']:<46} {status:<13} {time.time() - t0:5.0f} s", flush=True)

killed = [m for m in mutants if results[m["id"]] == "killed"]
survived = [m for m in mutants if results[m["id"]] == "SURVIVED"]
stale = [m for m in mutants if results[m["id"]] == "stale"]
uncompiled = [m for m in mutants if results[m["id"]] == "not compiled"]
ran = len(killed) + len(survived)
percent = 100.0 * len(killed) / ran if ran else 0.0
print(f"\nkilled {len(killed)} of {ran} ({percent:.0f} %)", end="")
print(f"; stale {len(stale)}; not compiled {len(uncompiled)}; {time.time() - started:.0f} s in all")
for title, group in (("survivors", survived), ("stale", stale), ("not compiled", uncompiled)):
    if group:
        print(f"{title}:")
        for m in group:
            print(f"  {m['id']:<30} {m['file']}: {m['note']}")
sys.exit(0 if not (survived or stale or uncompiled) else 1)
PY
