#!/usr/bin/env bash
# Side-by-side: the export of 64 MiB of pixel bytes (a 4096 x 4096 B_RGB32
# bitmap) as C++ source, against `xxd -i` on the same bytes and `cp` of a file
# as large as the export's output. Prints the median of several runs of each
# and the ratios.
#
# Usage: bench/compare-export.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build configured with -DQUILLPIX_BUILD_BENCH=ON (default: build)
#   RUNS       runs of each tool (default: 5)
set -euo pipefail

build_dir=${1:-build}
runs=${2:-5}
bench="$build_dir/bench/bench_export"
cli="$build_dir/tools/quillpix-export"

if [ ! -x "$bench" ]; then
	echo "no $bench: configure with -DQUILLPIX_BUILD_BENCH=ON and build bench_export" >&2
	exit 2
fi
command -v xxd >/dev/null || { echo "xxd is missing (Debian package xxd)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillpix-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT
raw="$work/pixels.raw"
"$bench" --make-raw "$raw"
input_bytes=$(stat -c %s "$raw")

# Seconds taken by the command, to the millisecond; the output file is
# removed first, so that no run pays for freeing the previous one's blocks.
time_once() {
	local output=$1
	shift
	rm -f "$output"
	sync
	local start end
	start=$(date +%s.%N)
	"$@"
	end=$(date +%s.%N)
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

median() {
	sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

measure() {
	local output=$1
	shift
	for _ in $(seq "$runs"); do
		time_once "$output" "$@"
	done | median
}

ours=$(measure "$work/ours.h" "$bench" --export-raw "$raw" "$work/ours.h")
# Keep one output as the file that cp copies.
"$bench" --export-raw "$raw" "$work/ours.h"
output_bytes=$(stat -c %s "$work/ours.h")
xxd_time=$(measure "$work/xxd.h" sh -c "xxd -i '$raw' > '$work/xxd.h'")
cp_time=$(measure "$work/copy.h" cp "$work/ours.h" "$work/copy.h")

cli_line=""
if [ -x "$cli" ] && command -v convert >/dev/null; then
	# The whole command line: decoding a PNG, the export, its fsync and rename.
	convert -size 4096x4096 xc:gray +noise Random -depth 8 "$work/image.png" 2>/dev/null
	cli_time=$(measure "$work/image.png.h" "$cli" --name kImage "$work/image.png")
	cli_line=$cli_time
fi

mib() { awk -v n="$input_bytes" -v t="$1" 'BEGIN { printf "%.1f", n / 1048576 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf 'input: %d bytes of pixels; output: %d bytes of text; %d runs each, medians\n' \
	"$input_bytes" "$output_bytes" "$runs"
printf '%-34s %8.3f s  %8s MiB/s of pixels\n' "export (PlainBufferedFile, 4095)" "$ours" "$(mib "$ours")"
printf '%-34s %8.3f s  %8s MiB/s\n' "xxd -i" "$xxd_time" "$(mib "$xxd_time")"
printf '%-34s %8.3f s\n' "cp of the output" "$cp_time"
if [ -n "$cli_line" ]; then
	printf '%-34s %8.3f s  (PNG decode + export + fsync)\n' "quillpix-export on a PNG" "$cli_line"
fi
printf 'export vs xxd -i: %sx the throughput; export vs cp: %sx the time\n' \
	"$(ratio "$xxd_time" "$ours")" "$(ratio "$ours" "$cp_time")"
