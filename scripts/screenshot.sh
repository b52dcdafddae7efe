#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs quillpix on a virtual X display (Xvfb) with an example image, takes a
# screenshot of the whole screen and writes it to docs/screenshot.png.
# Usage: scripts/screenshot.sh [BUILD_DIR [IMAGE]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
image=${2:-examples/quill.png}
output=docs/screenshot.png

if [ ! -x "$build/app/quillpix" ]; then
	cmake -S . -B "$build" -G Ninja >/dev/null
	cmake --build "$build" --target quillpix --parallel "$(nproc)"
fi
mkdir -p docs

# Inside the virtual display: start the program, wait until its window is
# mapped (xwininfo lists it), photograph the screen, close the program.
xvfb-run --auto-servernum --server-args="-screen 0 640x400x24" bash -c '
	set -euo pipefail
	"$1" "$2" &
	program=$!
	for attempt in $(seq 1 100); do
		if xwininfo -root -tree 2>/dev/null | grep -q "\"$(basename "$2").h\""; then
			break
		fi
		sleep 0.1
	done
	sleep 0.5 # the first paint follows the mapping
	import -window root "$3"
	kill "$program"
	wait "$program" 2>/dev/null || true
' screenshot "$build/app/quillpix" "$image" "$output"
echo "Wrote $output"
