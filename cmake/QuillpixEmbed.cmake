# Turning images into C++ sources at build time, with quillpix-export.
#
#   quillpix_add_image_sources(TARGET <target> IMAGES <image>...
#                              [COLOR_SPACE rgb32|cmap8]
#                              [DITHER none|floyd-steinberg|ordered])
#
# For every image (a path relative to the current source directory, or
# absolute) the target gets a header named after the image's file name made
# into a C++ identifier: "icons/save-file.png" becomes save_file, so the
# target may
#
#   #include "quillpix-images/save_file.h"
#
# which declares
#
#   uint8 save_file_MData[N];              the bitmap's N bytes
#   PrefilledBitmap* save_file_MICN;       null until built
#   PrefilledBitmap* save_file_MakeBitmap();
#
# save_file_MakeBitmap() builds save_file_MICN from the bytes on its first
# call and answers it; call it after your BApplication object has been
# constructed. COLOR_SPACE converts every image into B_RGB32 or B_CMAP8;
# without it B_CMAP8 images stay as they are and others become B_RGB32.
# DITHER (with COLOR_SPACE cmap8) dithers the colours into the system colour
# map, as quillpix-export --dither does. The target is linked to the library
# that holds PrefilledBitmap.
#
# At build time quillpix-export --embed writes, beside the header, the
# bitmap's bytes as they are (save_file.bin) and a small source that the
# assembler takes them into (.incbin), so that an image of any size compiles
# in about the time it takes to copy it. Each file is rewritten only when it
# changes: a new picture of the same size and colour space recompiles its own
# small source and relinks, nothing that includes the header.
#
# The identifiers come from the exporter (quillpix-export --identifiers),
# so that they follow one rule wherever they are made. Works inside the
# Quillpix build tree and, after find_package(Quillpix), in any project.

include_guard(GLOBAL)

set(_QUILLPIX_EMBED_DIR "${CMAKE_CURRENT_LIST_DIR}")

# The program that answers identifiers: QUILLPIX_EXPORT_PROGRAM when set
# (an exporter of your choice), the installed exporter, or inside the
# Quillpix build tree (where the exporter is built later than CMake runs)
# the rule's own source compiled by itself, once per configure.
function(_quillpix_identifier_program out)
	if(QUILLPIX_EXPORT_PROGRAM)
		set(${out} "${QUILLPIX_EXPORT_PROGRAM}" --identifiers PARENT_SCOPE)
		return()
	endif()
	if(TARGET Quillpix::quillpix-export)
		get_target_property(program Quillpix::quillpix-export IMPORTED_LOCATION)
		set(${out} "${program}" --identifiers PARENT_SCOPE)
		return()
	endif()
	set(sources "${_QUILLPIX_EMBED_DIR}/../tools/ImageIdentifier.cpp"
		"${_QUILLPIX_EMBED_DIR}/../tools/PrintImageIdentifiers.cpp")
	set(program "${CMAKE_BINARY_DIR}/quillpix-identifiers")
	get_property(built GLOBAL PROPERTY _QUILLPIX_IDENTIFIER_PROGRAM_BUILT)
	if(NOT built)
		set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY
			CMAKE_CONFIGURE_DEPENDS ${sources} "${_QUILLPIX_EMBED_DIR}/../tools/ImageIdentifier.h")
		try_compile(compiled "${CMAKE_BINARY_DIR}/CMakeFiles/quillpix-identifiers"
			SOURCES ${sources}
			CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${_QUILLPIX_EMBED_DIR}/../tools"
			CXX_STANDARD 17
			COPY_FILE "${program}"
			OUTPUT_VARIABLE log)
		if(NOT compiled)
			message(FATAL_ERROR "quillpix_add_image_sources: cannot build ${program}:\n${log}")
		endif()
		set_property(GLOBAL PROPERTY _QUILLPIX_IDENTIFIER_PROGRAM_BUILT TRUE)
	endif()
	set(${out} "${program}" PARENT_SCOPE)
endfunction()

# The identifiers of the list `images` (pass it quoted), in its order.
# A ';' in a name gives way to '_': to the rule
# both are characters no identifier holds, and a command line of CMake's
# cannot carry the first.
function(quillpix_image_identifiers out images)
	_quillpix_identifier_program(program)
	set(arguments "")
	foreach(image IN LISTS images)
		string(REPLACE ";" "_" image "${image}")
		list(APPEND arguments "${image}")
	endforeach()
	execute_process(COMMAND ${program} -- ${arguments}
		OUTPUT_VARIABLE lines RESULT_VARIABLE result ERROR_VARIABLE errors)
	if(NOT result EQUAL 0)
		message(FATAL_ERROR "quillpix_add_image_sources: ${program} failed: ${errors}")
	endif()
	string(REGEX REPLACE "\n$" "" lines "${lines}")
	string(REPLACE "\n" ";" names "${lines}")
	set(${out} "${names}" PARENT_SCOPE)
endfunction()

