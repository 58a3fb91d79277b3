#!/usr/bin/env bash
# The installer's whole cycle in a fresh Wine prefix of its own: silent install, a burn with
# the installed program and engine, a refused install and uninstall while a recording runs,
# an upgrade that keeps the results area, and a silent uninstall that leaves the prefix's
# files and machine registry as they were.
#   install-cycle.sh <setup.exe> <hostsim.exe> <work folder> <lang folder> <version>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
setup=$(realpath "$1") hostsim=$2 work=$(realpath -m "$3") lang=$4 version=$5

fail() { echo "FAILED: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
"$WINE64" wineboot -i </dev/null >/dev/null 2>&1 || true
wineserver -w
wineserver -p 10

w() { "$WINE64" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
reg_value() { # <key> [name]: the value's data (the default value without a name), empty when missing
  if [ $# -eq 1 ]; then w reg query "$1" /ve | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p' || true
  else w reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" || true; fi
}
snapshot() { # <name>: the prefix's files outside the system folders and the machine registry
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune \
     -o -path './users/*/AppData/Local/Temp' -prune -o -print | sort) > "$work/$1.files"
  w reg export 'HKLM\Software' "$(winpath "$work/$1.reg")" /y >/dev/null
  iconv -f UTF-16LE -t UTF-8 "$work/$1.reg" | tr -d '\r' > "$work/$1.reg.txt"
}
program_files="$WINEPREFIX/drive_c/Program Files/Fennel"
dir='C:\Program Files\Fennel'
clsid='HKLM\Software\Classes\CLSID\{29700ab2-db33-11d3-ade4-00009296f7ef}\InprocServer32'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Fennel'

snapshot before

echo "== silent install"
w "$(winpath "$setup")" /S || fail "install exit code $?"
expected=$( (printf '%s\n' fennel.exe Fennel.qcf recorder.ini fennel_recorder.dll uninstall.exe; ls "$lang") | sort)
[ "$(ls "$program_files" | sort)" = "$expected" ] || fail "installed files: $(ls "$program_files")"
[ "$(reg_value "$clsid")" = "$dir\\fennel_recorder.dll" ] || fail "engine not registered"
[ "$(reg_value "$clsid" ThreadingModel)" = Both ] || fail "engine threading model"
[ "$(reg_value "$entry" DisplayName)" = Fennel ] || fail "Add/Remove entry name"
[ "$(reg_value "$entry" DisplayVersion)" = "$version" ] || fail "Add/Remove entry version"
[ "$(reg_value "$entry" UninstallString)" = "\"$dir\\uninstall.exe\"" ] || fail "uninstall string"
[ "$(reg_value "$entry" DisplayIcon)" = "$dir\\fennel.exe,0" ] || fail "icon"
[ -n "$(reg_value "$entry" Publisher)" ] || fail "publisher"
size=$(reg_value "$entry" EstimatedSize)
[ -n "$size" ] && [ $((size)) -gt 100 ] || fail "estimated size '$size'"

echo "== a burn with the installed program and engine"
python3 - "$work" <<'PY'
import math, struct, sys, wave
for name, seconds in (("short.wav", 2), ("long.wav", 16)):
    with wave.open(f"{sys.argv[1]}/{name}", "wb") as f:
        f.setnchannels(2); f.setsampwidth(2); f.setframerate(44100)
        f.writeframes(b"".join(struct.pack("<hh", v, v) for v in
            (int(8000 * math.sin(2 * math.pi * 440 * n / 44100)) for n in range(44100 * seconds))))
PY
drives() { # <file> <images folder> <paced>
  printf '[Engine]\nPreferredDrive=R\n\n[Drive R]\nName=Virtual CD-R Recorder\nMedia=CD-R\nCapacity=80\nContent=blank\nImages=%s\nImageName=disc\nPaced=%s\nWriteSpeeds=4\n' \
    "$(winpath "$2")" "$3" > "$1"
}
drives "$work/fast.ini" "$work/images" 0
use_drive_file "$work/fast.ini"
host() { "$WINE64" "$hostsim" --fennel "$dir\\fennel.exe" "$@" </dev/null | tr -d '\r'; }
host --quiet-poll --track "$(winpath "$work/short.wav")" -- /S > "$work/burn.txt" || fail "burn: $(cat "$work/burn.txt")"
[ -s "$work/images/disc.cue" ] || fail "no image written"

echo "== install and uninstall refused while a recording runs"
drives "$work/paced.ini" "$work/paced-images" 1
use_drive_file "$work/paced.ini"
host --track "$(winpath "$work/long.wav")" -- /S > "$work/paced.txt" &
burn=$!
for _ in $(seq 100); do grep -q BurnResults "$work/paced.txt" 2>/dev/null && break; sleep 0.1; done
status=0; w "$(winpath "$setup")" /S || status=$?
[ $status -eq 3 ] || fail "install during a recording: exit code $status"
# In place (_?=, unquoted as the uninstaller wants it), so that its exit code is the answer.
printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit %%ERRORLEVEL%%\r\n' "$dir" "$dir" > "$work/uninstall-in-place.bat"
status=0; w cmd /c "$(winpath "$work/uninstall-in-place.bat")" || status=$?
[ $status -eq 3 ] || fail "uninstall during a recording: exit code $status"
kill -0 $burn 2>/dev/null || fail "the recording ended before both were tried"
wait $burn || fail "paced burn: $(cat "$work/paced.txt")"
[ "$(ls "$program_files" | sort)" = "$expected" ] || fail "files changed by a refused run"

echo "== upgrade keeps the results area"
w reg add 'HKCU\Software\Fennel' /v UserMark /d kept /f >/dev/null
w reg export 'HKCU\Software\Fennel' "$(winpath "$work/results-before.reg")" /y >/dev/null
w "$(winpath "$setup")" /S || fail "upgrade exit code $?"
w reg export 'HKCU\Software\Fennel' "$(winpath "$work/results-after.reg")" /y >/dev/null
cmp -s "$work/results-before.reg" "$work/results-after.reg" || fail "the results area changed"
[ "$(reg_value "$clsid")" = "$dir\\fennel_recorder.dll" ] || fail "engine not registered after the upgrade"

echo "== silent uninstall leaves nothing behind"
w reg delete 'HKCU\Software\Fennel\Recorder' /f >/dev/null
# The uninstaller runs from a temporary copy: wait for that one to end.
w "$dir\\uninstall.exe" /S || fail "uninstall exit code $?"
# Removing the folder is its last step.
for _ in $(seq 300); do [ -e "$program_files" ] || break; sleep 0.1; done
sleep 1
wineserver -k; wineserver -w
wineserver -p 10
snapshot after
diff "$work/before.files" "$work/after.files" || fail "files left behind (> above)"
diff "$work/before.reg.txt" "$work/after.reg.txt" || fail "machine registry differs (> above)"
echo "installer cycle ok"
wineserver -k
rm -rf "$WINEPREFIX"
