# Run by ctest in script mode: the identifiers quillpix_add_image_sources
# gives images, from their file names. quillpix-export names texts on
# standard output the same way (tests/tools/ExportRunnerTest.cpp).
include("${QUILLPIX_SOURCE_DIR}/cmake/QuillpixEmbed.cmake")

set(rows
	"icons/quill.png=quill"
	"save-file.png=save_file"
	"my icon (2).PNG=my_icon_2_"
	"9-grey.png=image_9_grey"
	"__Private.gif=Private"
	"a--b.png=a_b"
	"dots.in.name.png=dots_in_name"
	"/abs/path/Icon.tga=Icon"
	"---.png=image"
	"noextension=noextension"
	"café.png=caf_")
set(failures "")
foreach(row IN LISTS rows)
	string(REPLACE "=" ";" parts "${row}")
	list(GET parts 0 path)
	list(GET parts 1 expected)
	quillpix_image_identifier(name "${path}")
	if(NOT name STREQUAL expected)
		string(APPEND failures "\n  ${path}: ${name}, expected ${expected}")
	endif()
endforeach()
if(failures)
	message(FATAL_ERROR "wrong identifiers:${failures}")
endif()
