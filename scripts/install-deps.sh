#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages the build needs, only those missing.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(
	cmake ninja-build g++ pkg-config
	make  # examples/embed-make and the Make builds of tests/roundtrip
	clang  # tests/roundtrip builds embedded images with Clang as well as GCC
	qt6-base-dev zlib1g-dev
	libzstd-dev  # compressed embedded images (--compress, COMPRESS zstd)
	libfreetype-dev libfontconfig-dev fonts-dejavu-core  # text in views
	libpng-dev libjpeg62-turbo-dev libgif-dev libwebp-dev libtiff-dev
	# Other projects' test images and an independent decoder to compare with
	# (tests/platform/translation, bench/dither.sh)
	gdk-pixbuf-tests libsdl2-image-tests imagemagick
	googletest libgtest-dev libbenchmark-dev
	xxd  # bench/compare.sh compares the export with xxd -i
	# tests/onscreen and tests/desktop: a private X display, a window manager,
	# real input, screenshots (ImageMagick's import, above) and the X tools that
	# read windows back (xwininfo, xprop)
	xvfb openbox xdotool wmctrl x11-utils
	xclip  # tests/desktop: another program reading and filling the clipboard
	time  # bench/embed-build.sh measures peak memory with /usr/bin/time
	# tests/roundtrip's compile_farm_test (and bench/embed-build.sh) build
	# embedded images through a compile farm and a compiler cache
	distcc ccache
	libsdl2-dev  # tests/roundtrip's SDL program takes the standalone form's bytes
	meson  # scripts/package-check.sh builds examples/embed-meson (with ninja-build)
	"$@"
)

missing=()
for package in "${packages[@]}"; do
	status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
	[ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
