# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Helpers the bench scripts share; sourced by them with their arguments, not
# run on its own. Sets source_dir, the top of the source tree, and from the
# arguments every script takes first: build_dir (BUILD_DIR, default
# build-bench in the source tree) and runs (RUNS, default 5).

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-$source_dir/build-bench}
# shellcheck disable=SC2034  # read by the scripts
runs=${2:-5}

# Stops the script when a FILE is missing, naming the PACKAGES that bring
# them.
bench_require() {
	local packages=$1 needed
	shift
	for needed in "$@"; do
		if [ ! -e "$needed" ]; then
			echo "$(basename "$0"): $needed is missing (packages $packages)" >&2
			exit 1
		fi
	done
}

# Builds the TARGETs in $build_dir with two jobs, configuring it first as a
# Release build without the tests when it has not been configured yet; the
# -D arguments before the targets go to that configure step.
bench_build() {
	local configure=()
	while [ $# -gt 0 ] && [ "${1#-D}" != "$1" ]; do
		configure+=("$1")
		shift
	done
	if [ ! -f "$build_dir/CMakeCache.txt" ]; then
		cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
			-DQUILLPIX_BUILD_TESTS=OFF "${configure[@]}" >&2
	fi
	cmake --build "$build_dir" --parallel 2 --target "$@" >&2
}

# Makes $work, a new folder named after NAME under PARENT, removed when the
# script exits.
bench_work_dir() {
	local parent=$1 name=$2
	work=$(mktemp -d "$parent/quillpix-$name-XXXXXX")
	trap 'rm -rf "$work"' EXIT
}

# The median of the numbers on standard input, one a line.
median_of_lines() {
	sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Seconds one command takes, as "real cpu" (cpu: user and system time, which
# a busy machine inflates far less than real time); its standard output is
# thrown away.
timed_both() {
	local TIMEFORMAT='%R %U %S' times
	times=$( { time "$@" > /dev/null 2>&3; } 3>&2 2>&1 )
	awk '{ printf "%s %.3f\n", $1, $2 + $3 }' <<< "$times"
}
