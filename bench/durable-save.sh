#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The durable save of a big text against what it is made of: a 4096 x 4096
# B_RGB32 text (some 411 MB) saved by quillpix-export into a new file on disk
# (written, synced, its directory synced), against the same export to
# standard output (into /dev/null) plus dd conv=fsync of the same bytes into
# a file beside it. The target is a save of at most 1.2 times that sum. The
# commands run in interleaved rounds, so that a change in the machine's load
# touches each alike; medians are printed as a markdown table, and, when
# strace is there, the save's count of write calls.
#
# Usage: bench/durable-save.sh [BUILD_DIR] [RUNS] [DIRECTORY]
#   BUILD_DIR  a build of quillpix-export (default: build-bench)
#   RUNS       rounds (default: 5)
#   DIRECTORY  where the texts are written, on the disk to measure
#              (default: a new folder in BUILD_DIR)
# With QUILLPIX_EXPORT set to a quillpix-export, that one is measured and
# nothing is built.
set -euo pipefail

# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$@"
side=4096

cli=${QUILLPIX_EXPORT:-}
if [ -z "$cli" ]; then
	bench_build quillpix-export
	cli="$build_dir/tools/quillpix-export"
fi

parent=${3:-$build_dir}
mkdir -p "$parent"
bench_work_dir "$parent" save

# Noise that no reader can shrink: a binary PPM of random opaque pixels.
{ printf 'P6\n%d %d\n255\n' $side $side; head -c $((side * side * 3)) /dev/urandom; } \
	>"$work/big.ppm"
"$cli" -q --name kBig -o - "$work/big.ppm" >"$work/reference.h"
text_bytes=$(wc -c <"$work/reference.h")

# Seconds of one run of `command` (a shell command line) that writes
# `output` anew, after the page cache was written back.
time_run() {
	local name=$1 output=$2 command=$3
	[ -z "$output" ] || rm -f "$output"
	sync
	local start end
	start=$(date +%s.%N)
	sh -c "$command"
	end=$(date +%s.%N)
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }' >>"$work/$name.times"
}
median() { median_of_lines < "$work/$1.times"; }

echo "running $runs rounds in $work" >&2
for round in $(seq "$runs"); do
	echo "round $round" >&2
	time_run save "$work/saved.h" "'$cli' -q --name kBig -o '$work/saved.h' '$work/big.ppm'"
	time_run stdout "" "'$cli' -q --name kBig -o - '$work/big.ppm' >/dev/null"
	time_run dd "$work/copied.h" "dd if='$work/reference.h' of='$work/copied.h' bs=1M conv=fsync status=none"
done
cmp "$work/saved.h" "$work/reference.h"

writes="(strace not found)"
if command -v strace >/dev/null; then
	rm -f "$work/saved.h"
	strace -f -c -e trace=write,pwrite64 -o "$work/strace" \
		"$cli" -q --name kBig -o "$work/saved.h" "$work/big.ppm"
	writes=$(awk '$NF == "write" || $NF == "pwrite64" { n += $4 } END { print n + 0 }' \
		"$work/strace")
fi

save=$(median save)
stdout=$(median stdout)
dd=$(median dd)
fmt() { awk -v v="$1" 'BEGIN { printf "%.3f s", v }'; }
echo "Machine: $(nproc) cores, load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo "Input: a ${side} x ${side} PPM of random pixels; $text_bytes bytes of B_RGB32 text," \
	"written into $(df --output=fstype "$work" | tail -n 1). Medians of $runs interleaved rounds."
echo
echo "| Command | Median |"
echo "|---|---:|"
echo "| durable save (quillpix-export -o FILE) | $(fmt "$save") |"
echo "| export to standard output (into /dev/null) | $(fmt "$stdout") |"
echo "| dd conv=fsync of the same bytes | $(fmt "$dd") |"
echo "| save / (standard output + dd) | $(awk -v s="$save" -v a="$stdout" -v b="$dd" \
	'BEGIN { printf "%.2fx", s / (a + b) }') (target at most 1.20x) |"
echo "| write calls of one save | $writes |"
