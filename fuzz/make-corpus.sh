#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets from the test images: each
# valid file as it is, cut in half, cut after its header, and with bytes
# overwritten in its middle, plus a few hand-made headers that claim odd
# sizes. Nothing here is committed; the script runs before every fuzz run.
# Usage: fuzz/make-corpus.sh OUTPUT_DIR   (makes OUTPUT_DIR/<target>/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: make-corpus.sh OUTPUT_DIR}
images="$out/fuzz_image_export"
format="$out/fuzz_format_source"
rm -rf "$images" "$format"
mkdir -p "$images" "$format"

# The image fuzzer reads its first byte as the extension's index; the list
# must match kExtensions in ImageExportFuzzer.cpp.
extensions=(png jpg gif bmp tga webp tiff ico xpm ppm cur icb "" PNG Tga)
selector() {
	local wanted=$1 index
	for index in "${!extensions[@]}"; do
		if [ "${extensions[$index]}" = "$wanted" ]; then
			printf "\\$(printf '%03o' "$index")"
			return
		fi
	done
	printf '\014'  # no extension
}

seed() {  # seed NAME EXTENSION < bytes
	{ selector "$2"; cat; } > "$images/$1"
}

count=0
for file in "$root"/tests/data/images/* "$root"/tests/data/export/*; do
	name=$(basename "$file")
	extension=${name##*.}
	case "$extension" in
		sh|h) continue ;;
		pgm) extension=ppm ;;
		tiff|tif) extension=tiff ;;
	esac
	size=$(stat -c %s "$file")
	seed "$name" "$extension" < "$file"
	seed "$name.half" "$extension" < <(head -c $((size / 2)) "$file")
	seed "$name.head" "$extension" < <(head -c 40 "$file")
	if [ "$size" -gt 16 ]; then
		# Eight bytes of 0xFF over the middle of the file.
		seed "$name.poked" "$extension" < <(
			head -c $((size / 2)) "$file"
			printf '\377\377\377\377\377\377\377\377'
			tail -c +$((size / 2 + 9)) "$file")
	fi
	count=$((count + 1))
done

# Headers that claim sizes no data backs: a PNG signature and IHDR of
# 100000 x 100000 (CRC left wrong on purpose), a 0 x 0 GIF, a 65535 x 65535
# TGA and a BMP with a negative height.
seed claim-huge.png png < <(printf '\211PNG\r\n\032\n\000\000\000\rIHDR\000\001\206\240\000\001\206\240\010\006\000\000\000\000\000\000\000')
seed claim-empty.gif gif < <(printf 'GIF89a\000\000\000\000\200\000\000\000\000\000\377\377\377,\000\000\000\000\000\000\000\000\000\002\002D\001\000;')
seed claim-huge.tga tga < <(printf '\000\000\002\000\000\000\000\000\000\000\000\000\377\377\377\377\030\000'; head -c 64 /dev/zero)
seed claim-negative.bmp bmp < <(printf 'BM\076\000\000\000\000\000\000\000\066\000\000\000\050\000\000\000\002\000\000\000\000\000\000\200\001\000\040\000\000\000\000\000\010\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\377\000\000\000\000\377')

# The reader fuzzers: the files of their format, from the test images and,
# when installed, other projects' test suites, whole and cut in half.
pixbuf=/usr/libexec/installed-tests/gdk-pixbuf/test-images
for kind in png jpeg gif webp tiff; do
	dir="$out/fuzz_read_$kind"
	rm -rf "$dir"
	mkdir -p "$dir"
	case $kind in
		png) pattern='*.png' ;;
		jpeg) pattern='*.jp*g' ;;
		gif) pattern='*.gif' ;;
		webp) pattern='*.webp' ;;
		tiff) pattern='*.tif*' ;;
	esac
	find "$root/tests/data/images" "$pixbuf" /usr/libexec/installed-tests/SDL2_image \
			-maxdepth 2 -name "$pattern" -size -64k 2>/dev/null | head -60 |
		while read -r file; do
			name=$(basename "$file")
			cp "$file" "$dir/$name"
			head -c $(($(stat -c %s "$file") / 2)) "$file" > "$dir/$name.half"
		done
done

# The text fuzzer takes any bytes; a few shapes to start from.
printf 'Dot\000\000\000\000\000\000\000\000\000\000\200?\000\000\000\000\010\000\000\000\001' > "$format/dot"
head -c 600 /dev/zero > "$format/zeros"
printf '\377%.0s' $(seq 1 600) > "$format/ones"
for file in "$root"/tests/data/export/*.h; do
	head -c 2000 "$file" > "$format/$(basename "$file")"
done

echo "seeds: $(ls "$images" | wc -l) for fuzz_image_export (from $count files)," \
	"$(ls "$format" | wc -l) for fuzz_format_source"
