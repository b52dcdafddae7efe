#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Dithering into the system colour map, measured: how close each result looks
# to its original, and what it costs.
#
# Quality: the original and the result are both blurred with a Gaussian of
# sigma 1 pixel and compared by their mean CIELAB distance (CIE76), by
# bench/dither_measure.cpp (lower is better). The results: quillpix-export
# --color-space cmap8 with --dither none, floyd-steinberg and ordered, and
# ImageMagick's "-dither FloydSteinberg -remap" onto the same 255 opaque map
# colours. The images: photographs and drawings from Debian packages
# (gdk-pixbuf's and SDL2_image's installed tests, ImageMagick's built-in
# images), a smooth two-colour gradient and an image with an alpha channel.
# Every image is first written as a PNG, so that both tools read the very
# same pixels; ImageMagick gets the alpha image flattened the way the
# measure counts it (alpha below 128 is white).
#
# Speed: the whole exporter run on the 4096 x 4096 and 1024 x 1024 plasma
# pictures for each kind (medians of RUNS interleaved runs), ImageMagick on
# the 1024 one, and the conversion alone (bench_dither, Google Benchmark).
#
# Usage: bench/dither.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build with -DQUILLPIX_BUILD_BENCH=ON (default: build-bench,
#              configured as a Release build when it does not exist)
#   RUNS       runs of each timed command (default: 5)
# With DITHER_QUALITY=0 only the speed is measured (no quality tables).
set -euo pipefail

# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$@"

convert=$(command -v convert-im6.q16 || command -v convert)
sdl=/usr/libexec/installed-tests/SDL2_image
pixbuf=/usr/libexec/installed-tests/gdk-pixbuf
bench_require "imagemagick, libsdl2-image-tests, gdk-pixbuf-tests" \
	"$convert" "$sdl/sample.png" "$pixbuf/test-image.png"

bench_build -DQUILLPIX_BUILD_BENCH=ON quillpix-export dither-measure bench_dither
cli="$build_dir/tools/quillpix-export"
measure="$build_dir/bench/dither-measure"

bench_work_dir "${TMPDIR:-/tmp}" dither

# --- inputs ----------------------------------------------------------------
awk '!/^#/ && NF == 4 && $1 < 255 { print $2, $3, $4; n++ } END { }' \
	"$source_dir/data/system-colormap.txt" > "$work/colours"
{ echo "P3 $(wc -l < "$work/colours") 1 255"; cat "$work/colours"; } > "$work/map.ppm"

# name|kind|how to make it
images=(
	"photo-street|photo|$pixbuf/bug725582-testrotate.jpg"
	"photo-large|photo|$pixbuf/issue70.jpg"
	"photo-rose|photo|rose:"
	"drawing-wizard|drawing|wizard:"
	"drawing-logo|drawing|logo:"
	"drawing-sample|drawing|$sdl/sample.png"
	"gradient|gradient|-size 1024x256 gradient:#1e3c8c-#f0c828"
	"alpha-icon|alpha|$pixbuf/test-image.png"
)
quality=${DITHER_QUALITY:-1}
[ "$quality" = 1 ] || images=()
for row in "${images[@]}"; do
	IFS='|' read -r name kind from <<< "$row"
	# shellcheck disable=SC2086  # the gradient's size and pattern are two words
	"$convert" $from -depth 8 "PNG32:$work/$name.png"
	if [ "$kind" = alpha ]; then
		"$convert" "$work/$name.png" -channel A -threshold 50% +channel -background white \
			-alpha remove -alpha off "PNG24:$work/$name-flat.png"
	else
		"$convert" "$work/$name.png" -alpha off "PNG24:$work/$name-flat.png"
	fi
done
for side in 1024 4096; do
	"$convert" -size ${side}x${side} -seed $side plasma:fractal -depth 8 \
		"PNG24:$work/plasma-$side.png"
done

# --- timing helpers ----------------------------------------------------------
# real seconds one command takes
timed() { timed_both "$@" | cut -d' ' -f1; }

kinds=(none floyd-steinberg ordered)

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //');" \
	"load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)."
# --- quality ---------------------------------------------------------------
if [ "$quality" = 1 ]; then
echo
echo "| Image | Kind | Size | none | floyd-steinberg | ordered | ImageMagick FS | FS vs ImageMagick | ordered vs none |"
echo "|---|---|---:|---:|---:|---:|---:|---:|---:|"
declare -A quality_time
for row in "${images[@]}"; do
	IFS='|' read -r name kind from <<< "$row"
	declare -A score=()
	for dither in "${kinds[@]}"; do
		out="$work/$name.$dither.h"
		seconds=$(timed "$cli" -q --color-space cmap8 --dither "$dither" -o "$out" "$work/$name.png")
		quality_time[$name.$dither]=$seconds
		score[$dither]=$("$measure" "$work/$name.png" "$out")
	done
	seconds=$(timed "$convert" "$work/$name-flat.png" -dither FloydSteinberg -remap "$work/map.ppm" \
		"PNG24:$work/$name.im.png")
	quality_time[$name.im]=$seconds
	score[im]=$("$measure" "$work/$name.png" "$work/$name.im.png")
	size=$(identify -format '%wx%h' "$work/$name.png")
	fs_vs_im=$(echo "${score[floyd-steinberg]} <= ${score[im]}" | bc -l)
	ordered_vs_none=$(echo "${score[ordered]} < ${score[none]}" | bc -l)
	printf '| %s | %s | %s | %.3f | %.3f | %.3f | %.3f | %s | %s |\n' "$name" "$kind" "$size" \
		"${score[none]}" "${score[floyd-steinberg]}" "${score[ordered]}" "${score[im]}" \
		"$([ "$fs_vs_im" = 1 ] && echo "at most" || echo "ABOVE")" \
		"$([ "$ordered_vs_none" = 1 ] && echo "below" || echo "NOT below")"
	unset score
