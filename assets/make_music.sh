#!/usr/bin/env bash
# Synthesises Dusk_Run.mp3, the demo's own music: 32 s in A minor at
# 120 beats per minute (Am F C G, twice over): a plucked bass, an eighth-note
# arpeggio and a soft pad, mixed with a little reverb and encoded as MP3.
set -euo pipefail
out=${1:-$(dirname "$0")/Dusk_Run.mp3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rate=44100

# chord: bass root, then the three arpeggio notes
chords=("A2 A3 C4 E4" "F2 F3 A3 C4" "C3 G3 C4 E4" "G2 G3 B3 D4")
# the arpeggio climbs one octave higher on the second pass
pattern=(1 2 3 2 1 2 3 4)

bar=0
for pass in 0 1 0 1; do
  for chord in "${chords[@]}"; do
    read -r root n1 n2 n3 <<<"$chord"
    notes=("$n1" "$n2" "$n3")
    b=$(printf '%02d' $bar)
    sox -n -r $rate -c 1 "$work/bass$b.wav" synth 2 pluck "$root" fade 0 2 0.3 vol 0.55
    sox -n -r $rate -c 1 "$work/pad$b.wav" synth 2 sine "$n1" sine "$n2" sine "$n3" \
      remix - fade 0.4 2 0.4 vol 0.12
    arp=()
    for step in "${pattern[@]}"; do
      if [ "$step" -eq 4 ]; then note="${notes[0]}"; up=1; else note="${notes[$((step - 1))]}"; up=0; fi
      # raise the octave digit of the note name
      note="${note%?}$(( ${note: -1} + pass + up ))"
      f="$work/arp$b-${#arp[@]}.wav"
      sox -n -r $rate -c 1 "$f" synth 0.25 triangle "$note" fade 0.005 0.25 0.12 vol 0.28
      arp+=("$f")
    done
    sox "${arp[@]}" "$work/arp$b.wav"
    bar=$((bar + 1))
  done
done

sox "$work"/bass??.wav "$work/bass.wav"
sox "$work"/pad??.wav "$work/pad.wav"
sox "$work"/arp??.wav "$work/arp.wav"
sox -m "$work/bass.wav" "$work/pad.wav" "$work/arp.wav" -c 2 "$work/mix.wav" \
  reverb 35 gain -n -1 fade 0.5 32 2.5
lame --quiet --resample 44.1 -b 96 "$work/mix.wav" "$out"
echo "wrote $out"
