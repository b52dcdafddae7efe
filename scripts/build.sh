#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds one build tree.
# Usage: scripts/build.sh BUILD_DIR [cmake options ...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
