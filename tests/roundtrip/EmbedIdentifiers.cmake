# SPDX-License-Identifier: MIT
# Run by ctest in script mode: the identifiers quillpix_add_image_sources
# gives the images of tests/data/identifiers.txt, asked of the exporter
# through the function's own call. The same table checks the exporter's
# side (tests/tools/ImageIdentifierTest.cpp).
set(QUILLPIX_EXPORT_PROGRAM "${QUILLPIX_EXPORT_BINARY}")
include("${QUILLPIX_SOURCE_DIR}/cmake/QuillpixEmbed.cmake")

file(STRINGS "${QUILLPIX_SOURCE_DIR}/tests/data/identifiers.txt" lines ENCODING UTF-8)
set(paths "")
set(expected "")
foreach(line IN LISTS lines)
	if(line MATCHES "^#" OR NOT line MATCHES "^(.*)\t([^\t]*)$")
		continue()
	endif()
	string(REPLACE ";" "\\;" path "${CMAKE_MATCH_1}")
	list(APPEND paths "${path}")
	list(APPEND expected "${CMAKE_MATCH_2}")
endforeach()
list(LENGTH paths rows)
if(rows LESS 10)
	message(FATAL_ERROR "identifiers.txt gave only ${rows} rows")
endif()

quillpix_image_identifiers(names "${paths}")
set(failures "")
foreach(path name want IN ZIP_LISTS paths names expected)
	if(NOT name STREQUAL want)
		string(APPEND failures "\n  ${path}: ${name}, expected ${want}")
	endif()
endforeach()
if(failures)
	message(FATAL_ERROR "wrong identifiers:${failures}")
endif()
