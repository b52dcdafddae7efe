#!/bin/bash
# SPDX-License-Identifier: MIT
# Compressed embedding (--compress, COMPRESS zstd) against raw bytes and the
# PNG files, on three sets:
#
#   * icons: 200 of the 48 x 48 PNG icons of the Adwaita theme
#     (adwaita-icon-theme), the full-colour ones (not the one-colour
#     symbolic ones, which compress several times better);
#   * screenshots: docs/*.png and two made here under Xvfb (a window of
#     ImageMagick's display over openbox, and the same at another size);
#   * photos: the JPEG photographs of gdk-pixbuf-tests (at most 2048 pixels
#     a side) and one made with
#     ImageMagick's plasma, each as a PNG (so that libpng has the same
#     pixels to decode).
#
# For each set, and zstd at levels 3, 9 and 19 (with the default threshold,
# 10 %): the bytes that go into the linked program against the PNG files and
# against raw, and the time to make every bitmap from them against libpng
# decoding the PNG files (in memory, into BGRA), medians of RUNS in CPU time; LZ4 (default and HC 12) the
# same way, measured only here. Then the build time of the 200 icons through
# quillpix_add_image_sources from clean (CMake + Ninja, 2 jobs, no compiler
# cache) at each level against the raw form, in real and CPU time (a busy
# machine inflates the first far more), the exporter's own CPU time an icon
# (one process an icon, as the build runs it), and the data the linked
# program holds, read from its symbols.
#
# Usage: bench/compress.sh [BUILD_DIR [RUNS]]   (RUNS: decode timings, default 5)
# Prints markdown tables. Needs: adwaita-icon-theme, gdk-pixbuf-tests,
# imagemagick, xvfb, openbox, xdotool, liblz4-dev, libpng-dev, libzstd-dev.

set -euo pipefail
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export CCACHE_DISABLE=1
convert=${CONVERT:-$(command -v convert-im6.q16 || command -v convert)}
icon_folder=/usr/share/icons/Adwaita
photo_folder=/usr/libexec/installed-tests/gdk-pixbuf
bench_require "adwaita-icon-theme gdk-pixbuf-tests imagemagick xvfb openbox xdotool liblz4-dev" \
	"$icon_folder" "$photo_folder" "$convert" /usr/bin/Xvfb /usr/bin/openbox /usr/bin/xdotool \
	/usr/include/lz4hc.h

bench_build quillpix-export quillpix_man be_base be_graphics be_translation
bench_work_dir "${TMPDIR:-/tmp}" compress
cmake --install "$build_dir" --component tools --prefix "$work/prefix" >/dev/null
cli=$work/prefix/bin/quillpix-export
levels=(3 9 19)

echo "making the sets" >&2
mkdir -p "$work/icons" "$work/screenshots" "$work/photos"
find "$icon_folder" -path '*48x48*' -name '*.png' ! -name '*symbolic*' | LC_ALL=C sort | head -200 \
	| while read -r icon; do
		cp "$icon" "$work/icons/$(basename "$(dirname "$icon")")-$(basename "$icon")"
	done
