#!/usr/bin/env bash
# make_sound_fixtures.sh <dir>: small sound files for the sound tests.
#   sine.wav   0.5 s, 440 Hz, stereo, peak at full scale
#   tone.mp3   1 s, 440 Hz, stereo MP3
#   notmp3.mp3 a text file with an MP3 name
set -euo pipefail
dir=$1
mkdir -p "$dir"
sox -n -r 44100 -c 2 -b 16 "$dir/sine.wav" synth 0.5 sine 440 gain -n 0
sox -n -r 44100 -c 2 -b 16 "$dir/tone.wav" synth 1 sine 440 gain -n -3
lame --quiet -b 128 "$dir/tone.wav" "$dir/tone.mp3"
rm -f "$dir/tone.wav"
echo "this is not a sound" > "$dir/notmp3.mp3"
