#!/usr/bin/env bash
# Decoding speed of the recording engine: one unpaced silent burn through hostsim per format
# (WAV for reference, MP3, FLAC, WMA, M4A) of a tone BENCH_MINUTES long (default 5), each
# timed from the host's start to its end. Every burn decodes its file twice (once to learn
# its length when the track is added, once while writing). Prints seconds of audio, wall
# seconds and the speed as a multiple of real time; the goal for MP3 is at least 20x.
#   scripts/bench_decode.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
install_deps
tree="$FENNEL_BUILD/win64"
build_win64 fennel hostsim fennel_recorder >/dev/null
minutes=${BENCH_MINUTES:-5}
seconds=$((minutes * 60))
work="$tree/bench-decode"
rm -rf "$work"
mkdir -p "$work/music" "$work/images"

log "making $minutes-minute tones (ffmpeg)"
tone() { # tone <file> <ffmpeg output options...>
  local file=$1; shift
  ffmpeg -v error -nostdin -y -f lavfi -i "aevalsrc='0.4*sin(2*PI*440*t)|0.3*sin(2*PI*660*t)':s=44100:d=$seconds" \
    "$@" "$work/music/$file"
}
tone warmup.wav -t 5 -c:a pcm_s16le
tone tone.wav -c:a pcm_s16le
tone tone.mp3 -c:a libmp3lame -b:a 192k
tone tone.flac -c:a flac -sample_fmt s16
tone tone.wma -c:a wmav2 -b:a 192k
tone tone.m4a -c:a aac -b:a 192k

start_with_blank_cd "$tree" "$work" "Benchmark Recorder"

burn() { # burn <file>: prints the wall seconds of one silent burn, fails when the burn did
  rm -f "$work/images/"*
  local start end
  start=$(date +%s.%N)
  "$WINE64" "$tree/bin/hostsim.exe" --track "$(winpath "$work/music/$1")" -- /S </dev/null >"$work/$1.log" 2>&1 ||
    { echo "burn of $1 failed; see $work/$1.log" >&2; return 1; }
  end=$(date +%s.%N)
  [ -f "$work/images/disc.bin" ] || { echo "burn of $1 left no image" >&2; return 1; }
  echo "$start $end" | awk '{ printf "%.2f", $2 - $1 }'
}

burn warmup.wav >/dev/null # the first Wine and GStreamer start-up is not the decoder's
log "unpaced silent burns of $seconds s of audio"
printf '  %-10s %10s %10s %10s %12s\n' file audio_s wall_s x_realtime image_bytes
for f in tone.wav tone.mp3 tone.flac tone.wma tone.m4a; do
  wall=$(burn "$f")
  size=$(stat -c %s "$work/images/disc.bin")
  printf '  %-10s %10d %10s %10s %12d\n' "$f" "$seconds" "$wall" \
    "$(awk -v a="$seconds" -v w="$wall" 'BEGIN { printf "%.1f", a / w }')" "$size"
done
