#!/usr/bin/env bash
# The main job end to end under Wine: builds what is missing, registers the recording engine
# with one virtual drive holding a blank 80-minute CD-R, makes three short tunes (WAV, MP3
# and FLAC, the last two with ffmpeg), burns them silently through hostsim (which plays the
# media player host), prints the result values and the image's cue sheet with each track's
# CRC32 and CD-Text (the WAV tune's own tags), and checks that the BIN image holds the
# tracks' samples (the MP3 track within its codec's noise). Then burns the same tunes from
# an M3U8 playlist whose titles take precedence, as an album from a CUE sheet (one FLAC file,
# a gap of its own, CD-Text printed as players show it), and once more with the burn window.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
install_deps
tree="$FENNEL_BUILD/win64"
build_win64 fennel hostsim fennel_recorder

bin="$tree/bin"
demo="$tree/demo"
rm -rf "$demo"
mkdir -p "$demo/music" "$demo/images"

log "making three WAV tunes in $demo/music"
python3 - "$demo/music" <<'PY'
import math, struct, sys, wave
folder = sys.argv[1]
rate = 44100
tunes = {  # note frequencies in Hz, each note 0.4 s
    "01 Morning.wav": [262, 294, 330, 349, 392, 440, 494, 523, 494, 440, 392, 349, 330, 294],
    "02 Noon.wav": [392, 392, 440, 392, 523, 494, 392, 392, 440, 392, 587, 523, 523, 523],
    "03 Evening.wav": [523, 440, 349, 440, 523, 587, 523, 440, 349, 294, 262, 294, 330, 262],
}
for name, notes in tunes.items():
    frames = bytearray()
    per_note = int(rate * 0.4)
    for f in notes:
        for n in range(per_note):
            env = min(1.0, n / 400, (per_note - n) / 400)
            left = int(12000 * env * math.sin(2 * math.pi * f * n / rate))
            right = int(9000 * env * math.sin(2 * math.pi * f * 1.5 * n / rate))
            frames += struct.pack("<hh", left, right)
    with wave.open(f"{folder}/{name}", "wb") as w:
        w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate); w.writeframes(bytes(frames))
    # The first tune names itself in a LIST/INFO chunk, as tagging programs write it.
    if name.startswith("01"):
        def field(tag, text):
            body = text.encode() + b"\0"
            return tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")
        info = b"INFO" + field(b"INAM", "Morning") + field(b"IART", "The Demo Band") + field(b"IPRD", "A Day")
        data = open(f"{folder}/{name}", "rb").read()
        data += b"LIST" + struct.pack("<I", len(info)) + info
        data = data[:4] + struct.pack("<I", len(data) - 8) + data[8:]
        open(f"{folder}/{name}", "wb").write(data)
    print(f"  {name}: {len(frames)} bytes of PCM, {len(frames) / 176400:.1f} s")
PY
log "the second tune as MP3, the third as FLAC; their WAV files stay in $demo/sources for the check"
mkdir -p "$demo/sources"
mv "$demo/music/02 Noon.wav" "$demo/music/03 Evening.wav" "$demo/sources/"
ffmpeg -v error -nostdin -i "$demo/sources/02 Noon.wav" -c:a libmp3lame -b:a 192k "$demo/music/02 Noon.mp3"
ffmpeg -v error -nostdin -i "$demo/sources/03 Evening.wav" -c:a flac "$demo/music/03 Evening.flac"

start_with_blank_cd "$tree" "$demo"

host() { "$WINE64" "$bin/hostsim.exe" "$@" </dev/null | tr -d '\r'; }

log "engine check only (flag C)"
host -- /C || true
log "media query (flags S and T): a blank 80-minute disc"
host -- /S /T || true

