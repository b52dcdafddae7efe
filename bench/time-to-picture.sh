#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Time to picture: opening a 6000 x 4000 JPEG in the application until its
# picture is shown, against the exporter's decoding of the same file plus
# the application showing a 16 x 16 icon. Measured in the same run, several
# rounds interleaved (so that a change in the machine's load touches every
# measure alike), on the headless server and, where the build has it, on
# the Qt server with its offscreen platform. Prints medians and the ratio,
# whose target is 1.25 at most.
#
# Usage: bench/time-to-picture.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build with -DQUILLPIX_BUILD_BENCH=ON (default: build-bench)
#   RUNS       rounds (default: 7)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build-bench}
runs=${2:-7}

if [ ! -d "$build_dir" ]; then
	cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DQUILLPIX_BUILD_BENCH=ON >&2
fi
cmake --build "$build_dir" --target time_to_picture >&2
program=$build_dir/bench/time_to_picture

# The inputs, made once with ImageMagick (a plasma, so the JPEG holds what a
# photograph does) and kept beside the build.
inputs=$build_dir/bench/time-to-picture
mkdir -p "$inputs"
convert=$(command -v convert-im6.q16 || command -v convert || true)
if [ ! -f "$inputs/photo.jpg" ] || [ ! -f "$inputs/icon.png" ]; then
	if [ -z "$convert" ]; then
		echo "ImageMagick's convert is needed to make the inputs" >&2
		exit 2
	fi
	"$convert" -seed 6000 -size 6000x4000 plasma:fractal -quality 90 "$inputs/photo.jpg"
	"$convert" -seed 16 -size 16x16 plasma:fractal "$inputs/icon.png"
fi

measures=(picture decode)
if QT_QPA_PLATFORM=offscreen "$program" qt "$inputs/icon.png" >/dev/null 2>&1; then
	measures+=(qt)
fi

declare -A times
for ((round = 0; round < runs; round++)); do
	for measure in "${measures[@]}"; do
		times[$measure-photo]+="$(QT_QPA_PLATFORM=offscreen "$program" "$measure" \
			"$inputs/photo.jpg") "
		if [ "$measure" != decode ]; then
			times[$measure-icon]+="$(QT_QPA_PLATFORM=offscreen "$program" "$measure" \
				"$inputs/icon.png") "
		fi
	done
done

median() {
	tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ v[NR] = $1 } END {
		if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

decode=$(median "${times[decode-photo]}")
echo "Machine: $(nproc) cores, load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo "Input: a 6000 x 4000 JPEG ($(stat -c %s "$inputs/photo.jpg") bytes) and a 16 x 16 PNG;"
echo "medians of $runs interleaved rounds, in seconds."
echo
echo "| Server | Photo shown | Exporter's decoding | Icon shown | Decoding + icon | Ratio (target <= 1.25) |"
echo "|---|---:|---:|---:|---:|---:|"
for measure in "${measures[@]}"; do
	[ "$measure" = decode ] && continue
	photo=$(median "${times[$measure-photo]}")
	icon=$(median "${times[$measure-icon]}")
	name=headless
	[ "$measure" = qt ] && name="Qt (offscreen)"
	awk -v name="$name" -v photo="$photo" -v decode="$decode" -v icon="$icon" 'BEGIN {
		printf "| %s | %.3f | %.3f | %.3f | %.3f | %.2fx |\n", name, photo, decode, icon,
			decode + icon, photo / (decode + icon) }'
done
