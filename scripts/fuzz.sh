#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang (ASan + UBSan), makes their seed
# corpora and runs every target for SECONDS seconds each (default 60).
# Fails on the first target that finds a crash, a leak, a timeout or an
# out-of-memory; the input that did it is kept under BUILD_DIR/artifacts.
#
# Usage: scripts/fuzz.sh [SECONDS]
# Environment:
#   QUILLPIX_FUZZ_BUILD  build directory (default build-fuzz)
#   FUZZ_ARGS            more libFuzzer options, e.g. "-jobs=2 -workers=2"
#   QUILLPIX_READER_FUZZ_SECONDS  seconds for each small-format reader
#                        (default: 5, or SECONDS when that is less)
#
# A long run, kept between runs in BUILD_DIR/corpus (grows over time):
#   FUZZ_ARGS="-jobs=2 -workers=2" scripts/fuzz.sh 3600
# Replaying one found input:  build-fuzz/fuzz/fuzz_image_export FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${QUILLPIX_FUZZ_BUILD:-build-fuzz}

scripts/install-deps.sh clang  # libFuzzer comes with Debian's clang

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUILLPIX_FUZZ=ON \
	-DQUILLPIX_BUILD_TESTS=OFF -DQUILLPIX_QT_SERVER=OFF \
	-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" >/dev/null
targets=(fuzz_image_export fuzz_format_source
	fuzz_read_png fuzz_read_jpeg fuzz_read_gif fuzz_read_webp fuzz_read_tiff
	fuzz_read_bmp fuzz_read_ico fuzz_read_pnm fuzz_read_tga fuzz_read_xpm fuzz_read_source)
# Each reader's target gets a sixth of the time (at least 5 s), so that a CI
# run stays short.
reader_seconds=${QUILLPIX_READER_FUZZ_SECONDS:-$((seconds / 6 > 5 ? seconds / 6 : 5))}
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

fuzz/make-corpus.sh "$build/seeds"
mkdir -p "$build/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# libFuzzer checks for leaks after every input that allocated more than it
# freed. The check at exit would only add the process-lifetime objects (the
# translation kit's reader list), and its thread tracer has
# been seen to crash there after long runs.
export LSAN_OPTIONS=${LSAN_OPTIONS:-leak_check_at_exit=0}

status=0
for target in "${targets[@]}"; do
	corpus="$build/corpus/$target"
	run_seconds=$seconds
	[[ $target == fuzz_read_* ]] && run_seconds=$reader_seconds
	mkdir -p "$corpus"
	log="$build/$target.log"
	echo "== $target: ${run_seconds}s"
	# Limits: 25 s for one input, 2 GiB of memory for the process.
	# shellcheck disable=SC2086
	if "$build/fuzz/$target" -max_total_time="$run_seconds" -timeout=25 -rss_limit_mb=2048 \
			-max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
			${FUZZ_ARGS:-} "$corpus" "$build/seeds/$target" >"$log" 2>&1; then
		grep -E '^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$log" || true
		grep -E '^(#[0-9]+.*DONE|Done [0-9]+ runs)' "$log" | tail -1 || true
	else
		status=1
		echo "!! $target found a fault; last lines of $log:"
		tail -40 "$log"
	fi
done
exit $status
