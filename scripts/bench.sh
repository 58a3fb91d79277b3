#!/usr/bin/env bash
# Figures of fennel.exe under Wine, each measured side by side with its yardstick in one run
# on this machine, printed as ratios (they are figures, not tests):
#   - start-up: wall and CPU time of fennel.exe /T and /C (less the 1000 ms exit pause)
#     beside startbaseline.exe, which makes the same system initialisation and ends
#     (goal: at most 1.25 for both);
#   - a second start while a first fennel.exe holds the shared string store, beside a first
#     start;
#   - an unpaced silent burn of about 700 MB of WAV into an image, beside cp of the same bytes
#     (goal: at least 0.9), both with the files already read once (cp is run once untimed
#     first), and beside cat of the same files into one file followed by sync of that file
#     (the engine flushes its image before it closes the disc: both flushed); each of the
#     three the median of three runs;
#   - the same unpaced burn with the engine's verification (each track read back from the
#     image and its CRC compared), beside the burn with Verify=0 (goal: at most 1.30), each
#     the median of three runs taken in turns;
#   - the CPU time of fennel.exe and its in-process engine during a paced burn of one minute
#     of audio at 8x (goal: at most 2 % of one core).
# CPU time is that of the program's own process, as /usr/bin/time reports it around the
# Wine loader (user + system; the loader becomes the Windows process); the persistent
# wineserver is not counted. Runs scripts/bench_decode.sh at the end when it exists.
#   scripts/bench.sh            BENCH_RUNS=n (default 10 starts per figure), BENCH_MB=n (700)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
tree="$FENNEL_BUILD/win64"
build_win64 fennel fennel_qcf language_files fennel_recorder startbaseline >/dev/null
runs=${BENCH_RUNS:-10}
megabytes=${BENCH_MB:-700}
work="$tree/bench"
rm -rf "$work"
mkdir -p "$work/music" "$work/copy" "$work/images"
exitPause=1.0

