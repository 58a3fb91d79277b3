#!/usr/bin/env bash
# Makes the decoder tests' tones in folder $1: five seconds of a 1 kHz sine at half scale,
# spread over two channels at -3 dB (one second of silence first in onset.mp3), in each
# format the engine decodes, from a 48 kHz and a mono 32 kHz source, and an MP3 without its
# encoder's tag. Needs ffmpeg.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
make() { # make <file> <source expression> <ffmpeg output options...>
  local file=$1 expr=$2; shift 2
  ffmpeg -v error -nostdin -y -f lavfi -i "aevalsrc='$expr':s=44100:d=5" -ac 2 "$@" "$file.tmp.${file##*.}"
  mv "$file.tmp.${file##*.}" "$file"
}
tone='0.5*sin(2*PI*1000*t)'
mono='0.35355*sin(2*PI*1000*t)' # the level each channel of the stereo tones has
make tone.wav "$tone" -c:a pcm_s16le
make tone.mp3 "$tone" -c:a libmp3lame -b:a 192k
make tone.flac "$tone" -c:a flac -sample_fmt s16
make tone.wma "$tone" -c:a wmav2 -b:a 128k
make tone.m4a "$tone" -c:a aac -b:a 128k
make tone.aac "$tone" -c:a aac -b:a 128k
make tone48k.flac "$tone" -ar 48000 -c:a flac -sample_fmt s16
make mono32k.mp3 "$mono" -ac 1 -ar 32000 -c:a libmp3lame -b:a 96k
make untagged.mp3 "$tone" -c:a libmp3lame -b:a 192k -write_xing 0
make onset.mp3 "if(gte(n,44100),$tone,0)" -c:a libmp3lame -b:a 192k
touch made
