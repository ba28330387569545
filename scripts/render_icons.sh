#!/usr/bin/env bash
# Renders the launcher icon's PNG sizes from its SVG. The PNGs are kept in
# the repository, so that a build needs no SVG renderer; run this after
# changing the SVG and commit what it writes.
set -euo pipefail
cd "$(dirname "$0")/.."

icons=data/linux/icons
id=org.velmora.Velmora
sizes=(16 24 32 48 64 128 256)

command -v rsvg-convert >/dev/null || {
  echo "render_icons: rsvg-convert is missing (./scripts/setup.sh installs it)" >&2
  exit 1
}

for size in "${sizes[@]}"; do
  # At 16 px the scalable drawing's thin edges fall between pixels and blur;
  # that size comes from a copy drawn on its pixel grid.
  source="$icons/$id.svg"
  [[ "$size" -eq 16 ]] && source="$icons/$id-small.svg"
  out="$icons/${size}x${size}/$id.png"
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "$out.tmp" "$source"
  mv "$out.tmp" "$out"
  echo "render_icons: $out"
done
