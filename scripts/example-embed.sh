#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs examples/embed, the CMake road, against an installed
# Quillpix; then changes one of its images and checks that the next build
# exports it again.
# Usage: scripts/example-embed.sh [PREFIX]
#   PREFIX  where Quillpix is installed (/usr once the .deb is installed).
#           Without it, this tree is built and installed into
#           build-example/prefix first.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$PWD/build-example
mkdir -p "$work"

if [ $# -ge 1 ]; then
	prefix=$1
else
	scripts/install-deps.sh
	cmake -S . -B "$work/tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPIX_BUILD_TESTS=OFF \
		>/dev/null
	cmake --build "$work/tree" --parallel "$(nproc)"
	rm -rf "$work/prefix"
	cmake --install "$work/tree" --prefix "$work/prefix" >/dev/null
	prefix=$work/prefix
fi

# A copy, so that changing an image leaves the sources alone.
example=$work/example
rm -rf "$example"
cp -r examples/embed "$example"
cmake -S "$example" -B "$example/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$example/build"

expect() {
	local output
	output=$("$example/build/embed-example")
	echo "$output"
	for line in "$@"; do
		if ! grep -q "^$line" <<<"$output"; then
			echo "example-embed: expected a line \"$line\"" >&2
			exit 1
		fi
	done
}

expect "quill: 32 x 32 B_CMAP8, 1024 bytes" "save_file: 16 x 16 B_RGB32, 1024 bytes"

# Nothing changed: nothing is exported again.
if ! cmake --build "$example/build" | grep -q "no work to do"; then
	echo "example-embed: a build without changes did work" >&2
	exit 1
fi

# A changed image is exported again, and only that one.
cp "$example/images/quill.png" "$example/images/save-file.png"
build_log=$(cmake --build "$example/build")
echo "$build_log"
if grep -q "Exporting .*quill.png" <<<"$build_log"; then
	echo "example-embed: an unchanged image was exported again" >&2
	exit 1
fi
expect "quill: 32 x 32 B_CMAP8, 1024 bytes" "save_file: 32 x 32 B_RGB32, 4096 bytes"
echo "example-embed: the example builds against $prefix and follows its images"
