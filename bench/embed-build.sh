#!/bin/bash
# SPDX-License-Identifier: MIT
# Embedding images at build time, every build from clean with no compiler
# cache (configure excluded), several runs each, interleaved:
#
#   * one big image through quillpix_add_image_sources into a small program
#     (export + compile + link): 4096 x 4096, and 2048 x 2048 beside the hex
#     form (the text export in a function, as the build form used to be);
#     the compiler's peak memory, the exporter's alone; and 4096 x 4096 in
#     the standalone form (STANDALONE) into a program in C;
#   * the ways a compiler can read 2048 x 2048 and 4096 x 4096 pixels' bytes:
#     "0xNN, " items in C++, C string literals in C, and the assembler source
#     the exporter writes (.incbin; one compile or assembly each, time and
#     peak memory);
#   * 8192 x 8192 (B_RGB32, 256 MiB): the export and the assembly of its
#     source, time and peak memory (once);
#   * 200 icons of 32 x 32 through the function against the same icons
#     through an `xxd -i` custom command each (CMake + Ninja, 2 jobs), and
#     the 200 in one quillpix-export run;
#   * the 4096 x 4096 build and both icon builds through distcc, to a distccd
#     on this machine that cannot see the tree, and through ccache twice from
#     cold (an empty cache, then the build tree made anew in the same place).
#
# Usage: bench/embed-build.sh BUILD_DIR [RUNS]
#   BUILD_DIR  a configured Quillpix build; it is built and installed into a
#              temporary prefix, which the projects find it in.
# Prints markdown tables of medians and ratios. bench/compare.sh runs it.

set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:?usage: bench/embed-build.sh BUILD_DIR [RUNS]}
runs=${2:-3}
# Every build compiles every time: the compilers themselves, no cache.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export CCACHE_DISABLE=1
cxx=/usr/bin/g++
cc=/usr/bin/gcc
icons=200
convert=${CONVERT:-$(command -v convert-im6.q16 || command -v convert)}
gnu_time=/usr/bin/time

