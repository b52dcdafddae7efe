#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Photographs viewing and zooming under a window manager (openbox) on a
# virtual X display: a 3000x2000 image scrolled to its bottom-right corner
# (docs/scrolled.png) and the application's own 16x16 icon zoomed to 8x
# (docs/zoomed-icon.png), and the Edit menu open over the first
# (docs/edit-menu.png). Keys go in through xdotool, as a person types them.
# Usage: scripts/viewing-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target quillpix quillpix_icons --parallel "$(nproc)"
icon="$build/resources/icons/16x16/quillpix.png"
mkdir -p docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A large picture with a labelled grid, so the screenshot shows where the
# view stands.
convert -size 3000x2000 gradient:'#3060c0'-'#f0c040' \
	-stroke '#ffffff80' -strokewidth 2 \
	-draw "$(for x in $(seq 250 250 2750); do printf 'line %d,0 %d,1999 ' "$x" "$x"; done)" \
	-draw "$(for y in $(seq 250 250 1750); do printf 'line 0,%d 2999,%d ' "$y" "$y"; done)" \
	-stroke none -fill white -pointsize 32 \
	-draw "text 2730,1965 'bottom right'" -draw "text 20,60 'top left'" \
	-draw "text 2760,1795 '2750, 1750'" \
	-quality 92 "$work/photo.jpg"
cp "$icon" "$work/icon.png"

xvfb-run --auto-servernum --server-args="-screen 0 900x420x24" bash -c '
	set -euo pipefail
	program="$1" work="$2" out="$3"
	openbox --sm-disable 2>/dev/null &
	for attempt in $(seq 1 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
	xsetroot -solid "#505860" 2>/dev/null || true
	cd "$work"
	"$program" photo.jpg icon.png &
	pid=$!
	for name in photo.jpg.h icon.png.h; do
		for attempt in $(seq 1 100); do
			xdotool search --onlyvisible --name "^$name\$" >/dev/null 2>&1 && break
			sleep 0.1
		done
	done
	sleep 0.5
	photo=$(xdotool search --onlyvisible --name "^photo.jpg.h\$" | head -1)
	icon=$(xdotool search --onlyvisible --name "^icon.png.h\$" | head -1)
	xdotool windowmove "$photo" 20 30 windowmove "$icon" 470 30
	sleep 0.3
	xdotool windowactivate --sync "$photo" key End
	xdotool windowactivate --sync "$icon" key --delay 60 ctrl+plus ctrl+plus ctrl+plus \
		ctrl+plus ctrl+plus ctrl+plus ctrl+plus
	sleep 0.8
	import -window root -crop 430x300+15+5 "PNG24:$out/scrolled.png"
	import -window root -crop 430x300+465+5 "PNG24:$out/zoomed-icon.png"
	xdotool windowactivate --sync "$photo" key F10
	sleep 0.3
	xdotool key Right
	sleep 0.8
	import -window root -crop 430x130+15+5 "PNG24:$out/edit-menu.png"
	kill "$pid"
	wait "$pid" 2>/dev/null || true
' screenshots "$PWD/$build/app/quillpix" "$work" "$PWD/docs"
echo "Wrote docs/scrolled.png, docs/zoomed-icon.png and docs/edit-menu.png"
