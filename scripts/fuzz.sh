#!/usr/bin/env bash
# Runs every libFuzzer target for FUZZ_SECONDS each (default 600 here; scripts/test.sh runs
# a short bound). Seeds come from fuzz/corpus/<target>; new inputs go to the build tree;
# a crash, or an input that takes over 10 s, leaves its input in <tree>/fuzz-artifacts and
# fails the run.
#   scripts/fuzz.sh [--tree DIR] [target...]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
tree=$FENNEL_BUILD/fuzz
if [ "${1:-}" = --tree ]; then tree=$2; shift 2; fi
FUZZ_SECONDS=${FUZZ_SECONDS:-600}
if [ ! -d "$tree/fuzzers" ]; then
  install_deps
  configure_tree fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DFENNEL_FUZZ=ON \
    -DFENNEL_SANITIZE=OFF -DFENNEL_BENCH=OFF -DFENNEL_TESTS=OFF
  tree=$FENNEL_BUILD/fuzz
  build_tree fuzz fuzz_all || exit 1
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$tree"/fuzzers/*; do [ -x "$f" ] && targets+=("$(basename "$f")"); done
fi
mkdir -p "$tree/fuzz-artifacts"

# One target's run; its verdict is its exit status, its report goes to <tree>/<target>.log.
fuzz_one() {
  local t=$1 work="$tree/corpus/$1" seeds=()
  mkdir -p "$work"
  [ -d "$FENNEL_ROOT/fuzz/corpus/$t" ] && seeds=("$FENNEL_ROOT/fuzz/corpus/$t")
  "$tree/fuzzers/$t" -max_total_time="$FUZZ_SECONDS" -print_final_stats=0 -rss_limit_mb=4096 -timeout=10 \
    -artifact_prefix="$tree/fuzz-artifacts/$t-" "$work" "${seeds[@]}" >"$tree/$t.log" 2>&1
}

# Targets run JOBS at a time (one per core).
declare -A pids=()
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do wait -n || true; done
  echo "-- $t (${FUZZ_SECONDS}s)"
  fuzz_one "$t" & pids[$t]=$!
done
status=0
for t in "${targets[@]}"; do
  if wait "${pids[$t]}"; then
    echo "$t: $(grep -E '^(#[0-9]+\s+DONE|Done)' "$tree/$t.log" | tail -1)"
  else
    status=1
    echo "FUZZ FAILURE in $t:"; tail -40 "$tree/$t.log"
  fi
done
exit $status
