#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds one build tree and runs every test in it
# through ctest.
# Usage: scripts/test.sh [plain|asan|tsan]
#   plain  (the default) a RelWithDebInfo build in build/, line tables only
#   asan   AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
#   tsan   ThreadSanitizer, in build-tsan/
# CI (.ci/run) runs all three, then the fuzzers and the package check.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

variant=${1:-plain}
case $variant in
plain)
	dir=build
	# Line tables only (-g1): backtraces and sanitizer reports keep their
	# file and line, and the build takes a third less time than with -g.
	options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
	;;
asan)
	dir=build-asan
	options=(-DQUILLPIX_ASAN=ON -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g1")
	export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
	export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
	;;
tsan)
	dir=build-tsan
	# -O1 compiles a quarter faster than -O2 under ThreadSanitizer, and the
	# tests wait on threads far more than they compute.
	options=(-DQUILLPIX_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
		"-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
	export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
	;;
*)
	echo "usage: scripts/test.sh [plain|asan|tsan]" >&2
	exit 2
	;;
esac

echo "== $dir: build"
scripts/build.sh "$dir" "${options[@]}"
echo "== $dir: test"
# Under a sanitizer the tests spend most of their time waiting (on windows,
# threads and child processes), so twice as many run at once.
jobs=$(nproc)
[ "$variant" = plain ] || jobs=$((jobs * 2))
ctest --test-dir "$dir" --no-tests=error --output-on-failure --parallel "$jobs"
