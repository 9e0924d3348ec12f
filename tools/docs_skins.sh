#!/usr/bin/env bash
# Draws docs/skins.png: the internal skin and every bundled skin at 10:08:37,
# side by side, through the preview renderer, and docs/hidpi.png (below).
# Builds the linux-release tools.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target tickora_preview skin_art >/dev/null
tools=build/linux-release/tools
scratch=$(mktemp -d /tmp/tickora-skins.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
frames=("$scratch/Internal.png")
"$tools/preview/tickora_preview" --time 10:08:37 "$scratch/Internal.png"
for skin in skins/*/; do
  name=$(basename "$skin")
  "$tools/preview/tickora_preview" --skin "$skin" --time 10:08:37 "$scratch/$name.png"
  frames+=("$scratch/$name.png")
done
"$tools/skin_art/skin_art" --row docs/skins.png "${frames[@]}"

# docs/hidpi.png: the internal skin on a screen with a scale factor of 2, the
# upper right of its face. Left, what a skin without copies at twice the size
# gives (main.png and attach.png enlarged); right, the internal skin itself,
# drawn from main@2x.png and attach@2x.png.
mkdir "$scratch/Plain"
cp res/main.png res/hour.png res/min.png res/sec.png res/attach.png "$scratch/Plain/"
"$tools/preview/tickora_preview" --skin "$scratch/Plain" --device-scale 2 --time 10:08:37 \
  "$scratch/plain-2x.png"
"$tools/preview/tickora_preview" --device-scale 2 --time 10:08:37 "$scratch/internal-2x.png"
"$tools/skin_art/skin_art" --row-cut 300,40,240,240 docs/hidpi.png "$scratch/plain-2x.png" \
  "$scratch/internal-2x.png"
