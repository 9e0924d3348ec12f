#!/usr/bin/env bash
# Draws docs/skins.png: the internal skin and every bundled skin at 10:08:37,
# side by side, through the preview renderer. Builds the linux-release tools.
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