function(quillpix_add_image_sources)
	cmake_parse_arguments(PARSE_ARGV 0 ARG "" "TARGET;COLOR_SPACE;DITHER" "IMAGES")
	if(ARG_UNPARSED_ARGUMENTS)
		message(FATAL_ERROR "quillpix_add_image_sources: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
	endif()
	if(NOT ARG_TARGET OR NOT TARGET "${ARG_TARGET}")
		message(FATAL_ERROR "quillpix_add_image_sources: TARGET must name an existing target")
	endif()
	if(NOT ARG_IMAGES)
		message(FATAL_ERROR "quillpix_add_image_sources: no IMAGES given")
	endif()
	set(colorSpaceOption "")
	if(ARG_COLOR_SPACE)
		if(NOT ARG_COLOR_SPACE MATCHES "^(rgb32|cmap8)$")
			message(FATAL_ERROR
				"quillpix_add_image_sources: COLOR_SPACE is rgb32 or cmap8, not ${ARG_COLOR_SPACE}")
		endif()
		set(colorSpaceOption --color-space ${ARG_COLOR_SPACE})
	endif()
	if(DEFINED ARG_DITHER)
		if(NOT ARG_DITHER MATCHES "^(none|floyd-steinberg|ordered)$")
			message(FATAL_ERROR "quillpix_add_image_sources: DITHER is none, floyd-steinberg "
				"or ordered, not ${ARG_DITHER}")
		endif()
		if(NOT ARG_COLOR_SPACE STREQUAL "cmap8")
			message(FATAL_ERROR "quillpix_add_image_sources: DITHER needs COLOR_SPACE cmap8")
		endif()
		list(APPEND colorSpaceOption --dither ${ARG_DITHER})
	endif()

	# In the Quillpix build tree its own targets; elsewhere the installed ones.
	if(TARGET quillpix-export AND TARGET be_graphics)
		set(exporter quillpix-export)
		set(library be_graphics)
	elseif(TARGET Quillpix::quillpix-export AND TARGET Quillpix::graphics)
		set(exporter Quillpix::quillpix-export)
		set(library Quillpix::graphics)
	else()
		message(FATAL_ERROR "quillpix_add_image_sources: no quillpix-export; "
			"call find_package(Quillpix) first")
	endif()

	set(includeDir "${CMAKE_CURRENT_BINARY_DIR}/quillpix-images/${ARG_TARGET}")
	set(outputDir "${includeDir}/quillpix-images")
	file(MAKE_DIRECTORY "${outputDir}")
	get_target_property(namesTaken ${ARG_TARGET} QUILLPIX_IMAGE_NAMES)
	if(NOT namesTaken)
		set(namesTaken "")
	endif()

	# The files as they are named: a list element holds a ';' as "\;".
	set(images "")
	foreach(image IN LISTS ARG_IMAGES)
		string(REPLACE "\\;" ";" image "${image}")
		# cmake_path keeps a backslash a character of the name, as Linux does.
		cmake_path(ABSOLUTE_PATH image BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
		string(REPLACE ";" "\\;" image "${image}")
		list(APPEND images "${image}")
	endforeach()
	quillpix_image_identifiers(names "${images}")

	foreach(image name IN ZIP_LISTS images names)
		if(name IN_LIST namesTaken)
			message(FATAL_ERROR "quillpix_add_image_sources: ${image} would be named ${name}, "
				"like another image of ${ARG_TARGET}; rename one of them")
		endif()
		list(APPEND namesTaken ${name})

		# The build rule names the image only through a link of the
		# identifier's name: a file name may hold what no build tool's rule
		# can (a newline), and the build follows the link to the image.
		set(link "${outputDir}/${name}.image")
		file(CREATE_LINK "${image}" "${link}" SYMBOLIC)
		set(header "${outputDir}/${name}.h")
		set(source "${outputDir}/${name}.cpp")
		set(data "${outputDir}/${name}.bin")
		string(REGEX REPLACE "[\r\n\t]" "?" shownImage "${image}")
		add_custom_command(OUTPUT "${header}" "${source}" "${data}"
			COMMAND ${exporter} --quiet --name ${name} ${colorSpaceOption}
				--embed "${header}" -o "${source}" -- "${link}"
			DEPENDS "${link}" ${exporter}
			COMMENT "Exporting ${shownImage} as ${name}"
			VERBATIM)
		target_sources(${ARG_TARGET} PRIVATE "${source}" "${header}")
		# The source has nothing to optimise (a call handed on), and -O0
		# starts the compiler a quarter faster, which hundreds of icons
		# notice. No link-time optimisation: a symbol an assembler statement
		# defines is not in the symbol table GCC's gives an archive, so a
		# program that used only the bytes of an image in a static library
		# would not find them.
		if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
			set_property(SOURCE "${source}" TARGET_DIRECTORY ${ARG_TARGET}
				APPEND PROPERTY COMPILE_OPTIONS -O0 -fno-lto)
		endif()
	endforeach()
	set_target_properties(${ARG_TARGET} PROPERTIES QUILLPIX_IMAGE_NAMES "${namesTaken}")

	get_target_property(type ${ARG_TARGET} TYPE)
	set(scope PUBLIC)
	if(type STREQUAL "EXECUTABLE")
		set(scope PRIVATE)
	endif()
	target_include_directories(${ARG_TARGET} ${scope} "${includeDir}")
	target_link_libraries(${ARG_TARGET} ${scope} ${library})
endfunction()
