#!/usr/bin/env bash
# Builds the Windows program and plays the media player host under Wine: hostsim writes a
# playlist, starts fennel.exe with a burn command line, answers its message boxes and prints
# the result values that fennel.exe left in the registry.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
install_deps
configure_tree win64 -DCMAKE_TOOLCHAIN_FILE="$FENNEL_ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake"
build_tree win64

bin="$FENNEL_BUILD/win64/bin"
trap wine_env_stop EXIT
wine_env_start "$FENNEL_BUILD/win64"
register_engine "$FENNEL_BUILD/win64"

host() { "$WINE64" "$bin/hostsim.exe" "$@" </dev/null | tr -d '\r'; }

log "engine check only (flag C)"
host -- /C
log "media query (flags S and T)"
host -- /S /T
log "silent burn of a sample playlist (flag S)"
host --asx --track 'C:\Music\01 Morning.wma' --track 'C:\Music\02 Noon.mp3' --track 'C:\Music\03 Evening.wav' -- /S
log "burn with the window (the host's usual command line); message boxes answered No"
host --track 'C:\Music\01 Morning.wma' --answer no
log "the same burn for a French user (locale 0000040C): every message in French"
host --locale 0000040C --track 'C:\Music\01 Morning.wma' --answer no
