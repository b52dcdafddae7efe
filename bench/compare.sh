#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Side by side: Quillpix against the tools a user would pick instead, on the
# same inputs, in the same run, several runs each (interleaved, so that a
# change in the machine's load touches every tool alike). Prints the machine
# and a markdown table of medians and ratios.
#
#   xxd -i on the raw pixel bytes          vs  our text export of those bytes
#   a plain cp of a file our output's size     (the disk's limit)
#   ImageMagick decode to raw | xxd -i     vs  quillpix-export (B_RGB32)
#   ImageMagick +dither -remap to the system colour map
#                                          vs  quillpix-export --color-space cmap8
#   ImageMagick decode | xxd -i, and xxd -i alone on the raw bytes
#                                          vs  quillpix-export of a 32 x 32 icon
#   quillpix-export of 8 large JPEGs on 1 core vs the same on 2 cores, the
#                                          texts on disk and in memory
#   8 JPEGs of 1536 x 1536 to standard output vs the same to files in memory,
#                                          on 1 core and on 2 (see
#                                          bench/stdout-vs-files.sh)
#   200 icons through quillpix_add_image_sources in a CMake + Ninja build
#                                          vs  an xxd -i custom command per icon
#                                          (and the 200 in one quillpix-export
#                                          run: images per second; see
#                                          bench/embed-build.sh)
#   libpng / libjpeg-turbo called directly vs  our loading (Google Benchmark)
#   B_RGB32 to B_CMAP8 by SetBits and by drawing (Google Benchmark)
#
# The input is a 4096 x 4096 plasma picture ImageMagick makes with a fixed
# seed (the same file the Google Benchmark programs read). Peers missing
# from the machine are installed from Debian when run as root.
#
# Usage: bench/compare.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build with -DQUILLPIX_BUILD_BENCH=ON (default: build-bench,
#              configured as a Release build when it does not exist)
#   RUNS       runs of each command (default: 5)
set -euo pipefail

# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$@"
side=4096