work=$(mktemp -d "${TMPDIR:-/tmp}/quillpix-embed-XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --build "$build_dir" --parallel 2 >&2
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cli="$work/prefix/bin/quillpix-export"
includes=(-I "$work/prefix/include/quillpix")

seconds_of() {
	local start end
	start=$(date +%s.%N)
	"$@" >/dev/null
	end=$(date +%s.%N)
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
maximum() { sort -g | tail -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
# "seconds peak-KiB" of one command.
measure() {
	"$gnu_time" -f "%e %M" -o "$work/measure.out" "$@" >/dev/null 2>"$work/measure.err" \
		|| { cat "$work/measure.err" >&2; return 1; }
	tail -1 "$work/measure.out"
}

# --- inputs -----------------------------------------------------------------
echo "making the images" >&2
for side in 2048 4096; do
	"$convert" -size ${side}x${side} -seed 7 plasma:fractal -depth 8 "PNG24:$work/splash-$side.png"
done
# ImageMagick's policy keeps an 8192 x 8192 picture on disk, where plasma
# takes it many minutes: the 4096 one, every row twice side by side and twice
# over, as a PPM (P6), which it turns into a PNG in half a minute.
"$convert" "$work/splash-4096.png" -depth 8 "RGB:$work/splash-4096.rgb"
{
	printf 'P6\n8192 8192\n255\n'
	xxd -p -c 12288 "$work/splash-4096.rgb" \
		| awk '{ print $0 $0; print $0 $0 }' \
		| xxd -r -p
} >"$work/splash-8192.ppm"
"$convert" "$work/splash-8192.ppm" -define png:compression-level=1 "PNG24:$work/splash-8192.png"
rm "$work/splash-4096.rgb" "$work/splash-8192.ppm"
mkdir -p "$work/icons"
for i in $(seq -w 1 $icons); do
	"$convert" -size 32x32 -seed "$((10#$i))" plasma:fractal -depth 8 \
		-alpha set -channel A -evaluate set 80% +channel "PNG32:$work/icons/icon-$i.png"
done

# --- one big image through the function --------------------------------------
# The program: the header's size is the bitmap's, and the bitmap is built.
cat >"$work/main.cpp" <<'EOF'
#include "quillpix-images/splash.h"
#include <cstdio>
int
main()
{
	static_assert(sizeof(splash_MData) > 0);
	PrefilledBitmap* bitmap = splash_MakeBitmap();
	printf("%d bytes\n", int(bitmap->BitsLength()));
	return bitmap->BitsLength() == int32(sizeof(splash_MData)) ? 0 : 1;
}
EOF
# The same in the standalone form, for a program in C alone.
cat >"$work/main.c" <<'EOF'
#include "quillpix-images/splash.h"
#include <stdio.h>
int
main(void)
{
	printf("%d bytes\n", (int)sizeof(splash_MData));
	return (size_t)splash_BytesPerRow * splash_Height == sizeof(splash_MData) ? 0 : 1;
}
EOF
mkdir -p "$work/standalone-4096"
cat >"$work/standalone-4096/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(EmbedStandalone LANGUAGES C)
find_package(Quillpix REQUIRED)
add_executable(splash "$work/main.c")
file(CREATE_LINK "$work/splash-4096.png" "\${CMAKE_CURRENT_BINARY_DIR}/splash.image" SYMBOLIC)
quillpix_add_image_sources(TARGET splash STANDALONE IMAGES "\${CMAKE_CURRENT_BINARY_DIR}/splash.image")
EOF
for side in 2048 4096 8192; do
	image=$work/splash-$side.png
	mkdir -p "$work/big-$side"
	cat >"$work/big-$side/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(EmbedBig LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Quillpix REQUIRED)
add_executable(splash "$work/main.cpp")
file(CREATE_LINK "$image" "\${CMAKE_CURRENT_BINARY_DIR}/splash.image" SYMBOLIC)
quillpix_add_image_sources(TARGET splash IMAGES "\${CMAKE_CURRENT_BINARY_DIR}/splash.image")
EOF
done

# The hex form at 2048 x 2048: the text to paste, its construction statement
# made the body of splash_MakeBitmap(), as the build form was before.
cat >"$work/frame.sh" <<'EOF'
#!/bin/sh
# frame.sh TEXT SOURCE
{
	printf '#include <PrefilledBitmap.h>\n'
	sed 's|^//Put this after your BApplication object has been constructed:$|PrefilledBitmap*\nsplash_MakeBitmap()\n{\n\tif (splash_MICN == nullptr)|' "$1"
	printf '\treturn splash_MICN;\n}\n'
} >"$2"
EOF
chmod +x "$work/frame.sh"
mkdir -p "$work/hex-2048/include/quillpix-images"
cat >"$work/hex-2048/include/quillpix-images/splash.h" <<'EOF'
#pragma once
#include <PrefilledBitmap.h>
extern uint8 splash_MData[];
extern PrefilledBitmap* splash_MICN;
PrefilledBitmap* splash_MakeBitmap();
EOF
sed 's/static_assert(sizeof(splash_MData) > 0);//; s/int32(sizeof(splash_MData))/2048 * 2048 * 4/' \
	"$work/main.cpp" >"$work/hex-2048/main.cpp"
cat >"$work/hex-2048/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(EmbedHex LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Quillpix REQUIRED)
add_executable(splash main.cpp "\${CMAKE_CURRENT_BINARY_DIR}/splash.cpp")
add_custom_command(OUTPUT "\${CMAKE_CURRENT_BINARY_DIR}/splash.cpp"
	COMMAND "$cli" -q --color-space rgb32 --name splash -o splash.txt "$work/splash-2048.png"
	COMMAND "$work/frame.sh" splash.txt "\${CMAKE_CURRENT_BINARY_DIR}/splash.cpp"
	DEPENDS "$work/splash-2048.png" VERBATIM)
target_include_directories(splash PRIVATE include)
target_link_libraries(splash PRIVATE Quillpix::graphics)
EOF

# Configures `project` into build-`project` with the compilers measured.
configure() {
	rm -rf "$work/build-$1"
	cmake -S "$work/$1" -B "$work/build-$1" -G Ninja -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli \
		-DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$work/prefix" \
		"-DCMAKE_CXX_COMPILER_LAUNCHER=$gnu_time;-a;-o;$work/$1.memory;-f;%M" \
		"-DCMAKE_C_COMPILER_LAUNCHER=$gnu_time;-a;-o;$work/$1.memory;-f;%M" >/dev/null
}
# Builds it from clean: its time to the .times file, its compilers' peak to
# .peaks and the peak of its largest process of any kind (the exporter, the
# assembler, the linker) to .steps; the program it made must run.
build_big() {
	configure "$1"
	: >"$work/$1.memory"
	"$gnu_time" -f "%e %M" -o "$work/$1.ninja" ninja -C "$work/build-$1" -j 2 >/dev/null
	awk '{ print $1 }' "$work/$1.ninja" >>"$work/$1.times"
	awk '{ print $2 }' "$work/$1.ninja" >>"$work/$1.steps"
	maximum <"$work/$1.memory" >>"$work/$1.peaks"
	"$work/build-$1/splash" >/dev/null
}

for round in $(seq "$runs"); do
	echo "big image round $round" >&2
	for project in big-4096 standalone-4096 big-2048 hex-2048; do
		build_big $project
	done
	measure "$cli" -q --embed "$work/export.h" "$work/splash-4096.png" >>"$work/export-4096.measures"
done
echo "8192 x 8192" >&2
build_big big-8192
measure "$cli" -q --embed "$work/export.h" "$work/splash-8192.png" >"$work/export-8192.measures"
measure "$cli" -q -o "$work/text-8192.h" "$work/splash-8192.png" >"$work/text-8192.measures"
rm "$work/text-8192.h"
measure "$cxx" -c "$work/export.s" -Wa,-I"$work" -o "$work/export.o" \
	>"$work/compile-8192.measures"

# --- the forms a compiler can read ---------------------------------------------
# The same bytes three ways: the text export's items in C++ (in its function
# frame), C string literals of exactly the array's length in C, and the
# exporter's .incbin source.
echo "the forms" >&2
for side in 2048 4096; do
	"$cli" -q --color-space rgb32 --embed "$work/form-$side.h" "$work/splash-$side.png"
	{
		printf 'unsigned char splash_MData[%d] =\n' "$(stat -c %s "$work/form-$side.bin")"
		xxd -p -c 64 "$work/form-$side.bin" | sed -e 's/\(..\)/\\x\1/g' -e 's/^/"/' -e 's/$/"/'
		printf ';\n'
	} >"$work/strings-$side.c"
done
"$cli" -q --color-space rgb32 --name splash -o "$work/hex.txt" "$work/splash-2048.png"
"$work/frame.sh" "$work/hex.txt" "$work/hex-2048.cpp"
# The hex form's compile takes minutes: once.
measure "$cxx" -std=c++20 -O2 "${includes[@]}" -c "$work/hex-2048.cpp" -o "$work/form.o" \
	>"$work/form-hex-2048"
for round in $(seq "$runs"); do
	echo "forms round $round" >&2
	for side in 2048 4096; do
		measure "$cc" -O2 -c "$work/strings-$side.c" -o "$work/form.o" >>"$work/form-strings-$side"
		measure "$cxx" -c "$work/form-$side.s" -Wa,-I"$work" -o "$work/form.o" \
			>>"$work/form-incbin-$side"
	done
done

# --- 200 icons ----------------------------------------------------------------
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
for round in $(seq "$runs"); do
	echo "icons round $round" >&2
	for project in quillpix xxd; do
		configure $project
		seconds_of ninja -C "$work/build-$project" -j 2 >>"$work/$project.times"
	done
	seconds_of "$cli" -q --color-space rgb32 -o - "$work"/icons/*.png >>"$work/one-run.times"
done
# The function's files hold what the exporter writes for each icon.
sources=("$work"/build-quillpix/quillpix-images/icons/quillpix-images/*.s)
headers=("$work"/build-quillpix/quillpix-images/icons/quillpix-images/*.h)
[ ${#sources[@]} -eq $icons ] && grep -q "_MakeBitmap()" "${headers[0]}"

# --- through a compile farm and a compiler cache --------------------------------
# The 4096 x 4096 build and the icons (both ways) again: through distcc to a
# distccd on this machine that cannot see the tree (a mount namespace of its
# own in which $work and Quillpix's trees are empty tmpfs mounts), with no
# compiling here in place of a compile it fails; and through ccache twice
# from cold (an empty cache, then the build tree deleted and made again in
# the same place). Every C++ compile of a distcc build must have gone to the
# server and succeeded there, and a second ccache build must be all hits.
farm_log=$(mktemp "${TMPDIR:-/tmp}/quillpix-distccd-XXXXXX")
distccd_pid=""
trap 'rm -rf "$work"; [ -z "$distccd_pid" ] || kill "$distccd_pid" 2>/dev/null; rm -f "$farm_log"' EXIT
start_distccd() {
	local daemon script
	# distccd runs only compilers with a link in /usr/lib/distcc.
	daemon="distccd --no-detach --daemon --listen 127.0.0.1 --port $distcc_port \
		--allow 127.0.0.1 --jobs 2 --log-stderr --log-level=info"
	[ -e "/usr/lib/distcc/$(basename "$cxx")" ] || daemon+=" --enable-tcp-insecure"
	if [ "$(id -u)" -eq 0 ]; then
		script="exec $daemon --user nobody"
		set -- unshare --mount --propagation private
	else
		# Mounts need a user namespace; distccd refuses to be its root.
		script="exec unshare --user -- $daemon"
		set -- unshare --user --map-root-user --mount --propagation private
	fi
	script="for folder do mount -t tmpfs tmpfs \"\$folder\" || exit 125; done; $script"
	"$@" -- /bin/sh -c "$script" sh "$build_dir" "$source_dir" "$work" >"$farm_log" 2>&1 &
	distccd_pid=$!
	for _ in $(seq 100); do
		grep -q "listening on 127.0.0.1:$distcc_port" "$farm_log" && return 0
		kill -0 "$distccd_pid" 2>/dev/null || break
		sleep 0.1
	done
	cat "$farm_log" >&2
	return 1
}
for distcc_port in $(shuf -i 20000-60000 -n 5); do
	(: >"/dev/tcp/127.0.0.1/$distcc_port") 2>/dev/null && continue
	start_distccd && break
	distccd_pid=""
done
[ -n "$distccd_pid" ] || { echo "cannot start distccd in a mount namespace of its own" >&2; exit 1; }
[ ! -e "/proc/$distccd_pid/root$work/main.cpp" ] && [ -e "/proc/$distccd_pid/root$cxx" ]
mkdir -p "$work/distcc"
# Runs a command with the distcc client set for that server alone.
with_distcc() (
	unset $(compgen -e | grep '^DISTCC_' || true)
	export DISTCC_HOSTS=127.0.0.1:$distcc_port/2 DISTCC_FALLBACK=0 DISTCC_SKIP_LOCAL_RETRY=1 \
		DISTCC_DIR=$work/distcc DISTCC_LOG=$work/distcc.log
	"$@"
)
# Runs a command with the cache of PROJECT ($1), which has only the defaults.
: >"$work/ccache.conf"
with_ccache() (
	unset $(compgen -e | grep '^CCACHE_' || true)
	export CCACHE_DIR=$work/ccache-$1 CCACHE_CONFIGPATH=$work/ccache.conf
	shift
	"$@"
)
# configure_through LAUNCHER PROJECT FOLDER: configures PROJECT into FOLDER from scratch.
configure_through() {
	rm -rf "$3"
	cmake -S "$work/$2" -B "$3" -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$work/prefix" \
		-DCMAKE_CXX_COMPILER_LAUNCHER="$1" >/dev/null
}
# How many commands of the build in FOLDER start with LAUNCHER.
launched() { ninja -C "$2" -t commands | grep -c "^$1 " || true; }
# The counter NAME ($2) of PROJECT's cache ($1).
ccache_counter() { with_ccache "$1" ccache --print-stats | awk -v n="$2" '$1 == n { print $2 }'; }
# The calls of PROJECT's cache ($1) that it could not cache, for whatever reason.
uncacheable() {
	with_ccache "$1" ccache --print-stats | awk '$1 !~ /^(cache_miss|direct_cache_(hit|miss)|preprocessed_cache_(hit|miss)|cache_size_kibibyte|files_in_cache|cleanups_performed|stats_.*|.*storage.*)$/ { n += $2 } END { print n + 0 }'
}

for round in $(seq "$runs"); do
	echo "farm and cache round $round" >&2
	for project in big-4096 quillpix xxd; do
		folder=$work/build-$project-distcc
		with_distcc configure_through distcc $project "$folder"
		before=$(grep -c " COMPILE_OK " "$farm_log" || true)
		with_distcc seconds_of ninja -C "$folder" -j 2 >>"$work/$project-distcc.times"
		after=$(grep -c " COMPILE_OK " "$farm_log" || true)
		compiles=$(launched distcc "$folder")
		if [ $((after - before)) -ne "$compiles" ] || grep "(dcc_job_summary)" "$farm_log" \
				| grep -v -q " COMPILE_OK "; then
			echo "$project: $((after - before)) of $compiles compiles done by distccd" >&2
			cat "$farm_log" >&2
			exit 1
		fi
		echo "$compiles" >"$work/$project-distcc.compiles"
		[ $project = big-4096 ] && "$folder/splash" >/dev/null

		folder=$work/build-$project-ccache
		rm -rf "$work/ccache-$project"
		for pass in 1 2; do
			with_ccache $project configure_through ccache $project "$folder"
			with_ccache $project ccache --zero-stats >/dev/null
			with_ccache $project seconds_of ninja -C "$folder" -j 2 \
				>>"$work/$project-ccache-$pass.times"
			hits=$(($(ccache_counter $project direct_cache_hit) \
				+ $(ccache_counter $project preprocessed_cache_hit)))
			echo "$hits/$(launched ccache "$folder"), $(uncacheable $project) not cacheable" \
				>"$work/$project-ccache-$pass.hits"
		done
		[ $project = big-4096 ] && "$folder/splash" >/dev/null
	done
done
kill "$distccd_pid"
wait "$distccd_pid" 2>/dev/null || true
distccd_pid=""

# --- tables -------------------------------------------------------------------
column() { awk -v n="$2" '{ print $n }' "$1" | median; }
echo "| Task | Form | Median | Compiler peak | Largest step | Hex form vs ours |"
echo "|---|---|---:|---:|---:|---:|"
t_big4=$(median <"$work/big-4096.times")
t_big2=$(median <"$work/big-2048.times")
t_hex2=$(median <"$work/hex-2048.times")
steps() { mib "$(median <"$work/$1.steps")"; }
echo "| 4096 x 4096 PNG through the function, export + assemble + compile + link (-j 2) | assembled object | $t_big4 s | $(mib "$(median <"$work/big-4096.peaks")") MiB | $(steps big-4096) MiB | |"
t_alone4=$(median <"$work/standalone-4096.times")
echo "| 4096 x 4096 PNG, the same in the standalone form, a C program (bound: 3 s, 512 MiB) | read-only assembled object | $t_alone4 s | $(mib "$(median <"$work/standalone-4096.peaks")") MiB | $(steps standalone-4096) MiB | $(ratio "$t_alone4" "$t_big4")x the Be form's time |"
echo "| 2048 x 2048 PNG, the same | assembled object | $t_big2 s | $(mib "$(median <"$work/big-2048.peaks")") MiB | $(steps big-2048) MiB | $(ratio "$t_hex2" "$t_big2")x our time |"
echo "| | hex items in a function (the form before) | $t_hex2 s | $(mib "$(median <"$work/hex-2048.peaks")") MiB | $(steps hex-2048) MiB | |"
echo "| 8192 x 8192 PNG through the function, the same, once | assembled object | $(cat "$work/big-8192.times") s | $(mib "$(cat "$work/big-8192.peaks")") MiB | $(steps big-8192) MiB | |"
echo "| 4096 x 4096 PNG: the exporter alone (--embed) | | $(column "$work/export-4096.measures" 1) s | exporter $(mib "$(column "$work/export-4096.measures" 2)") MiB | | |"
echo "| 8192 x 8192 PNG: the exporter alone (--embed), once | | $(column "$work/export-8192.measures" 1) s | exporter $(mib "$(column "$work/export-8192.measures" 2)") MiB (bound: 2 bitmaps + 32 MiB = 544 MiB) | | |"
echo "| 8192 x 8192 PNG: the exporter's text to paste, once | | $(column "$work/text-8192.measures" 1) s | exporter $(mib "$(column "$work/text-8192.measures" 2)") MiB | | |"
echo "| 8192 x 8192: c++ -c of its assembler source, once | .incbin | $(column "$work/compile-8192.measures" 1) s | $(mib "$(column "$work/compile-8192.measures" 2)") MiB | | |"
echo
echo "| Bytes compiled (one compile, -O2, or one assembly) | Form | Median | Compiler peak |"
echo "|---|---|---:|---:|"
echo "| 2048 x 2048 B_RGB32 (16 MiB) | 0xNN items, C++ (once) | $(column "$work/form-hex-2048" 1) s | $(mib "$(column "$work/form-hex-2048" 2)") MiB |"
for side in 2048 4096; do
	label="$side x $side B_RGB32 ($((side * side * 4 >> 20)) MiB)"
	[ $side = 4096 ] || label=""
	echo "| $label | C string literals, C | $(column "$work/form-strings-$side" 1) s | $(mib "$(column "$work/form-strings-$side" 2)") MiB |"
	echo "| | .incbin, assembler source | $(column "$work/form-incbin-$side" 1) s | $(mib "$(column "$work/form-incbin-$side" 2)") MiB |"
done
echo
t_q=$(median <"$work/quillpix.times")
t_x=$(median <"$work/xxd.times")
t_one=$(median <"$work/one-run.times")
echo "| Task | Command | Median | Rate | Ours vs peer |"
echo "|---|---|---:|---:|---:|"
echo "| $icons icons of 32 x 32 into a library (CMake + Ninja, -j 2) | xxd -i custom command per icon | $t_x s | | |"
echo "| | quillpix_add_image_sources | $t_q s | | $(ratio "$t_q" "$t_x")x xxd's time |"
echo "| $icons icons in one quillpix-export run (-o -) | quillpix-export | $t_one s | $(awk -v n=$icons -v t="$t_one" 'BEGIN { printf "%.0f", n / t }') images/s | |"
echo
echo "| Build from clean (CMake + Ninja, -j 2) | Plain (above) | distcc to a server that cannot see the tree | ccache, first cold | ccache, second cold |"
echo "|---|---:|---:|---:|---:|"
for project in big-4096 quillpix xxd; do
	case $project in
	big-4096) label="4096 x 4096 PNG through the function" ;;
	quillpix) label="$icons icons of 32 x 32 through quillpix_add_image_sources" ;;
	xxd) label="$icons icons, xxd -i custom command per icon" ;;
	esac
	plain=$(median <"$work/$project.times")
	distcc=$(median <"$work/$project-distcc.times")
	first=$(median <"$work/$project-ccache-1.times")
	second=$(median <"$work/$project-ccache-2.times")
	echo "| $label | $plain s | $distcc s ($(ratio "$distcc" "$plain")x; C++ compiles sent: $(cat "$work/$project-distcc.compiles")) | $first s (hits $(cat "$work/$project-ccache-1.hits")) | $second s ($(ratio "$second" "$first")x the first; hits $(cat "$work/$project-ccache-2.hits")) |"
done
