#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the two Debian packages, installs them on this machine (meant for CI,
# whose machine is thrown away afterwards) and uses them as a person would.
# quillpix-tools first and alone: it must need no desktop stack (no Qt, no
# fontconfig or freetype); then quillpix --version, one export, the manual
# pages, the bash completion, the CMake, Make and Meson examples built against
# the installed package. Then the application package, with its program, desktop entry,
# icons, manual page and completion.
# Usage: scripts/package-check.sh [BUILD_DIR]   (default: build-package)
# A BUILD_DIR that is already configured is packaged as it is (CI packages
# the tree its plain tests just built, rather than compiling everything a
# second time); a new one is configured as a Release build without tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file  # CPack's DEB generator reads shared-library needs
dir=${1:-build-package}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

if [ ! -f "$dir/CMakeCache.txt" ]; then
	cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPIX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
rm -f "$dir"/quillpix_*.deb "$dir"/quillpix-tools_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
tools_deb=$(ls "$PWD/$dir"/quillpix-tools_*.deb)
app_deb=$(ls "$PWD/$dir"/quillpix_*.deb)

# Every file in its package: "package-check: FILE is missing from DEB" otherwise.
expect_files() {
	local deb=$1 contents file
	shift
	contents=$(dpkg-deb --contents "$deb")
	for file in "$@"; do
		if ! grep -q " \./$file\$" <<<"$contents"; then
			echo "package-check: $file is missing from $(basename "$deb")" >&2
			exit 1
		fi
	done
}
for deb in "$tools_deb" "$app_deb"; do
	echo "== $deb"
	dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
done
expect_files "$tools_deb" usr/bin/quillpix-export usr/include/quillpix/PrefilledBitmap.h \
	usr/lib/quillpix/libbe_base.a usr/lib/quillpix/libbe_graphics.a \
	usr/lib/quillpix/libbe_translation.a usr/lib/cmake/Quillpix/QuillpixConfig.cmake \
	usr/lib/pkgconfig/quillpix.pc \
	usr/lib/cmake/Quillpix/QuillpixEmbed.cmake usr/share/man/man1/quillpix-export.1.gz \
	usr/share/bash-completion/completions/quillpix-export usr/share/doc/quillpix-tools/copyright
expect_files "$app_deb" usr/bin/quillpix usr/share/man/man1/quillpix.1.gz \
	usr/share/applications/quillpix.desktop usr/share/icons/hicolor/32x32/apps/quillpix.png \
	usr/share/bash-completion/completions/quillpix usr/share/doc/quillpix/copyright
# Only the public headers, each of which compiles on its own against the others.
public_headers="Bitmap.h DataIO.h Entry.h Errors.h File.h GraphicsDefs.h Node.h NodeInfo.h OS.h
ColorSpaceNames.h CompressedBitmap.h EmbeddedBitmap.h Path.h PrefilledBitmap.h Rect.h Result.h RetryOnInterrupt.h StorageDefs.h SupportDefs.h System.h
TranslationUtils.h UniqueFd.h Utf8.h"
installed_headers=$(dpkg-deb --contents "$tools_deb" | sed -n 's|.*\./usr/include/quillpix/||p' \
	| grep -v '^$' | sort | tr '\n' ' ')
if [ "$installed_headers" != "$(tr ' \n' '\n\n' <<<"$public_headers" | grep -v '^$' | sort | tr '\n' ' ')" ]; then
	echo "package-check: the installed headers are not the public ones: $installed_headers" >&2
	exit 1
fi
if dpkg-deb --contents "$tools_deb" | grep -q "usr/bin/quillpix\$"; then
	echo "package-check: the application is in the tools package" >&2
	exit 1
fi

# What a build container gets with the tools package: no desktop stack.
tools_depends=$(dpkg-deb --field "$tools_deb" Depends)
echo "quillpix-tools depends on: $tools_depends"
echo "quillpix depends on: $(dpkg-deb --field "$app_deb" Depends)"
if grep -Eiq "qt6|libqt|fontconfig|freetype|libx11|libxcb|libegl|libgl1|libglx" <<<"$tools_depends"; then
	echo "package-check: the tools package pulls a desktop stack: $tools_depends" >&2
	exit 1
fi

echo "== installing quillpix-tools alone"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$tools_deb" >/dev/null

