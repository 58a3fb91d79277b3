#!/usr/bin/env bash
# Compares the files an installer carries (as 7-Zip lists them) with the expected list:
# the program, its configuration, every language file in <lang folder>, the engine and its
# drive file, the uninstaller and the plug-in that looks for a running recording.
set -euo pipefail
sevenzip=$1 setup=$2 lang=$3
expected=$(
  printf '%s\n' '$PLUGINSDIR/System.dll' fennel.exe Fennel.qcf recorder.ini fennel_recorder.dll uninstall.exe
  for f in "$lang"/*.lng; do basename "$f"; done
)
actual=$("$sevenzip" l -slt "$setup" | tr -d '\r' | sed -n 's/^Path = //p' | tail -n +2)
if ! diff <(sort <<<"$expected") <(sort <<<"$actual"); then
  echo "$setup: unexpected file list (< expected, > in the installer)" >&2
  exit 1
fi
