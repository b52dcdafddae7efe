# shellcheck shell=bash
# Helpers the bench scripts share; sourced by them, not run on its own.

bench_source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Configures BUILD_DIR as a Release build without the tests, with any further
# cmake arguments given, when it has not been configured yet.
bench_configure() {
	local build_dir=$1
	shift
	if [ ! -f "$build_dir/CMakeCache.txt" ]; then
		cmake -S "$bench_source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
			-DQUILLPIX_BUILD_TESTS=OFF "$@" >&2
	fi
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