# --- peers -----------------------------------------------------------------
install_missing() {
	local missing=()
	command -v xxd >/dev/null || missing+=(xxd)
	[ -x /usr/bin/time ] || missing+=(time)
	command -v convert-im6.q16 >/dev/null || command -v convert >/dev/null \
		|| missing+=(imagemagick)
	[ ${#missing[@]} -eq 0 ] && return
	if [ "$(id -u)" -ne 0 ]; then
		echo "missing: ${missing[*]} (apt-get install ${missing[*]})" >&2
		exit 2
	fi
	echo "installing ${missing[*]}" >&2
	DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >&2
}
install_missing
# ImageMagick's own program, not a wrapper that may stand before it.
convert=$(command -v convert-im6.q16 || command -v convert)
export CONVERT=$convert

# --- our programs ----------------------------------------------------------
bench_build -DQUILLPIX_BUILD_BENCH=ON quillpix-export bench_export bench_bitmap \
	bench_library_baseline
cli="$build_dir/tools/quillpix-export"
bench="$build_dir/bench"

bench_work_dir "${TMPDIR:-/tmp}" compare
export QUILLPIX_BENCH_DIR="$work/inputs"
mkdir -p "$QUILLPIX_BENCH_DIR"

# --- inputs ----------------------------------------------------------------
png="$QUILLPIX_BENCH_DIR/plasma-$side.png"
"$convert" -size ${side}x$side -seed $side plasma:fractal -depth 8 "PNG24:$png"
# The bitmap's bytes as the export sees them: B, G, R, A with A = 255.
raw="$work/pixels.bgra"
"$convert" "$png" -depth 8 "BGRA:$raw"
# A 32 x 32 icon, and its pixels as raw bytes for xxd alone.
icon="$work/icon.png"
"$convert" -size 32x32 -seed 32 plasma:fractal -depth 8 "PNG24:$icon"
icon_raw="$work/icon.bgra"
"$convert" "$icon" -depth 8 "BGRA:$icon_raw"
# Eight large JPEGs (copies of one, 2048 x 2048, so that the texts stay
# small enough to write), for one run of the exporter on 1 and on 2 cores.
mkdir -p "$work/jpegs"
"$convert" "$png" -resize 2048x2048 -quality 90 "$work/jpegs/1.jpg"
for i in 2 3 4 5 6 7 8; do cp "$work/jpegs/1.jpg" "$work/jpegs/$i.jpg"; done
jpegs=("$work"/jpegs/?.jpg)
# The same eight in memory (tmpfs, where a sync costs nothing): the texts
# come to 205 MB, and on a disk their write-back alone is a serial part of
# the run that no number of cores shortens.
ram_jpegs=()
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
	ram=$(mktemp -d /dev/shm/quillpix-compare-XXXXXX)
	trap 'rm -rf "$work" "$ram"' EXIT
	cp "${jpegs[@]}" "$ram/"
	ram_jpegs=("$ram"/?.jpg)
fi
# The system colour map as a 256 x 1 picture, for the remap.
colormap="$work/colormap.ppm"
{
	echo "P3 256 1 255"
	awk '!/^#/ && NF == 4 { print $2, $3, $4 }' "$source_dir/data/system-colormap.txt"
} >"$colormap"

# --- timing ----------------------------------------------------------------
# Each run starts with the page cache written back, so no run pays for the
# previous one's dirty pages. Records seconds and peak memory (KiB).
time_run() {
	local name=$1 output=$2
	shift 2
	rm -f "$output"
	sync
	local start end
	start=$(date +%s.%N)
	/usr/bin/time -f %M -o "$work/rss" "$@"
	end=$(date +%s.%N)
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f ", b - a }' >>"$work/$name.times"
	echo "$(tail -n 1 "$work/rss") " >>"$work/$name.rss"
}

median() {
	tr ' ' '\n' | awk 'NF' | median_of_lines
}
seconds() { median <"$work/$1.times"; }
peak_mib() { tr ' ' '\n' <"$work/$1.rss" | awk 'NF' | sort -g | tail -n 1 \
	| awk '{ printf "%.0f", $1 / 1024 }'; }

# Our text export and the CLI write the same text when the icon names match:
# this proves the raw bytes are the bytes of our decoded bitmap.
"$bench/bench_export" --export-raw "$raw" "$work/kImage"
"$cli" --name kImage -o "$work/cli.h" "$png"
if ! cmp -s "$work/kImage" "$work/cli.h"; then
	echo "the raw bytes differ from the decoded bitmap's; the comparison is off" >&2
	exit 1
fi
text_bytes=$(stat -c %s "$work/kImage")
cp "$work/kImage" "$work/copy-source"
rm -f "$work/cli.h"

echo "running $runs rounds; each round runs every command once" >&2
for round in $(seq "$runs"); do
	echo "round $round" >&2
	time_run xxd "$work/xxd.h" sh -c "xxd -i '$raw' >'$work/xxd.h'"
	time_run text "$work/kImage" "$bench/bench_export" --export-raw "$raw" "$work/kImage"
	time_run cp "$work/copy.h" cp "$work/copy-source" "$work/copy.h"
	time_run im_xxd "$work/im.h" sh -c "'$convert' '$png' -depth 8 BGRA:- | xxd -i >'$work/im.h'"
	time_run cli_rgb32 "$work/rgb32.h" "$cli" --color-space rgb32 --name kImage \
		-o "$work/rgb32.h" "$png"
	time_run im_remap "$work/remap.bmp" "$convert" "$png" +dither -remap "$colormap" \
		-type Palette "BMP3:$work/remap.bmp"
	time_run cli_cmap8 "$work/cmap8.h" "$cli" --color-space cmap8 --name kImage \
		-o "$work/cmap8.h" "$png"
	time_run icon_xxd "$work/icon-xxd.h" sh -c "xxd -i '$icon_raw' >'$work/icon-xxd.h'"
	time_run icon_im "$work/icon-im.h" sh -c \
		"'$convert' '$icon' -depth 8 BGRA:- | xxd -i >'$work/icon-im.h'"
	time_run icon_cli "$work/icon.h" "$cli" -q -o "$work/icon.h" "$icon"
	time_run jpegs_1 "$work/jpegs/1.jpg.h" taskset -c 0 "$cli" -q --color-space cmap8 "${jpegs[@]}"
	time_run jpegs_2 "$work/jpegs/1.jpg.h" taskset -c 0,1 "$cli" -q --color-space cmap8 \
		"${jpegs[@]}"
	if [ ${#ram_jpegs[@]} -gt 0 ]; then
		time_run ram_jpegs_1 "$ram/1.jpg.h" taskset -c 0 "$cli" -q --color-space cmap8 \
			"${ram_jpegs[@]}"
		time_run ram_jpegs_2 "$ram/1.jpg.h" taskset -c 0,1 "$cli" -q --color-space cmap8 \
			"${ram_jpegs[@]}"
		rm -f "$ram"/*.h
	fi
done
rm -f "$work"/*.h "$work"/*.bmp "$work/kImage"

# Google Benchmark medians (ms of real time) of the loaders and conversions.
gbench() {
	"$bench/$1" --benchmark_filter="$2" --benchmark_repetitions="$runs" \
		--benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null \
		| awk -F, '/_median"?,/ { gsub(/"/, "", $1); print $1, $3, $4 }'
}
echo "Google Benchmark cases" >&2
gbench_results=$(
	gbench bench_bitmap "^(LoadImage/(png|jpeg)|Rgb32ToCmap8By(SetBits|DrawBitmap)/(gradient|noise))/$side/"
	gbench bench_library_baseline "^LibraryLoad/(png|jpeg)/$side/"
)
# Real time, or with `cpu` the process's own CPU time, which a busy machine
# inflates less.
gb() {
	echo "$gbench_results" | awk -v n="$1/$side/real_time_median" -v c="${2:-}" \
		'$1 == n { print (c == "cpu") ? $3 : $2 }'
}

# --- table -----------------------------------------------------------------
pixels=$((side * side))
raw_mib=$(awk -v n="$(stat -c %s "$raw")" 'BEGIN { printf "%.0f", n / 1048576 }')
fmt() { awk -v v="$1" 'BEGIN { printf "%.3f", v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
mibs() { awk -v t="$1" -v n="$raw_mib" 'BEGIN { printf "%.0f MiB/s", n / t }'; }
mpx_ms() { awk -v t="$1" -v p="$pixels" 'BEGIN { printf "%.0f Mpx/s", p / t / 1000 }'; }

cpu=$(lscpu 2>/dev/null | awk -F: '/Model name/ { sub(/^ +/, "", $2); print $2; exit }')
memory=$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
filesystem=$(df -T "$work" | awk 'NR == 2 { print $2 }')

echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}, $memory memory, kernel $(uname -r)," \
	"output on $filesystem; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo "Input: a ${side} x ${side} plasma PNG (ImageMagick, seed $side, $(stat -c %s "$png") bytes);" \
	"$raw_mib MiB of pixel bytes; $text_bytes bytes of text. Medians of $runs interleaved runs."
echo
echo "| Task | Command | Median | Rate | Peak memory | Ours vs peer |"
echo "|---|---|---:|---:|---:|---:|"
row() { echo "| $1 | $2 | $3 | $4 | $5 | $6 |"; }
t_xxd=$(seconds xxd); t_text=$(seconds text); t_cp=$(seconds cp)
t_im=$(seconds im_xxd); t_rgb=$(seconds cli_rgb32)
t_remap=$(seconds im_remap); t_cmap=$(seconds cli_cmap8)
row "Pixel bytes to C text" "xxd -i" "$(fmt "$t_xxd") s" "$(mibs "$t_xxd")" \
	"$(peak_mib xxd) MiB" ""
row "" "quillpix text export (no fsync)" "$(fmt "$t_text") s" "$(mibs "$t_text")" \
	"$(peak_mib text) MiB" "$(ratio "$t_xxd" "$t_text")x faster"
row "" "cp of a file as large as the text" "$(fmt "$t_cp") s" "" "$(peak_mib cp) MiB" \
	"text export takes $(ratio "$t_text" "$t_cp")x cp's time"
row "PNG to C text (B_RGB32)" "convert PNG to BGRA \| xxd -i" "$(fmt "$t_im") s" "" \
	"$(peak_mib im_xxd) MiB" ""
row "" "quillpix-export --color-space rgb32 (fsync, rename)" "$(fmt "$t_rgb") s" "" \
	"$(peak_mib cli_rgb32) MiB" "$(ratio "$t_im" "$t_rgb")x faster"
row "PNG to 256 system colours" "convert +dither -remap (to a BMP3 palette image)" \
	"$(fmt "$t_remap") s" "" "$(peak_mib im_remap) MiB" ""
row "" "quillpix-export --color-space cmap8 (whole run)" "$(fmt "$t_cmap") s" "" \
	"$(peak_mib cli_cmap8) MiB" "$(ratio "$t_remap" "$t_cmap")x faster"
t_icon_xxd=$(seconds icon_xxd); t_icon_im=$(seconds icon_im); t_icon=$(seconds icon_cli)
row "32 x 32 PNG icon to C text" "xxd -i on the raw bytes" "$(fmt "$t_icon_xxd") s" "" \
	"$(peak_mib icon_xxd) MiB" ""
row "" "convert PNG to BGRA \| xxd -i" "$(fmt "$t_icon_im") s" "" "$(peak_mib icon_im) MiB" ""
row "" "quillpix-export (fsync, rename)" "$(fmt "$t_icon") s" "" "$(peak_mib icon_cli) MiB" \
	"$(ratio "$t_icon_im" "$t_icon")x faster than convert \| xxd; $(ratio "$t_icon" "$t_icon_xxd")x xxd's time"
t_j1=$(seconds jpegs_1); t_j2=$(seconds jpegs_2)
row "8 JPEGs of 2048 x 2048 to B_CMAP8 text (disk)" "quillpix-export on 1 core" \
	"$(fmt "$t_j1") s" "" "$(peak_mib jpegs_1) MiB" ""
row "" "quillpix-export on 2 cores" "$(fmt "$t_j2") s" "" "$(peak_mib jpegs_2) MiB" \
	"$(ratio "$t_j1" "$t_j2")x faster"
if [ ${#ram_jpegs[@]} -gt 0 ]; then
	t_rj1=$(seconds ram_jpegs_1); t_rj2=$(seconds ram_jpegs_2)
	row "The same, texts in memory (tmpfs)" "quillpix-export on 1 core" "$(fmt "$t_rj1") s" "" \
		"$(peak_mib ram_jpegs_1) MiB" ""
	row "" "quillpix-export on 2 cores" "$(fmt "$t_rj2") s" "" "$(peak_mib ram_jpegs_2) MiB" \
		"$(ratio "$t_rj1" "$t_rj2")x faster"
fi
ms() { awk -v r="$1" -v c="$2" 'BEGIN { printf "%.1f ms (CPU %.1f ms)", r, c }'; }
for format in png jpeg; do
	ours=$(gb "LoadImage/$format"); bare=$(gb "LibraryLoad/$format")
	row "Load $format" "the library called directly" \
		"$(ms "$bare" "$(gb "LibraryLoad/$format" cpu)")" "$(mpx_ms "$bare")" "" ""
	row "" "BTranslationUtils::GetBitmapFile" \
		"$(ms "$ours" "$(gb "LoadImage/$format" cpu)")" "$(mpx_ms "$ours")" "" \
		"$(ratio "$ours" "$bare")x the library's time"
done
for content in gradient noise; do
	for road in SetBits DrawBitmap; do
		t=$(gb "Rgb32ToCmap8By$road/$content"); cpu=$(gb "Rgb32ToCmap8By$road/$content" cpu)
		row "B_RGB32 to B_CMAP8 ($content)" "$road" "$(ms "$t" "$cpu")" \
			"$(mpx_ms "$t") (CPU: $(mpx_ms "$cpu"))" "" ""
	done
done
bitmaps_mib=$(((pixels * 4 * 2) / 1048576 + 32))
echo
echo "Peak memory bound for the B_RGB32 run: two bitmaps plus 32 MiB = $bitmaps_mib MiB."

echo
echo "Embedding images at build time (big images, the forms a compiler reads, 200 icons):"
echo
CONVERT=$convert "$source_dir/bench/embed-build.sh" "$build_dir" "$runs"

echo
echo "Standard output against files:"
echo
CONVERT=$convert "$source_dir/bench/stdout-vs-files.sh" "$build_dir" "$runs"
