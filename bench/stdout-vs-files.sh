#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Standard output against files: eight 1536 x 1536 JPEGs (B_RGB32 text,
# some 460 MB of it) exported in one quillpix-export run, on 1 core and on 2,
# with the texts to standard output (into /dev/null, and into one file in
# memory) and as eight files in memory (tmpfs). The commands run in
# interleaved rounds, so that a change in the machine's load touches each
# alike. Beside them, in the same rounds, two independent CPU-bound loads on
# 1 core and on 2: two sha256sum processes, and two quillpix-export processes
# with four of the images each; what the one run gains from the second core
# is set against what those two processes gain. Prints markdown tables of
# medians and ratios.
#
# Usage: bench/stdout-vs-files.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build of quillpix-export (default: build-bench)
#   RUNS       rounds (default: 5)
# With QUILLPIX_EXPORT_BEFORE set to another quillpix-export, that one runs
# in the same rounds too, for a before-and-after table.
set -euo pipefail

# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$@"
side=1536
before=${QUILLPIX_EXPORT_BEFORE:-}

convert=${CONVERT:-$(command -v convert-im6.q16 || command -v convert)}
bench_build quillpix-export
cli="$build_dir/tools/quillpix-export"

# tmpfs, where writing costs what the memory copy costs and no write-back
# to a disk stands in the way.
memory=/dev/shm
[ -d "$memory" ] && [ -w "$memory" ] || memory=${TMPDIR:-/tmp}
bench_work_dir "$memory" stdout
mkdir "$work/jpegs"
"$convert" -size ${side}x$side -seed $side plasma:fractal -quality 90 "$work/jpegs/1.jpg"
for i in 2 3 4 5 6 7 8; do cp "$work/jpegs/1.jpg" "$work/jpegs/$i.jpg"; done
jpegs=("$work"/jpegs/?.jpg)

# Seconds and peak memory (KiB) of one run of `command` (a shell command
# line, so that it can redirect), after the page cache was written back.
time_run() {
	local name=$1 command=$2
	sync
	local start end
	start=$(date +%s.%N)
	/usr/bin/time -f %M -o "$work/rss" sh -c "exec $command"
	end=$(date +%s.%N)
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }' >>"$work/$name.times"
	tail -n 1 "$work/rss" >>"$work/$name.rss"
	rm -f "$work"/jpegs/*.h "$work/out.h"
}
median() { median_of_lines < "$work/$1.times"; }
peak_mib() { sort -g "$work/$1.rss" | tail -n 1 | awk '{ printf "%.0f", $1 / 1024 }'; }

programs=(after)
[ -n "$before" ] && programs=(before after)
program_path() { [ "$1" = before ] && echo "$before" || echo "$cli"; }

text_bytes=$("$cli" -q -o - "${jpegs[@]}" | wc -c)
# The data the two sha256sum processes hash: about what one of them hashes
# in the time the exporter takes for its eight images.
head -c $((32 << 20)) /dev/urandom >"$work/hashed"
halves=("${jpegs[*]:0:4}" "${jpegs[*]:4:4}")
echo "running $runs rounds" >&2
for round in $(seq "$runs"); do
	echo "round $round" >&2
	for program in "${programs[@]}"; do
		exe=$(program_path "$program")
		for cores in 1 2; do
			cpus=0
			[ "$cores" = 2 ] && cpus=0,1
			time_run "${program}_null_$cores" "taskset -c $cpus '$exe' -q -o - ${jpegs[*]} >/dev/null"
			time_run "${program}_file_$cores" "taskset -c $cpus '$exe' -q -o - ${jpegs[*]} >'$work/out.h'"
			time_run "${program}_files_$cores" "taskset -c $cpus '$exe' -q ${jpegs[*]}"
		done
	done
	for cores in 1 2; do
		cpus=0
		[ "$cores" = 2 ] && cpus=0,1
		time_run "sha_$cores" "taskset -c $cpus sh -c 'sha256sum $work/hashed >/dev/null &
			sha256sum $work/hashed >/dev/null; wait'"
		time_run "processes_$cores" "taskset -c $cpus sh -c '\"$cli\" -q -o - ${halves[0]} >/dev/null &
			\"$cli\" -q -o - ${halves[1]} >/dev/null; wait'"
	done
done

fmt() { awk -v v="$1" 'BEGIN { printf "%.3f s", v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
echo "Machine: $(nproc) cores, load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo "Input: 8 copies of a ${side} x ${side} JPEG (plasma, seed $side, quality 90);" \
	"$text_bytes bytes of text in all. Medians of $runs interleaved rounds; texts in $memory."
echo
echo "| Program | Output | 1 core | 2 cores | 2 cores vs 1 | Peak memory (2 cores) | vs files, 1 core | vs files, 2 cores |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for program in "${programs[@]}"; do
	f1=$(median "${program}_files_1"); f2=$(median "${program}_files_2")
	for output in null file files; do
		t1=$(median "${program}_${output}_1"); t2=$(median "${program}_${output}_2")
		case $output in
		null) label="standard output into /dev/null" ;;
		file) label="standard output into one file" ;;
		files) label="eight files" ;;
		esac
		echo "| $program | $label | $(fmt "$t1") | $(fmt "$t2") | $(ratio "$t1" "$t2") |" \
			"$(peak_mib "${program}_${output}_2") MiB | $(ratio "$t1" "$f1") | $(ratio "$t2" "$f2") |"
	done
done

echo
echo "What the second core gives, against two independent CPU-bound processes in the same rounds"
echo "(target: the run's gain at least 0.85 of theirs):"
echo
echo "| Load | 1 core | 2 cores | 2 cores vs 1 | stdout into /dev/null against it | into one file | eight files |"
echo "|---|---:|---:|---:|---:|---:|---:|"
gain() { ratio "$(median "${1}_1")" "$(median "${1}_2")" | tr -d x; }
for load in sha processes; do
	case $load in
	sha) label="two sha256sum of 32 MiB" ;;
	processes) label="two quillpix-export, four images each, to /dev/null" ;;
	esac
	reference=$(gain "$load")
	cells=""
	for output in null file files; do
		cells+=" $(awk -v a="$(gain "after_$output")" -v b="$reference" 'BEGIN { printf "%.2f", a / b }') |"
	done
	echo "| $label | $(fmt "$(median "${load}_1")") | $(fmt "$(median "${load}_2")") |" \
		"${reference}x |$cells"
done
