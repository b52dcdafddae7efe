# SPDX-License-Identifier: MIT
# Third-party libraries, all from Debian's packages (scripts/install-deps.sh).
find_package(Threads REQUIRED)
# The image decoders of the translation kit.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(TIFF REQUIRED)
# zlib's checksums for the digest of embedded bytes (libpng needs it anyway).
find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp)
pkg_check_modules(WEBPDEMUX REQUIRED IMPORTED_TARGET libwebpdemux)
# zstd: the exporter compresses embedded images with it (--compress), and the
# graphics library decompresses them into bitmaps.
pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
# Qt 6 only for the desktop program's display server.
if(QUILLPIX_QT_SERVER)
	find_package(Qt6 REQUIRED COMPONENTS Widgets)
endif()
if(QUILLPIX_BUILD_TESTS)
	find_package(GTest REQUIRED)
	include(GoogleTest)
endif()
if(QUILLPIX_BUILD_BENCH)
	find_package(benchmark REQUIRED)
endif()
