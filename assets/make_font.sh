#!/usr/bin/env bash
# Draws smalfont.png: a 256 x 128 glyph grid of 16 columns by 8 rows of
# 16 x 16 cells, codes 32..127 in rows 2..7 (row = code / 16, column =
# code % 16), white monospaced glyphs on black. Black is the font colour key,
# so everything but the glyphs is transparent when the runtime loads it.
set -euo pipefail
out=${1:-$(dirname "$0")/smalfont.png}
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf
args=()
for code in $(seq 33 126); do
  ch=$(printf "\\$(printf '%03o' "$code")")
  # ImageMagick reads % and \ in annotation texts as escapes.
  case "$ch" in
    %) ch='%%' ;;
    \\) ch='\\' ;;
  esac
  x=$(( (code % 16) * 16 + 3 ))
  y=$(( (code / 16) * 16 + 13 ))
  args+=(-annotate "+${x}+${y}" "$ch")
done
convert -size 256x128 xc:black -font "$font" -pointsize 13 -fill white +antialias \
  "${args[@]}" -type TrueColor -define png:color-type=2 "PNG24:$out"
echo "wrote $out"
