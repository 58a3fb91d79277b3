#!/usr/bin/env bash
# Runs a Windows executable under 64-bit Wine in the build tree's private prefix.
# WINEPREFIX must be set by the caller (scripts/wine-env.sh); a prefix under the
# build folder is derived from the executable's path otherwise.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(dirname "$(readlink -f "$1")")
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec /usr/lib/wine/wine64 "$@"