done
echo
echo "Times of those runs (one each, whole processes; ImageMagick also writes a PNG):"
echo
echo "| Image | none | floyd-steinberg | ordered | ImageMagick FS |"
echo "|---|---:|---:|---:|---:|"
for row in "${images[@]}"; do
	IFS='|' read -r name _ _ <<< "$row"
	printf '| %s | %.3f s | %.3f s | %.3f s | %.3f s |\n' "$name" "${quality_time[$name.none]}" \
		"${quality_time[$name.floyd-steinberg]}" "${quality_time[$name.ordered]}" \
		"${quality_time[$name.im]}"
done

fi

# --- speed -----------------------------------------------------------------
echo
echo "Whole exporter runs on the plasma pictures, text to a file (medians of $runs interleaved runs;"
echo "real time, then CPU time: user and system):"
table_head() {
	echo "| Picture | none | floyd-steinberg | ordered | FS minus none | ordered / none | ImageMagick FS |"
	echo "|---|---:|---:|---:|---:|---:|---:|"
}
declare -A rows=()
for side in 1024 4096; do
	declare -A samples=()
	for ((run = 0; run < runs; run++)); do
		for dither in "${kinds[@]}"; do
			read -r real cpu < <(timed_both "$cli" -q --color-space cmap8 --dither "$dither" \
				-o "$work/plasma.h" "$work/plasma-$side.png")
			samples[real.$dither]+="$real "
			samples[cpu.$dither]+="$cpu "
		done
		if [ "$side" = 1024 ]; then
			read -r real cpu < <(timed_both "$convert" "$work/plasma-$side.png" \
				-dither FloydSteinberg -remap "$work/map.ppm" "PNG24:$work/plasma.im.png")
			samples[real.im]+="$real "
			samples[cpu.im]+="$cpu "
		fi
	done
	declare -A mid=()
	for key in "${!samples[@]}"; do
		mid[$key]=$(tr ' ' '\n' <<< "${samples[$key]}" | grep . | median_of_lines)
	done
	for clock in real cpu; do
		im="-"
		[ -n "${mid[$clock.im]:-}" ] && im=$(printf '%.3f s' "${mid[$clock.im]}")
		rows[$clock]+=$(printf '| %sx%s | %.3f s | %.3f s | %.3f s | %+.3f s | %.2fx | %s |' \
			"$side" "$side" "${mid[$clock.none]}" "${mid[$clock.floyd-steinberg]}" \
			"${mid[$clock.ordered]}" \
			"$(echo "${mid[$clock.floyd-steinberg]} - ${mid[$clock.none]}" | bc -l)" \
			"$(echo "${mid[$clock.ordered]} / ${mid[$clock.none]}" | bc -l)" "$im")$'\n'
	done
	unset samples mid
done
declare -A clock_names=([real]="real" [cpu]="CPU")
for clock in real cpu; do
	echo
	echo "By ${clock_names[$clock]} time:"
	echo
	table_head
	printf '%s' "${rows[$clock]}"
done

echo
echo "Floyd-Steinberg against nearest at 4096 x 4096, into cmap8 and rgb16, the text to standard"
echo "output (/dev/null) and to a file (medians of $runs interleaved runs; target: at most +0.2 s):"
echo
echo "| Space | Output | Clock | none | floyd-steinberg | FS minus none |"
echo "|---|---|---|---:|---:|---:|"
declare -A fs=()
for ((run = 0; run < runs; run++)); do
	for space in cmap8 rgb16; do
		for output in stdout file; do
			for dither in none floyd-steinberg; do
				if [ "$output" = stdout ]; then
					read -r real cpu < <(timed_both "$cli" -q --color-space "$space" \
						--dither "$dither" -o - "$work/plasma-4096.png")
				else
					read -r real cpu < <(timed_both "$cli" -q --color-space "$space" \
						--dither "$dither" -o "$work/plasma.h" "$work/plasma-4096.png")
				fi
				fs[$space.$output.$dither.real]+="$real "
				fs[$space.$output.$dither.cpu]+="$cpu "
			done
		done
	done
done
for space in cmap8 rgb16; do
	for output in stdout file; do
		for clock in real cpu; do
			none=$(tr ' ' '\n' <<< "${fs[$space.$output.none.$clock]}" | grep . | median_of_lines)
			diffused=$(tr ' ' '\n' <<< "${fs[$space.$output.floyd-steinberg.$clock]}" | grep . \
				| median_of_lines)
			printf '| %s | %s | %s | %.3f s | %.3f s | %+.3f s |\n' "$space" "$output" \
				"${clock_names[$clock]}" "$none" "$diffused" "$(echo "$diffused - $none" | bc -l)"
		done
	done
done

echo
echo "The conversion alone (B_RGB32 bitmap to a new B_CMAP8 one, the colour table built beforehand):"
echo
echo '```'
QUILLPIX_BENCH_DIR="$work" "$build_dir/bench/bench_dither" --benchmark_filter=/4096 \
	--benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true 2>/dev/null \
	| grep -E '_median' || true
echo '```'
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
