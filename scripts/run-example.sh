#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main job, headless: installs what is missing, builds the command-line
# exporter and turns the sample image into C++ source, named after the
# image (examples/quill.png gives the icon name quill); then, as proof that
# the text compiles, pastes it into a small program (examples/paste/),
# builds that against our graphics library and runs it.
# Usage: scripts/run-example.sh [IMAGE [OUTPUT.h]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target quillpix-export be_graphics be_base --parallel "$(nproc)"

image=${1:-examples/quill.png}
output=${2:-build/example/$(basename "$image").h}
mkdir -p "$(dirname "$output")"
name=$(build/tools/quillpix-export --identifiers -- "$image")
build/tools/quillpix-export --name "$name" -o "$output" -- "$image"
echo "Wrote $output ($(wc -c <"$output") bytes) from $image, icon name $name"

program=build/example/paste-$name
includes=()
for kit in graphics support kernel storage; do
	includes+=(-I "platform/$kit")
done
${CXX:-c++} -std=c++20 "${includes[@]}" -DQUILLPIX_ICON="$name" \
	-DQUILLPIX_TEXT="\"$(realpath "$output")\"" examples/paste/main.cpp \
	build/platform/graphics/libbe_graphics.a build/platform/libbe_base.a -pthread -o "$program"
echo "Compiled $output into $program, which says:"
"$program"