cp "$source_dir"/docs/*.png "$work/screenshots/"
# A desktop with a window, as a person would take a screenshot of it: a
# private X server (which says its display number when it is ready), a window
# manager and ImageMagick's display showing one of the docs' screenshots.
mkfifo "$work/display-number"
for shot in 1024x768:zoomed-icon 1280x800:scrolled; do
	size=${shot%:*}
	Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp 5>"$work/display-number" 2>/dev/null &
	server=$!
	read -r number <"$work/display-number"
	DISPLAY=:$number openbox 2>/dev/null &
	manager=$!
	DISPLAY=:$number display -geometry +60+40 "$source_dir/docs/${shot#*:}.png" &
	window=$!
	DISPLAY=:$number timeout 60 xdotool search --sync --onlyvisible --name '^ImageMagick: ' \
		>/dev/null
	DISPLAY=:$number import -window root "$work/screenshots/desktop-$size.png"
	# One of them may have gone already; that is no failure of the benchmark.
	kill $window $manager $server 2>/dev/null || true
	wait $window $manager $server 2>/dev/null || true
done
# At most 2048 pixels a side (large.jpg, 22500 x 33300, is beyond ImageMagick's
# limits and left out).
find "$photo_folder" -maxdepth 2 -name '*.jpg' -size +20k -size -5M | LC_ALL=C sort \
	| while read -r photo; do
		"$convert" "$photo" -auto-orient -resize '2048x2048>' \
			"PNG24:$work/photos/$(basename "$photo" .jpg).png"
	done
"$convert" -size 1024x768 -seed 3 plasma:fractal -blur 0x2 "PNG24:$work/photos/plasma.png"

# Every image exported raw and at each level, listed for the measure.
echo "exporting" >&2
for set in icons screenshots photos; do
	: >"$work/$set.list"
	for image in "$work/$set"/*.png; do
		base=${image%.png}
		line="$image $base.raw.bin"
		"$cli" -q --color-space rgb32 --name image --embed "$base.raw.h" "$image"
		for level in "${levels[@]}"; do
			"$cli" -q --color-space rgb32 --name image --compress "zstd:$level" \
				--embed "$base.z$level.h" "$image"
			line+=" $base.z$level.bin"
		done
		echo "$line" >>"$work/$set.list"
	done
done

echo "measuring" >&2
g++ -std=c++17 -O2 -o "$work/compress-measure" "$source_dir/bench/compress_measure.cpp" \
	-I "$work/prefix/include/quillpix" -L "$work/prefix/lib/quillpix" -lbe_graphics -lbe_base \
	-lzstd -llz4 -lpng16 -pthread
echo
echo "| set | form | bytes in the program | against the PNGs | against raw | compressed | CPU ms to make every bitmap | libpng's time against it |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for set in icons screenshots photos; do
	"$work/compress-measure" "$set" "$runs" "$work/$set.list"
done

# --- 200 icons through the function ------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "building the icons" >&2
{
	echo '#include <cstdio>'
	for image in "$work"/icons/*.png; do
		name=$("$cli" --identifiers "$image")
		echo "#include \"quillpix-images/$name.h\""
	done
	echo 'int main() {'
	echo '	int made = 0;'
	for image in "$work"/icons/*.png; do
		name=$("$cli" --identifiers "$image")
		echo "	made += ${name}_MakeBitmap() != nullptr;"
	done
	echo '	printf("%d\n", made);'
	echo "	return made == $(find "$work/icons" -name '*.png' | wc -l) ? 0 : 1;"
	echo '}'
} >"$work/icons-main.cpp"
echo
echo "| 200 icons through quillpix_add_image_sources | build seconds (from clean, 2 jobs) | against raw | CPU seconds | against raw | exporter CPU ms an icon | image data in the program |"
echo "|---|---:|---:|---:|---:|---:|---:|"
raw_seconds=""
raw_cpu=""
for form in raw "${levels[@]}"; do
	project=$work/build-icons-$form
	mkdir -p "$project"
	compress=""
	[ "$form" = raw ] || compress="COMPRESS zstd:$form"
	cat >"$project/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(Icons LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(Quillpix REQUIRED)
add_executable(icons "$work/icons-main.cpp")
file(GLOB icons "$work/icons/*.png")
quillpix_add_image_sources(TARGET icons COLOR_SPACE rgb32 $compress IMAGES \${icons})
EOF
	cmake -S "$project" -B "$project/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_CXX_COMPILER=/usr/bin/g++ -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
	read -r seconds cpu < <(timed_both ninja -C "$project/build" -j 2)
	"$project/build/icons" >/dev/null
	data=$(nm -S -t d --defined-only "$project/build/icons" \
		| awk '$4 ~ /_(MData|ZData|ZSize)E?$/ { sum += $2 } END { print sum }')
	[ -n "$raw_seconds" ] || raw_seconds=$seconds
	[ -n "$raw_cpu" ] || raw_cpu=$cpu
	# The exporter alone, one process an icon as the build runs it.
	read -r _ export_cpu < <(timed_both bash -c 'cli=$1 form=$2 out=$3; shift 3
		for icon in "$@"; do
			"$cli" -q --color-space rgb32 --name image ${form:+--compress zstd:$form} \
				--embed "$out" "$icon"
		done' _ "$cli" "${compress:+$form}" "$work/one-icon.h" "$work"/icons/*.png)
	label=$form
	[ "$form" = raw ] || label="zstd $form"
	echo "| $label | $seconds | $(ratio "$seconds" "$raw_seconds") | $cpu | $(ratio "$cpu" "$raw_cpu") | $(awk -v s="$export_cpu" -v n="$(find "$work/icons" -name '*.png' | wc -l)" 'BEGIN { printf "%.2f", s * 1000 / n }') | $data |"
done
