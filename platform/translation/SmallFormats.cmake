# SPDX-License-Identifier: MIT
# Readers of the small image formats, written here rather than on a library:
# BMP, ICO/CUR, PNM, TGA and XPM, with the DIB decoding that BMP and ICO
# share. Included by this folder's CMakeLists.txt.
include(X11ColorNames)
quillpix_generate_x11_colors(${PROJECT_SOURCE_DIR}/data/x11-rgb.txt
	${CMAKE_CURRENT_BINARY_DIR}/X11ColorTable.cpp)

target_sources(be_translation PRIVATE
	${CMAKE_CURRENT_LIST_DIR}/BmpReader.cpp
	${CMAKE_CURRENT_LIST_DIR}/DecodedImage.cpp
	${CMAKE_CURRENT_LIST_DIR}/DibDecoder.cpp
	${CMAKE_CURRENT_LIST_DIR}/IcoReader.cpp
	${CMAKE_CURRENT_LIST_DIR}/PnmReader.cpp
	${CMAKE_CURRENT_LIST_DIR}/TgaReader.cpp
	${CMAKE_CURRENT_LIST_DIR}/X11Colors.cpp
	${CMAKE_CURRENT_LIST_DIR}/XpmReader.cpp
	${CMAKE_CURRENT_BINARY_DIR}/X11ColorTable.cpp)
