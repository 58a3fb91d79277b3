#!/usr/bin/env bash
# Builds the Windows program and runs it once under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
install_deps
configure_tree win64 -DCMAKE_TOOLCHAIN_FILE="$FENNEL_ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake"
build_tree win64
echo "fennel.exe is not built yet"
