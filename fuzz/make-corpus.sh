#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
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
# GIFs whose LZW code size giflib does not decode, for our own decoder: a
# 3 x 2 image with code size 9, and the test suite's file that fills the
# code table with code size 11, each whole and cut in half.
printf '\107\111\106\070\071\141\003\000\002\000\200\000\000\377\000\000\377\377\377\054\000\000\000\000\003\000\002\000\000\011\011\000\006\000\000\113\002\002\020\040\000\073' \
	> "$out/fuzz_read_gif/wide-codes.gif"
if [ -f "$pixbuf/gif-test-suite/max-codes.gif" ]; then
	cp "$pixbuf/gif-test-suite/max-codes.gif" "$out/fuzz_read_gif/max-codes.gif"
	head -c 3800 "$pixbuf/gif-test-suite/max-codes.gif" > "$out/fuzz_read_gif/max-codes.gif.half"
fi
# The small-format readers: each gets the files of its format, whole and
# damaged as above but without the extension byte, from the test images,
# the installed test suites of gdk-pixbuf and SDL2_image where present, and
# a few hand-made files for rules the test images lack.
readers=(bmp ico pnm tga xpm)
for reader in "${readers[@]}"; do
	rm -rf "${out:?}/fuzz_read_${reader}"
	mkdir -p "$out/fuzz_read_${reader}"
done
reader_for() {  # the reader target of a file name, or nothing
	case "${1,,}" in
		*.bmp) echo bmp ;;
		*.ico|*.cur) echo ico ;;
		*.pbm|*.pgm|*.ppm|*.pnm|*.pam) echo pnm ;;
		*.tga) echo tga ;;
		*.xpm) echo xpm ;;
	esac
}
reader_seed() {  # reader_seed READER NAME FILE
	local dir="$out/fuzz_read_$1" size
	size=$(stat -c %s "$3")
	cp "$3" "$dir/$2"
	head -c $((size / 2)) "$3" > "$dir/$2.half"
	head -c 40 "$3" > "$dir/$2.head"
	if [ "$size" -gt 16 ]; then
		{ head -c $((size / 2)) "$3"; printf '\377\377\377\377\377\377\377\377'
			tail -c +$((size / 2 + 9)) "$3"; } > "$dir/$2.poked"
	fi
}
suites=()
for suite in /usr/libexec/installed-tests/gdk-pixbuf/test-images \
		/usr/libexec/installed-tests/SDL2_image; do
	[ -d "$suite" ] && suites+=("$suite")
done
while IFS= read -r -d '' file; do
	reader=$(reader_for "$file")
	[ -n "$reader" ] || continue
	reader_seed "$reader" "$(echo "$file" | md5sum | cut -c1-8)-$(basename "$file")" "$file"
done < <(find "$root/tests/data/images" "${suites[@]}" -type f -print0)

hand_made() {  # hand_made READER NAME < bytes
	cat > "$out/fuzz_read_$1/$2"
}
# BMP: RLE8 with a delta, an end of line and the end mark; 5-6-5 masks.
hand_made bmp rle8.bmp < <(printf 'BM\000\000\000\000\000\000\000\000\076\000\000\000\050\000\000\000\004\000\000\000\003\000\000\000\001\000\010\000\001\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\002\000\000\000\000\000\000\000\000\000\000\000\126\064\022\000\002\001\000\000\000\002\001\001\000\003\001\001\001\000\000\001')
hand_made bmp bitfields.bmp < <(printf 'BM\000\000\000\000\000\000\000\000\102\000\000\000\050\000\000\000\002\000\000\000\001\000\000\000\001\000\020\000\003\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\370\000\000\340\007\000\000\037\000\000\000\000\370\340\007')
# TGA: colour-mapped from index 5, run-length, right to left, top down.
hand_made tga cmap-rle.tga < <(printf '\000\001\011\005\000\002\000\030\000\000\000\000\002\000\002\000\010\060\126\064\022\014\013\012\202\006\000\005')
# PNM: plain bitmap without spaces, grey with maxval 1000, PAM with alpha.
hand_made pnm plain.pbm < <(printf 'P1\n# c\n3 2\n010\n1 0 1\n')
hand_made pnm maxval.pgm < <(printf 'P2 2 1 1000 500 1000')
hand_made pnm alpha.pam < <(printf 'P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n\012\024\036\200')
# XPM: names, None, long colour forms and three characters a pixel.
hand_made xpm names.xpm < <(printf '/* XPM */\nstatic char *x[] = {\n"3 2 4 3",\n"aaa c None",\n"bbb c light goldenrod yellow",\n"ccc c #000080008000",\n"ddd m white",\n"aaabbbccc",\n"dddaaabbb"};\n')

# The text fuzzer takes any bytes; a few shapes to start from.
printf 'Dot\000\000\000\000\000\000\000\000\000\000\200?\000\000\000\000\010\000\000\000\001' > "$format/dot"
head -c 600 /dev/zero > "$format/zeros"
printf '\377%.0s' $(seq 1 600) > "$format/ones"
for file in "$root"/tests/data/export/*.h; do
	head -c 2000 "$file" > "$format/$(basename "$file")"
done

# The text reader: the exporter's texts as the tests keep them, whole, cut
# and damaged as above, the same reformatted as an editor would (CRLF, spaces
# for tabs, lower-case hexadecimal, a comma after the last byte), and an
# --embed header.
source_dir="$out/fuzz_read_source"
rm -rf "$source_dir"
mkdir -p "$source_dir"
for file in "$root"/tests/data/export/*.h; do
	name=$(basename "$file")
	size=$(stat -c %s "$file")
	cp "$file" "$source_dir/$name"
	head -c $((size / 2)) "$file" > "$source_dir/$name.half"
	{ head -c $((size / 2)) "$file"; printf '\377\377\377\377'
		tail -c +$((size / 2 + 5)) "$file"; } > "$source_dir/$name.poked"
	sed 's/\(0x..\)$/\1,/; s/$/\r/; s/\t/    /g; s/0x\([0-9A-F]\)\([0-9A-F]\)/0x\L\1\2/g' "$file" \
		> "$source_dir/$name.edited"
done
printf '#pragma once\n\n// Generated by quillpix-export from "a.png"; do not edit.\n\nconstexpr int32 a_Width = 2;\nconstexpr int32 a_Height = 1;\nconstexpr int32 a_BytesPerRow = 8;\nconstexpr color_space a_ColorSpace = B_RGB32;\nextern uint8 a_MData[8];\n' \
	> "$source_dir/embed.h"

echo "seeds: $(ls "$images" | wc -l) for fuzz_image_export (from $count files)," \
	"$(ls "$format" | wc -l) for fuzz_format_source"
echo "seeds: $(ls "$source_dir" | wc -l) for fuzz_read_source"
for reader in "${readers[@]}"; do
	echo "seeds: $(ls "$out/fuzz_read_${reader}" | wc -l) for fuzz_read_${reader}"
done
