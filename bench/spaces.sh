#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The colour spaces of the export, measured: what each costs against rgb32,
# what dithering costs, and how close dithered B_RGB16 and B_GRAY1 look to
# their originals.
#
# Speed: whole exporter runs on the 4096 x 4096 plasma picture (smooth, as
# photographs are), the text to standard output (thrown away), for each of
# the fifteen spaces with the nearest values, and for rgb16, rgb16-big and
# gray1 with each kind of dithering; medians of RUNS interleaved runs, real time and
# CPU time (user and system). Then the conversion alone (bench_spaces,
# Google Benchmark).
#
# Quality: the original and the result both blurred with a Gaussian of
# sigma 1 pixel and compared by their mean CIELAB distance (CIE76), by
# bench/dither_measure.cpp (lower is better), for rgb16 and gray1 with
# --dither none, floyd-steinberg and ordered, and for gray1 also ImageMagick's
# "-colorspace Gray -dither FloydSteinberg -monochrome". The grey results are
# measured against the colour original, so their distances include the
# colour they drop, alike for every kind. Images: photographs from Debian
# packages (gdk-pixbuf's installed tests, ImageMagick's rose), the plasma
# picture at 1024 and a smooth two-colour gradient.
#
# Usage: bench/spaces.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build with -DQUILLPIX_BUILD_BENCH=ON (default: build-bench,
#              configured as a Release build when it does not exist)
#   RUNS       runs of each timed command (default: 5)
set -euo pipefail

# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$@"

convert=$(command -v convert-im6.q16 || command -v convert)
pixbuf=/usr/libexec/installed-tests/gdk-pixbuf
bench_require "imagemagick, gdk-pixbuf-tests" "$convert" "$pixbuf/issue70.jpg"

bench_build -DQUILLPIX_BUILD_BENCH=ON quillpix-export dither-measure bench_spaces
cli="$build_dir/tools/quillpix-export"
measure="$build_dir/bench/dither-measure"

bench_work_dir "${TMPDIR:-/tmp}" spaces

# --- inputs ----------------------------------------------------------------
images=(
	"photo-street|$pixbuf/bug725582-testrotate.jpg"
	"photo-large|$pixbuf/issue70.jpg"
	"photo-rose|rose:"
	"plasma-1024|-size 1024x1024 -seed 1024 plasma:fractal"
	"gradient|-size 1024x256 gradient:#1e3c8c-#f0c828"
)
for row in "${images[@]}"; do
	IFS='|' read -r name from <<< "$row"
	# shellcheck disable=SC2086  # sizes, seeds and patterns are words of their own
	"$convert" $from -depth 8 -alpha off "PNG24:$work/$name.png"
done
"$convert" -size 4096x4096 -seed 4096 plasma:fractal -depth 8 "PNG24:$work/plasma-4096.png"

# --- timing helpers ----------------------------------------------------------

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //');" \
	"load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)."

# --- speed -----------------------------------------------------------------
spaces=(rgb32 cmap8 rgba32 rgb16 rgb15 rgba15 gray8 gray1 rgb24 rgb24-big rgb16-big rgb15-big
	rgba15-big rgb32-big rgba32-big)
dithered=(rgb16:floyd-steinberg rgb16:ordered gray1:floyd-steinberg gray1:ordered
	rgb16-big:floyd-steinberg rgb16-big:ordered)
declare -A samples=()
for ((run = 0; run < runs; run++)); do
	for space in "${spaces[@]}"; do
		read -r real cpu < <(timed_both "$cli" -q -o - --color-space "$space" \
			"$work/plasma-4096.png")
		samples[real.$space]+="$real "
		samples[cpu.$space]+="$cpu "
	done
	for entry in "${dithered[@]}"; do
		read -r real cpu < <(timed_both "$cli" -q -o - --color-space "${entry%%:*}" \
			--dither "${entry#*:}" "$work/plasma-4096.png")
		samples[real.$entry]+="$real "
		samples[cpu.$entry]+="$cpu "
	done
done
declare -A mid=()
for key in "${!samples[@]}"; do
	mid[$key]=$(tr ' ' '\n' <<< "${samples[$key]}" | grep . | median_of_lines)
done
echo
echo "Whole exporter runs, 4096x4096 plasma PNG to standard output (medians of $runs interleaved runs):"
echo
echo "| --color-space | real | / rgb32 | CPU | / rgb32 |"
echo "|---|---:|---:|---:|---:|"
for space in "${spaces[@]}"; do
	printf '| %s | %.3f s | %.2fx | %.3f s | %.2fx |\n' "$space" "${mid[real.$space]}" \
		"$(echo "${mid[real.$space]} / ${mid[real.rgb32]}" | bc -l)" "${mid[cpu.$space]}" \
		"$(echo "${mid[cpu.$space]} / ${mid[cpu.rgb32]}" | bc -l)"
done
echo
echo "| Dithered | real | minus nearest | CPU | minus nearest |"
echo "|---|---:|---:|---:|---:|"
for entry in "${dithered[@]}"; do
	space=${entry%%:*}
	printf '| %s %s | %.3f s | %+.3f s | %.3f s | %+.3f s |\n' "$space" "${entry#*:}" \
		"${mid[real.$entry]}" "$(echo "${mid[real.$entry]} - ${mid[real.$space]}" | bc -l)" \
		"${mid[cpu.$entry]}" "$(echo "${mid[cpu.$entry]} - ${mid[cpu.$space]}" | bc -l)"
done

# --- quality ---------------------------------------------------------------
echo
echo "Mean CIELAB distance after a sigma-1 blur (lower is better):"
echo
echo "| Image | Space | none | floyd-steinberg | ordered | ImageMagick FS | dithered below none | FS vs ImageMagick |"
echo "|---|---|---:|---:|---:|---:|---|---|"
for row in "${images[@]}"; do
	IFS='|' read -r name _ <<< "$row"
	for space in rgb16 gray1; do
		declare -A score=()
		for dither in none floyd-steinberg ordered; do
			out="$work/$name.$space.$dither.h"
			"$cli" -q --color-space "$space" --dither "$dither" -o "$out" "$work/$name.png"
			score[$dither]=$("$measure" "$work/$name.png" "$out")
		done
		im="-"
		versus="-"
		if [ "$space" = gray1 ]; then
			"$convert" "$work/$name.png" -colorspace Gray -dither FloydSteinberg -monochrome \
				"PNG24:$work/$name.im.png"
			score[im]=$("$measure" "$work/$name.png" "$work/$name.im.png")
			im=$(printf '%.3f' "${score[im]}")
			versus=$([ "$(echo "${score[floyd-steinberg]} <= ${score[im]}" | bc -l)" = 1 ] \
				&& echo "at most" || echo "ABOVE")
		fi
		below=$([ "$(echo "${score[floyd-steinberg]} < ${score[none]} && ${score[ordered]} < ${score[none]}" | bc -l)" = 1 ] \
			&& echo "both" || echo "NOT both")
		printf '| %s | %s | %.3f | %.3f | %.3f | %s | %s | %s |\n' "$name" "$space" \
			"${score[none]}" "${score[floyd-steinberg]}" "${score[ordered]}" "$im" "$below" "$versus"
		unset score
	done
done

echo
echo "The conversion alone (the decoded bitmap into a new one):"
echo
echo '```'
QUILLPIX_BENCH_DIR="$work" CONVERT="$convert" "$build_dir/bench/bench_spaces" \
	--benchmark_filter=/4096 --benchmark_repetitions="$runs" \
	--benchmark_report_aggregates_only=true 2>/dev/null | grep -E '_median' || true
echo '```'
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