log "silent burn of the three tunes (flag S)"
tracks=()
for f in "$demo"/music/*.*; do tracks+=(--track "$(winpath "$f")"); done
status=0
host "${tracks[@]}" --image "$(winpath "$demo/images/disc.cue")" -- /S || status=$?

log "cue sheet of the image"
cat "$demo/images/disc.cue" | tr -d '\r'

log "checking the BIN image against the WAV files"
python3 - "$demo/music" "$demo/images/disc.cue" "$demo/images/disc.bin" <<'PY'
import glob, hashlib, os, re, sys, wave
music, cue, image = sys.argv[1:4]
wavs = sorted(glob.glob(f"{music}/*.wav") + glob.glob(f"{music}/../sources/*.wav"), key=os.path.basename)
starts = []
for line in open(cue, encoding="latin-1"):
    m = re.match(r"\s*INDEX 01 (\d+):(\d+):(\d+)", line)
    if m:
        mm, ss, ff = map(int, m.groups())
        starts.append(((mm * 60 + ss) * 75 + ff) * 2352)
data = open(image, "rb").read()
ok = len(starts) == len(wavs)
print(f"  {len(starts)} track(s) in the cue sheet, {len(wavs)} WAV file(s); BIN {len(data)} bytes")
expected_end = 0
for i, (path, start) in enumerate(zip(wavs, starts)):
    with wave.open(path, "rb") as w:
        pcm = w.readframes(w.getnframes())
    got = data[start:start + len(pcm)]
    same = got == pcm
    lossy = os.path.exists(path[:-4].replace("/sources/", "/music/") + ".mp3")
    if lossy:  # an MP3 track matches within the codec's noise: signal to error above 20 dB
        import array
        a, b = array.array("h", pcm), array.array("h", got.ljust(len(pcm), b"\0"))
        noise = sum((x - y) ** 2 for x, y in zip(a, b)) or 1
        snr = 10 * __import__("math").log10(sum(x * x for x in a) / noise)
        same = snr > 20
    ok &= same
    expected_end = max(expected_end, start + (len(pcm) + 2351) // 2352 * 2352)
    line = f"  track {i + 1}: {os.path.basename(path)} at byte {start}, {len(pcm)} bytes"
    if i == 0:
        line += f", sha256 WAV {hashlib.sha256(pcm).hexdigest()[:16]} BIN {hashlib.sha256(got).hexdigest()[:16]}"
    print(line + (f" (MP3, {snr:.0f} dB)" if lossy else "") + (" ok" if same else " DIFFERENT"))
size_ok = len(data) >= expected_end
print(f"  image size {len(data)} bytes, tracks end by byte {expected_end}: {'ok' if size_ok else 'TOO SHORT'}")
sys.exit(0 if ok and size_ok else 1)
PY
log "the same tunes from an M3U8 playlist beside them (relative paths, titles of its own)"
printf '#EXTM3U\n#EXTINF:18,Early Riser - Sunrise\n01 Morning.wav\n#EXTINF:18,High Noon\n02 Noon.mp3\n03 Evening.flac\n' \
  > "$demo/music/day.m3u8"
rm -f "$demo/images/"*
host --image "$(winpath "$demo/images/disc.cue")" -- /S "$(winpath "$demo/music/day.m3u8")" || status=$?
cat "$demo/images/disc.cue" | tr -d '\r'

log "an album from a CUE sheet: the three tunes in one FLAC file with a second of silence before the second"
python3 - "$demo" <<'PY'
import sys, wave
demo = sys.argv[1]
pcm = b""
for i, path in enumerate([f"{demo}/music/01 Morning.wav", f"{demo}/sources/02 Noon.wav", f"{demo}/sources/03 Evening.wav"]):
    with wave.open(path, "rb") as w:
        pcm += w.readframes(w.getnframes())
    if i == 0:
        pcm += bytes(75 * 2352)  # the gap before track 2, index 00 to index 01
with wave.open(f"{demo}/album.wav", "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100); w.writeframes(pcm)
PY
mkdir -p "$demo/album"
ffmpeg -v error -nostdin -i "$demo/album.wav" -c:a flac "$demo/album/A Day.flac"
printf 'PERFORMER "The Demo Band"\r\nTITLE "A Day, Live"\r\nCATALOG 0123456789012\r\nFILE "A Day.flac" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE "Morning"\r\n    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE "Noon \xe2\x80\x93 High"\r\n    ISRC XXDEM0000002\r\n    INDEX 00 00:05:45\r\n    INDEX 01 00:06:45\r\n  TRACK 03 AUDIO\r\n    TITLE "\xc3\x89vening in \xc5\x81\xc3\xb3d\xc5\xba"\r\n    INDEX 01 00:12:15\r\n' > "$demo/album/A Day.cue"
rm -f "$demo/images/"*
host -- /S "$(winpath "$demo/album/A Day.cue")" || status=$?
cat "$demo/images/disc.cue" | tr -d '\r'
log "the image's CD-Text (disc.cdt, as players show it) and its audio against the album at every INDEX 01"
python3 - "$demo/images/disc.cdt" "$demo/images/disc.cue" "$demo/images/disc.bin" "$demo/album.wav" <<'PY'
import re, sys, wave
cdt, cue, image, album = sys.argv[1:5]
data = open(cdt, "rb").read()[4:]
texts = {0x80: b"", 0x81: b""}
for at in range(0, len(data) - 17, 18):
    if data[at] in texts:
        texts[data[at]] += data[at + 4:at + 16]
for kind, name in ((0x80, "titles"), (0x81, "performers")):
    names = [t.decode("latin-1") for t in texts[kind].rstrip(b"\0").split(b"\0")]
    print(f"  {name}: disc {names[0]!r}; tracks {names[1:]}")
with wave.open(album, "rb") as w:
    pcm = w.readframes(w.getnframes())
image_data = open(image, "rb").read()
ok = True
starts = [((int(m[0]) * 60 + int(m[1])) * 75 + int(m[2])) for m in re.findall(r"INDEX 01 (\d+):(\d+):(\d+)", open(cue, encoding="latin-1").read())]
first = starts[0]
for i, start in enumerate(starts):
    offset = (start - first) * 2352  # the album's position of this index
    same = image_data[start * 2352:start * 2352 + 2352 * 300] == pcm[offset:offset + 2352 * 300]
    ok &= same
    print(f"  track {i + 1}: INDEX 01 at frame {start} holds the album's audio from frame {start - first}: {'ok' if same else 'DIFFERENT'}")
sys.exit(0 if ok else 1)
PY

log "the same tunes with the burn window (flag B; this copy closes the window when done)"
mkdir -p "$demo/window"
cp "$bin/fennel.exe" "$bin"/FN*.lng "$demo/window/"
key=$(sed -n 's/^FENNEL_SIGNING_KEY_PATH:INTERNAL=//p' "$tree/CMakeCache.txt")
sed 's/^Plugin_CloseAppWhenBurnComplete.*/Plugin_CloseAppWhenBurnComplete = 1/' "$FENNEL_ROOT/config/Fennel.txt" > "$demo/window/Fennel.txt"
maker=$(sed -n 's/^FENNEL_HOST_TOOLS_DIR:PATH=//p' "$tree/CMakeCache.txt")
"${maker:-$tree/host-tools}/tools/qcfmaker/qcfmaker" make "$key" "$demo/window/Fennel.txt" "$demo/window/Fennel.qcf" >/dev/null
sed -e 's/^Paced=0/Paced=1\nWriteSpeeds=48/' -e 's/^Images=images/Images=window-images/' "$demo/recorder.ini" > "$demo/window.ini"
use_drive_file "$demo/window.ini"
window_status=0
host --fennel "$(winpath "$demo/window/fennel.exe")" --quiet-poll "${tracks[@]}" -- /B > "$demo/window-run.txt" &
window_host=$!
sleep 2.5
import -window root -display "$DISPLAY" "$demo/burn-window.png" 2>/dev/null || true
wait "$window_host" || window_status=$?
cat "$demo/window-run.txt"
echo "  picture of the window mid-burn: $demo/burn-window.png (hostsim exit code $window_status)"

log "done: hostsim exit code $status (0: the burn succeeded)"
exit "$status"