# wav <file> <seconds> <source>: a 44.1 kHz stereo 16-bit WAV whose samples come from source.
wav() {
  local bytes=$(($2 * 176400))
  python3 -c 'import struct,sys; n=int(sys.argv[1]); sys.stdout.buffer.write(b"RIFF"+struct.pack("<I",36+n)+b"WAVEfmt "+struct.pack("<IHHIIHH",16,1,2,44100,176400,4,16)+b"data"+struct.pack("<I",n))' "$bytes" >"$1"
  head -c "$bytes" "$3" >>"$1"
}
# drive <lines>: the benchmark's drive R with a blank 80-minute CD-R.
drive() {
  printf '[Drive R]\r\nName=Benchmark Recorder\r\nMedia=CD-R\r\nCapacity=80\r\nContent=blank\r\nImages=images\r\nImageName=disc\r\n%b' "$1" >"$work/recorder.ini"
  rm -f "$work/images/"*
}
# timed <command...>: "wall cpu" seconds of one run.
timed() {
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f '%U %S' -o "$work/time.txt" "$@" </dev/null >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" '{ printf "%.4f %.4f\n", e - s, $1 + $2 }' "$work/time.txt"
}
# mean <pause> <command...>: mean "wall cpu" of $runs runs, less the pause from the wall time.
mean() {
  local pause=$1; shift
  for _ in $(seq "$runs"); do timed "$@"; done |
    awk -v p="$pause" '{ w += $1; c += $2 } END { printf "%.4f %.4f\n", w / NR - p, c / NR }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
row() { # row <what> <wall> <cpu> <base wall> <base cpu> <goal>
  printf '  %-34s %8.3f %8.3f   %8.3f %8.3f   %6s %6s   %s\n' "$1" "$2" "$3" "$4" "$5" \
    "$(ratio "$2" "$4")" "$(ratio "$3" "$5")" "$6"
}

log "making $megabytes MB of WAV and one minute of audio"
secondsTotal=$((megabytes * 1000000 / 176400))
files=10
for i in $(seq $files); do wav "$work/music/track$i.wav" $((secondsTotal / files)) /dev/urandom; done
wav "$work/minute.wav" 60 /dev/urandom
for i in $(seq $files); do winpath "$work/music/track$i.wav"; printf '\r\n'; done >"$work/big.m3u"
{ winpath "$work/minute.wav"; printf '\r\n'; } >"$work/minute.m3u"
bytes=$(cat "$work"/music/*.wav | wc -c)

trap wine_env_stop EXIT
wine_env_start "$tree"
register_engine "$tree"
export FENNEL_RECORDER_CONFIG
FENNEL_RECORDER_CONFIG=$(winpath "$work/recorder.ini")
fennel=("$WINE64" "$tree/bin/fennel.exe")
baseline=("$WINE64" "$tree/bin/startbaseline.exe")
drive 'Paced=0\r\n'
# The first Wine starts of a program (desktop, fonts, caches) are not its own.
timed "${baseline[@]}" >/dev/null
timed "${fennel[@]}" /C >/dev/null

log "start-up: mean of $runs starts each, seconds (fennel.exe less its $exitPause s exit pause)"
printf '  %-34s %8s %8s   %8s %8s   %6s %6s   %s\n' "" wall cpu base_wall base_cpu wall_x cpu_x goal
read -r bw bc < <(mean 0 "${baseline[@]}")
read -r tw tc < <(mean "$exitPause" "${fennel[@]}" /T)
row "fennel.exe /T vs startbaseline" "$tw" "$tc" "$bw" "$bc" "<= 1.25"
read -r cw cc < <(mean "$exitPause" "${fennel[@]}" /C)
row "fennel.exe /C vs startbaseline" "$cw" "$cc" "$bw" "$bc" "<= 1.25"

# A fennel.exe without a command line shows its box and holds the string store meanwhile.
"${fennel[@]}" </dev/null >/dev/null 2>&1 &
holder=$!
sleep 3
read -r sw sc < <(mean "$exitPause" "${fennel[@]}" /T)
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
row "second start /T vs first start /T" "$sw" "$sc" "$tw" "$tc" "(none)"

log "unpaced silent burn of $bytes bytes of WAV into an image, beside cp and cat of the same bytes"
# seconds <command...>: wall seconds of one run.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}
# Each figure is the median of three runs: writing 700 MB varies with the disk's writeback.
median3() { sort -n | sed -n 2p; }
# Warm, as the burn finds them: the files have been read, and copied, once before.
cp "$work"/music/*.wav "$work/copy/"
rm -f "$work"/copy/*
cpWall=$(for _ in 1 2 3; do seconds cp "$work"/music/*.wav "$work/copy/"; echo; rm -f "$work"/copy/*; done | median3)
# Flushed, as the burn's image is: one file of all the bytes, then on the disk.
catSync() { cat "$work"/music/*.wav >"$work/copy/image.bin" && sync "$work/copy/image.bin"; }
syncWall=$(for _ in 1 2 3; do seconds catSync; echo; rm -f "$work"/copy/*; done | median3)
read -r burnWall burnCpu < <(for _ in 1 2 3; do drive 'Paced=0\r\n'; timed "${fennel[@]}" /S "$(winpath "$work/big.m3u")"; done | sort -n | sed -n 2p)
burnWall=$(awk -v w="$burnWall" -v p="$exitPause" 'BEGIN { printf "%.3f", w - p }')
image=$(stat -c %s "$work/images/disc.bin" 2>/dev/null || echo 0)
printf '  %-34s %10s %10s %12s\n' "" wall_s MB/s image_bytes
printf '  %-34s %10s %10s %12s\n' "cp (warm)" "$cpWall" "$(awk -v b="$bytes" -v w="$cpWall" 'BEGIN { printf "%.0f", b / w / 1e6 }')" "-"
printf '  %-34s %10s %10s %12s\n' "cat into one file, then sync" "$syncWall" "$(awk -v b="$bytes" -v w="$syncWall" 'BEGIN { printf "%.0f", b / w / 1e6 }')" "-"
printf '  %-34s %10s %10s %12s\n' "fennel.exe /S (less exit pause)" "$burnWall" \
  "$(awk -v b="$bytes" -v w="$burnWall" 'BEGIN { printf "%.0f", b / w / 1e6 }')" "$image"
printf '  %-34s %10s   (goal >= 0.9; cpu %s s)\n' "burn speed / cp speed" "$(ratio "$cpWall" "$burnWall")" "$burnCpu"
printf '  %-34s %10s\n' "burn speed / cat-and-sync speed" "$(ratio "$syncWall" "$burnWall")"
[ "$image" -gt "$bytes" ] || echo "  warning: the image is smaller than the audio; the burn did not complete" >&2

log "unpaced burn of $bytes bytes of WAV with verification, beside the same without"
# Three of each, taken in turns; each figure is the median run (by wall time).
: >"$work/plain.txt"
: >"$work/verify.txt"
for _ in 1 2 3; do
  drive 'Paced=0\r\nVerify=0\r\n'
  timed "${fennel[@]}" /S "$(winpath "$work/big.m3u")" >>"$work/plain.txt"
  [ -f "$work/images/disc.bin" ] || echo "  warning: the burn without verification left no image" >&2
  drive 'Paced=0\r\nVerify=1\r\n'
  timed "${fennel[@]}" /S "$(winpath "$work/big.m3u")" >>"$work/verify.txt"
  [ -f "$work/images/disc.bin" ] || echo "  warning: the verified burn left no image" >&2
done
read -r plainWall plainCpu < <(sort -n "$work/plain.txt" | sed -n 2p)
read -r verifyWall verifyCpu < <(sort -n "$work/verify.txt" | sed -n 2p)
plainWall=$(awk -v w="$plainWall" -v p="$exitPause" 'BEGIN { printf "%.3f", w - p }')
verifyWall=$(awk -v w="$verifyWall" -v p="$exitPause" 'BEGIN { printf "%.3f", w - p }')
printf '  %-34s %10s %10s\n' "" wall_s cpu_s
printf '  %-34s %10s %10s\n' "fennel.exe /S, Verify=0" "$plainWall" "$plainCpu"
printf '  %-34s %10s %10s\n' "fennel.exe /S, Verify=1" "$verifyWall" "$verifyCpu"
printf '  %-34s %10s   (goal <= 1.30)\n' "verified burn / unverified burn" "$(ratio "$verifyWall" "$plainWall")"

log "paced burn of one minute of audio at 8x: CPU of fennel.exe with its engine"
drive 'Paced=1\r\nWriteSpeeds=8\r\n'
read -r pw pc < <(timed "${fennel[@]}" /S "$(winpath "$work/minute.m3u")")
[ -f "$work/images/disc.bin" ] || echo "  warning: the paced burn left no image" >&2
printf '  %-34s %10s %10s %12s\n' "" wall_s cpu_s "%_of_core"
printf '  %-34s %10s %10s %12s   (goal <= 2)\n' "fennel.exe /S, 60 s of audio at 8x" "$pw" "$pc" \
  "$(awk -v c="$pc" -v w="$pw" 'BEGIN { printf "%.2f", 100 * c / w }')"

wine_env_stop
trap - EXIT
unset FENNEL_RECORDER_CONFIG # the decoding bench names its own drive file
rm -rf "$work/music" "$work/copy" "$work/images"
if [ -x "$FENNEL_ROOT/scripts/bench_decode.sh" ] || [ -f "$FENNEL_ROOT/scripts/bench_decode.sh" ]; then
  log "scripts/bench_decode.sh"
  bash "$FENNEL_ROOT/scripts/bench_decode.sh"
fi