version=$(sed -n 's/^project(Quillpix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
installed=$(/usr/bin/quillpix-export --version)
if [ "$installed" != "quillpix-export $version" ]; then
	echo "package-check: --version says \"$installed\", expected quillpix-export $version" >&2
	exit 1
fi
echo "$installed"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
/usr/bin/quillpix-export --name kQuill -o "$scratch/quill.h" examples/quill.png
construction='kQuill_MICN = new PrefilledBitmap(BRect(0.0,0.0,31.0,31.0),B_RGB32,kQuill_MData,false,false);'
if ! grep -qF "$construction" "$scratch/quill.h"; then
	echo "package-check: the installed exporter wrote an unexpected text" >&2
	exit 1
fi
echo "exported examples/quill.png ($(wc -c <"$scratch/quill.h") bytes)"
gzip -t /usr/share/man/man1/quillpix-export.1.gz
# The installed completion offers the colour spaces after --color-space.
spaces=$(bash -c 'source /usr/share/bash-completion/completions/quillpix-export
	COMP_WORDS=(quillpix-export --color-space g); COMP_CWORD=2; _quillpix_export
	echo "${COMPREPLY[*]}"')
if [ "$spaces" != "gray8 gray1" ]; then
	echo "package-check: the installed completion offers \"$spaces\" for --color-space g" >&2
	exit 1
fi
echo "bash completion installed: --color-space g completes to $spaces"

# shellcheck disable=SC2086 # one header a word
scripts/check-headers.sh -I /usr/include/quillpix $public_headers

# pkg-config gives the installed folders, under /usr.
pc_cflags=$(pkg-config --cflags quillpix | sed "s/ *$//")
pc_libs=$(pkg-config --libs quillpix | sed "s/ *$//")
if [ "$pc_cflags" != "-I/usr/include/quillpix" ] \
		|| [[ "$pc_libs" != "-L/usr/lib/quillpix -lbe_graphics -lbe_base"* ]]; then
	echo "package-check: pkg-config quillpix gives \"$pc_cflags\" and \"$pc_libs\"" >&2
	exit 1
fi
echo "pkg-config quillpix: $pc_cflags $pc_libs"

echo "== the CMake example against the installed tools package"
scripts/example-embed.sh /usr

echo "== the Makefile example, through pkg-config, as C++17"
cp -r examples/embed-make "$scratch/make"
make_example() {
	make -C "$scratch/make" CXXFLAGS="-std=c++17 -O2 -Wall -Wextra -Werror" "$@"
}
make_example clean >/dev/null
make_example
made=$("$scratch/make/embed-make")
if [ "$made" != "quill: 32 x 32, 1024 bytes" ]; then
	echo "package-check: the Makefile example says \"$made\"" >&2
	exit 1
fi
echo "$made"
# A touched image is exported again; the same bitmap then recompiles nothing.
touch "$scratch/make/images/quill.png"
make_log=$(make_example)
if ! grep -q "quillpix-export" <<<"$make_log" || grep -q "main\.cpp\|quill\.s" <<<"$make_log"; then
	echo "package-check: after touching the image, make did: $make_log" >&2
	exit 1
fi
echo "the Makefile example builds, and exports a touched image again"

echo "== the Meson example, a C program of the standalone form"
cp -r examples/embed-meson "$scratch/meson"
meson setup "$scratch/meson/build" "$scratch/meson" >/dev/null
meson compile -C "$scratch/meson/build" >/dev/null
made=$("$scratch/meson/build/embed-meson")
if [[ "$made" != "quill: 32 x 32, 4096 bytes, "*" opaque pixels" ]]; then
	echo "package-check: the Meson example says \"$made\"" >&2
	exit 1
fi
echo "$made"
# A touched image is exported again, once; the same bitmap rebuilds nothing.
touch "$scratch/meson/images/quill.png"
meson_log=$(ninja -C "$scratch/meson/build")
again_log=$(ninja -C "$scratch/meson/build")
if [ "$(grep -c "Generating quill" <<<"$meson_log")" != 1 ] || grep -q "Compiling\|Linking" <<<"$meson_log" \
		|| ! grep -q "no work to do" <<<"$again_log"; then
	echo "package-check: after touching the image, ninja did: $meson_log, then: $again_log" >&2
	exit 1
fi
echo "the Meson example builds, and exports a touched image again once"

echo "== loading an image through the installed translation library"
mkdir -p "$scratch/load"
cat >"$scratch/load/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(LoadImage LANGUAGES CXX)
find_package(Quillpix REQUIRED)
add_executable(load-image main.cpp)
target_link_libraries(load-image PRIVATE Quillpix::translation)
CMAKE
cat >"$scratch/load/main.cpp" <<'CPP'
#include <TranslationUtils.h>

#include <cstdio>

int main(int argc, char** argv)
{
	BBitmap* bitmap = argc > 1 ? BTranslationUtils::GetBitmapFile(argv[1]) : nullptr;
	if (bitmap == nullptr)
		return 1;
	BRect bounds = bitmap->Bounds();
	std::printf("%d x %d\n", int(bounds.Width()) + 1, int(bounds.Height()) + 1);
	delete bitmap;
	return 0;
}
CPP
cmake -S "$scratch/load" -B "$scratch/load/build" -G Ninja >/dev/null
cmake --build "$scratch/load/build" >/dev/null
loaded=$("$scratch/load/build/load-image" examples/quill.png)
if [ "$loaded" != "32 x 32" ]; then
	echo "package-check: the installed translation library read \"$loaded\"" >&2
	exit 1
fi
echo "examples/quill.png loads through Quillpix::translation: $loaded"

echo "== installing quillpix"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$app_deb" >/dev/null
test -x /usr/bin/quillpix
gzip -t /usr/share/man/man1/quillpix.1.gz
echo "package-check: both packages install and work"
