#!/usr/bin/env bash
# Installs what is missing, builds the native, win64 and win32 trees, runs every test
# (native with sanitizers, short fuzz runs, Windows tests under Wine) and prints one summary.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# CI (which sets CI, as .ci/run does) fuzzes each target briefly; local runs a little longer.
if [ -n "${CI:-}" ]; then FUZZ_SECONDS=${FUZZ_SECONDS:-10}; else FUZZ_SECONDS=${FUZZ_SECONDS:-30}; fi
declare -a RESULTS=()
failed=0
phase_start=$SECONDS
record() { # <label> <status>: also the seconds since the previous record
  RESULTS+=("$1: $([ "$2" -eq 0 ] && echo ok || echo FAILED) ($((SECONDS - phase_start)) s)")
  [ "$2" -eq 0 ] || failed=$((failed+1))
  phase_start=$SECONDS
}

# ccache's hit and miss counts, to print what this run added.
ccache_counts() {
  command -v ccache >/dev/null || return 0
  ccache --print-stats 2>/dev/null | awk '$1 ~ /^(direct|preprocessed)_cache_hit$/ { h += $2 }
    $1 == "cache_miss" { m = $2 } END { print h + 0, m + 0 }'
}

# Adds a ctest run's counts to the totals.
TOTAL_PASS=0; TOTAL_FAIL=0
ctest_run() { # <label> <tree> [ctest args...]
  local label=$1 tree=$2; shift 2
  local out="$FENNEL_BUILD/$label-ctest.log"
  (cd "$tree" && ctest --output-on-failure -j "$JOBS" "$@") 2>&1 | tee "$out" | grep -vE '^\s+(Start|[0-9]+/[0-9]+ Test)' 
  local status=${PIPESTATUS[0]}
  local line; line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$out" | tail -1)
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    TOTAL_FAIL=$((TOTAL_FAIL + BASH_REMATCH[1]))
    TOTAL_PASS=$((TOTAL_PASS + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
  record "$label tests" "$status"
}

log "dependencies"
install_deps || { echo "dependency installation failed"; exit 1; }
record "dependencies" 0

log "folder layers"
mkdir -p "$FENNEL_BUILD"
"$FENNEL_ROOT/scripts/layers.sh" >"$FENNEL_BUILD/layers.log" 2>&1
status=$?
tail -n 1 "$FENNEL_BUILD/layers.log"
[ $status -eq 0 ] || cat "$FENNEL_BUILD/layers.log"
record "folder layers" $status
read -r hits_before misses_before <<<"$(ccache_counts)"

log "native tree (sanitizers)"
configure_tree native -DFENNEL_SANITIZE=ON && build_tree native
record "native build" $?

log "win64 tree"
configure_tree win64 -DCMAKE_TOOLCHAIN_FILE="$FENNEL_ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake" && build_tree win64
record "win64 build" $?

# No test programs here: they cannot run without 32-bit Wine; the win64 tree runs them.
log "win32 tree (the shipped program)"
configure_tree win32 -DCMAKE_TOOLCHAIN_FILE="$FENNEL_ROOT/cmake/toolchain-i686-w64-mingw32.cmake" \
  -DFENNEL_TESTS=OFF && build_tree win32
record "win32 build" $?

log "native tests"
ctest_run native "$FENNEL_BUILD/native"

if [ -d "$FENNEL_ROOT/fuzz" ] && [ -f "$FENNEL_ROOT/fuzz/CMakeLists.txt" ]; then
  log "fuzz targets (${FUZZ_SECONDS}s each)"
  configure_tree fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DFENNEL_FUZZ=ON \
    -DFENNEL_SANITIZE=OFF -DFENNEL_BENCH=OFF -DFENNEL_TESTS=OFF && build_tree fuzz fuzz_all
  status=$?
  if [ $status -eq 0 ]; then
    FUZZ_SECONDS=$FUZZ_SECONDS "$FENNEL_ROOT/scripts/fuzz.sh" --tree "$FENNEL_BUILD/fuzz"
    status=$?
  fi
  record "fuzzing" $status
fi

log "Windows tests under Wine"
wine_env_start "$FENNEL_BUILD/win64"
register_engine "$FENNEL_BUILD/win64"
# Two at a time: the installer's cycle runs in a prefix of its own beside the other tests,
# which take the shared prefix one at a time (their RESOURCE_LOCK).
ctest_run win64 "$FENNEL_BUILD/win64"
wine_env_stop

log "summary"
printf '  %s\n' "${RESULTS[@]}"
echo "$TOTAL_PASS passed, $TOTAL_FAIL failed"
read -r hits_after misses_after <<<"$(ccache_counts)"
if [ -n "${hits_after:-}" ] && [ -n "${hits_before:-}" ]; then
  echo "ccache: $((hits_after - hits_before)) hits, $((misses_after - misses_before)) misses ($CCACHE_DIR)"
fi
echo "total: $SECONDS s"
[ $failed -eq 0 ]
