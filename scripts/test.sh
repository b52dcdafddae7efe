#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest:
# first the plain build, then the ASan/UBSan and the TSan builds.
# Usage: scripts/test.sh [--quick]   (--quick: the plain build only)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

run() {
	local dir=$1
	shift
	echo "== $dir: build"
	scripts/build.sh "$dir" "$@"
	echo "== $dir: test"
	ctest --test-dir "$dir" --no-tests=error --output-on-failure --parallel "$(nproc)"
}

run build
if [ "${1:-}" != --quick ]; then
	export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
	export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
	export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
	run build-asan -DQUILLPIX_ASAN=ON -DCMAKE_BUILD_TYPE=Debug
	run build-tsan -DQUILLPIX_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
