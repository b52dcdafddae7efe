#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine (meant for CI, whose
# machine is thrown away afterwards) and uses it as a person would:
# quillpix-export --version, one export, the manual pages, and the CMake
# example built against the installed package.
# Usage: scripts/package-check.sh [BUILD_DIR]   (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file  # CPack's DEB generator reads shared-library needs
dir=${1:-build-package}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
rm -f "$dir"/quillpix_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$dir"/quillpix_*.deb)
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/quillpix-export usr/include/quillpix/PrefilledBitmap.h \
	usr/lib/quillpix/libbe.a usr/lib/cmake/Quillpix/QuillpixConfig.cmake \
	usr/lib/cmake/Quillpix/QuillpixEmbed.cmake usr/share/man/man1/quillpix.1.gz \
	usr/share/man/man1/quillpix-export.1.gz; do
	if ! grep -q " \./$file\$" <<<"$contents"; then
		echo "package-check: $file is missing from the package" >&2
		exit 1
	fi
done

echo "== installing"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null

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
gzip -t /usr/share/man/man1/quillpix.1.gz /usr/share/man/man1/quillpix-export.1.gz

echo "== the CMake example against the installed package"
scripts/example-embed.sh /usr
echo "package-check: the package installs and works"
