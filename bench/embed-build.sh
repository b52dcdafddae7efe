#!/bin/bash
# Embedding icons at build time: 200 icons of 32 x 32 (PNG) through
# quillpix_add_image_sources in a CMake + Ninja build, against the same
# icons through an `xxd -i` custom command each, and the 200 icons in one
# quillpix-export run. Both builds configure first and time only the build
# (ninja, 2 jobs), from clean, several runs each, interleaved.
#
# Usage: bench/embed-build.sh BUILD_DIR [RUNS]
#   BUILD_DIR  a configured Quillpix build; it is built and installed into a
#              temporary prefix, which the two projects find it in.
# Prints a markdown table of medians and ratios. bench/compare.sh runs it.

set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:?usage: bench/embed-build.sh BUILD_DIR [RUNS]}
runs=${2:-3}
# Both builds compile every time: a compiler cache would time its lookups.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export CCACHE_DISABLE=1
icons=200
convert=${CONVERT:-$(command -v convert-im6.q16 || command -v convert)}

work=$(mktemp -d "${TMPDIR:-/tmp}/quillpix-embed-XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --build "$build_dir" --parallel 2 >&2
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cli="$work/prefix/bin/quillpix-export"

# 200 different icons: plasma pictures with their own seeds, with alpha.
mkdir -p "$work/icons"
for i in $(seq -w 1 $icons); do
	"$convert" -size 32x32 -seed "$((10#$i))" plasma:fractal -depth 8 \
		-alpha set -channel A -evaluate set 80% +channel "PNG32:$work/icons/icon-$i.png"
done

# The project that embeds them through the CMake function.
mkdir -p "$work/quillpix"
cat >"$work/quillpix/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(EmbedBench LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Quillpix REQUIRED)
file(GLOB icons "$work/icons/*.png")
add_library(icons STATIC)
quillpix_add_image_sources(TARGET icons IMAGES \${icons})
EOF

# The same icons through xxd -i, one custom command and one source each.
mkdir -p "$work/xxd"
cat >"$work/xxd/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(XxdBench LANGUAGES CXX)
file(GLOB icons "$work/icons/*.png")
add_library(icons STATIC)
foreach(icon IN LISTS icons)
	get_filename_component(name "\${icon}" NAME_WE)
	set(source "\${CMAKE_CURRENT_BINARY_DIR}/\${name}.cpp")
	add_custom_command(OUTPUT "\${source}"
		COMMAND xxd -i "\${icon}" "\${source}"
		DEPENDS "\${icon}" VERBATIM)
	target_sources(icons PRIVATE "\${source}")
endforeach()
EOF

configure() {
	rm -rf "$work/build-$1"
	cmake -S "$work/$1" -B "$work/build-$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
}
seconds_of() {
	local start end
	start=$(date +%s.%N)
	"$@" >/dev/null
	end=$(date +%s.%N)
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for round in $(seq "$runs"); do
	echo "embed round $round" >&2
	for project in quillpix xxd; do
		configure $project
		seconds_of ninja -C "$work/build-$project" -j 2 >>"$work/$project.times"
	done
	seconds_of "$cli" -q --color-space rgb32 -o - "$work"/icons/*.png >>"$work/one-run.times"
done

# The function's sources hold what the exporter writes for each icon.
sources=("$work"/build-quillpix/quillpix-images/icons/quillpix-images/*.cpp)
[ ${#sources[@]} -eq $icons ] && grep -q "_MakeBitmap()" "${sources[0]}"

t_q=$(median <"$work/quillpix.times")
t_x=$(median <"$work/xxd.times")
t_one=$(median <"$work/one-run.times")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
echo "| Task | Command | Median | Rate | Ours vs peer |"
echo "|---|---|---:|---:|---:|"
echo "| $icons icons of 32 x 32 into a library (CMake + Ninja, -j 2) | xxd -i custom command per icon | $t_x s | | |"
echo "| | quillpix_add_image_sources | $t_q s | | $(ratio "$t_q" "$t_x")x xxd's time |"
echo "| $icons icons in one quillpix-export run (-o -) | quillpix-export | $t_one s | $(awk -v n=$icons -v t="$t_one" 'BEGIN { printf "%.0f", n / t }') images/s | |"
