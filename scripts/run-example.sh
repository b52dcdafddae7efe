#!/usr/bin/env bash
# The main job, headless: installs what is missing, builds the command-line
# exporter and turns the sample image into C++ source.
# Usage: scripts/run-example.sh [IMAGE [OUTPUT.h]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target quillpix-export --parallel "$(nproc)"

image=${1:-examples/quill.png}
output=${2:-build/example/$(basename "$image").h}
mkdir -p "$(dirname "$output")"
build/tools/quillpix-export -o "$output" "$image"
echo "Wrote $output ($(wc -c <"$output") bytes) from $image"
