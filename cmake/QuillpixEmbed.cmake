# SPDX-License-Identifier: MIT
# Turning images into C++ sources at build time, with quillpix-export.
#
#   quillpix_add_image_sources(TARGET <target> IMAGES <image>...
#                              [STANDALONE]
#                              [COLOR_SPACE rgb32|cmap8|rgba32|rgb16|rgb15|
#                                           rgba15|gray8|gray1|rgb24|rgb24-big|
#                                           rgb16-big|rgb15-big|rgba15-big|
#                                           rgb32-big|rgba32-big]
#                              [DITHER none|floyd-steinberg|ordered]
#                              [BACKGROUND RRGGBB]
#                              [COMPRESS zstd[:LEVEL] [COMPRESS_THRESHOLD PERCENT]])
#
# For every image (a path relative to the current source directory, or
# absolute) the target gets a header named after the image's file name made
# into a C++ identifier: "icons/save-file.png" becomes save_file, so the
# target may
#
#   #include "quillpix-images/save_file.h"
#
# which declares, for a program that uses the bytes alone or the bitmap,
#
#   constexpr int32 save_file_Width, save_file_Height, save_file_BytesPerRow;
#   constexpr color_space save_file_ColorSpace;
#   uint8 save_file_MData[N];              the bitmap's N bytes
#   PrefilledBitmap* save_file_MICN;       null until built
#   PrefilledBitmap* save_file_MakeBitmap();
#
# save_file_MakeBitmap() builds save_file_MICN from the bytes on its first
# call and answers it; call it after your BApplication object has been
# constructed. COLOR_SPACE converts every image into that space, as
# quillpix-export --color-space does; without it B_CMAP8 images stay as they
# are and others become B_RGB32. DITHER (with cmap8, gray1 or a 16-bit space:
# rgb16, rgb15, rgba15 and their -big twins) dithers as --dither does;
# BACKGROUND (with rgb16, rgb16-big, rgb24, rgb24-big, gray8 or gray1) is
# the colour transparent pixels are laid over, as --background. The target is linked to the library
# that holds PrefilledBitmap.
#
# COMPRESS zstd embeds each image's bytes compressed with zstd (at LEVEL, 1
# to 19, default 9), as quillpix-export --compress does: the header then
# declares save_file_ZData (one zstd frame, read-only) and save_file_ZSize in
# place of save_file_MData, and gives
#
#   constexpr size_t save_file_Size;         the bitmap's bytes
#   #define save_file_Compressed 1          how they are embedded (for #if)
#   PrefilledBitmap* save_file_MakeBitmap(status_t* error = nullptr);
#
# which decompresses the frame straight into the bitmap's bits and answers
# null, with the reason in *error, when that fails. An image that
# compressing would not make COMPRESS_THRESHOLD percent smaller (default 10)
# is embedded as it is, save_file_Compressed 0, with the same function.
# See docs/cmake.md for when compressing pays. The configure step stops on an unknown keyword
# and on an image that does not exist, naming it as written.
#
# STANDALONE gives the form any C or C++ target takes with nothing but its
# compiler (quillpix-export --standalone): the header includes <stdint.h>
# alone and declares, with C linkage,
#
#   save_file_Width, save_file_Height, save_file_BytesPerRow,
#   save_file_ColorSpace                   integer constants (an enum in C,
#                                          constexpr int32_t in C++)
#   const uint8_t save_file_MData[N];      the bitmap's N bytes, read-only
#
# with the layout of a pixel in words in a comment; no bitmap is built and
# no Quillpix library is linked. With COMPRESS the header declares
# const uint8_t save_file_ZData[] and const uint32_t save_file_ZSize beside
# the constant save_file_Size, and the target is linked to libzstd for
# ZSTD_decompress(pixels, save_file_Size, save_file_ZData, save_file_ZSize). Its bytes are assembled by the C++
# compiler's driver, or the C compiler's in a project without C++.
#
# At build time quillpix-export --embed writes, beside the header, the
# bitmap's bytes as they are (save_file.bin) and an assembler source that
# takes them in (save_file.s, .incbin of the name beside it); the target's
# compiler driver assembles that into save_file.o in a step of its own,
# never through a compiler launcher, and the object is linked like any
# other. So the bytes never pass through a compiler: an image of any size
# builds in about the time it takes to copy it, and every C++ source stays
# plain C++ that a compile farm (distcc, icecream) can compile remotely and a
# compiler cache (ccache) can keep. No generated file holds an absolute path.
# Each file is rewritten only when it changes: a new picture of the same size
# and colour space reassembles its own object and relinks, and nothing that
# includes the header is compiled again.
#
# What the linker sees is unique to the project and the target (a namespace
# of their own, with using-declarations keeping the C++ names above): two
# targets linked together may each have an image of one name, and each gets
# its own bytes. A translation unit that includes both headers stops with a
# message naming both images.
#
# The identifiers come from the exporter (quillpix-export --identifiers),
# so that they follow one rule wherever they are made. Works inside the
# Quillpix build tree and, after find_package(Quillpix), in any project,
# with Ninja or Make.

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
	set(sources "${_QUILLPIX_EMBED_DIR}/../export/ImageIdentifier.cpp"
		"${_QUILLPIX_EMBED_DIR}/../tools/PrintImageIdentifiers.cpp")
	set(program "${CMAKE_BINARY_DIR}/quillpix-identifiers")
	get_property(built GLOBAL PROPERTY _QUILLPIX_IDENTIFIER_PROGRAM_BUILT)
	if(NOT built)
		set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY
			CMAKE_CONFIGURE_DEPENDS ${sources} "${_QUILLPIX_EMBED_DIR}/../export/ImageIdentifier.h")
		try_compile(compiled "${CMAKE_BINARY_DIR}/CMakeFiles/quillpix-identifiers"
			SOURCES ${sources}
			CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${_QUILLPIX_EMBED_DIR}/../export"
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

# The command that assembles a generated .s into an object for `target`: the
# target's `language` (C or CXX) compiler driver with what selects the target
# machine (the
# compiler's target, -m options), on this machine and never through a
# compiler launcher: the assembler takes the bytes from a file beside the
# source, which a compile farm's remote would not see.
function(_quillpix_assembler out target language)
	set(compiler "${CMAKE_${language}_COMPILER}")
	set(command "${compiler}")
	# A compiler reached through a cache's or a farm's folder of compiler
	# names (/usr/lib/ccache on PATH) is told to run the compiler as it is:
	# a cache refuses an assembler source that takes in a file.
	file(REAL_PATH "${compiler}" real)
	get_filename_component(wrapper "${real}" NAME)
	if(wrapper MATCHES "^(ccache|icecc)$")
		set(command "${CMAKE_COMMAND}" -E env CCACHE_DISABLE=1 ICECC=no "${compiler}")
	endif()
	if(CMAKE_${language}_COMPILER_ARG1)
		separate_arguments(first UNIX_COMMAND "${CMAKE_${language}_COMPILER_ARG1}")
		list(APPEND command ${first})
	endif()
	if(CMAKE_${language}_COMPILER_TARGET AND CMAKE_${language}_COMPILE_OPTIONS_TARGET)
		list(APPEND command
			"${CMAKE_${language}_COMPILE_OPTIONS_TARGET}${CMAKE_${language}_COMPILER_TARGET}")
	endif()
	separate_arguments(flags UNIX_COMMAND "${CMAKE_${language}_FLAGS}")
	set(taking "")
	foreach(flag IN LISTS flags)
		if(taking)
			list(APPEND command "${flag}")
			set(taking "")
		elseif(flag MATCHES "^(-m|--target=|--gcc-toolchain=|-B)")
			list(APPEND command "${flag}")
		elseif(flag MATCHES "^(-target|--target|-arch)$")
			list(APPEND command "${flag}")
			set(taking TRUE)
		endif()
	endforeach()
	list(APPEND command "$<FILTER:$<TARGET_PROPERTY:${target},COMPILE_OPTIONS>,INCLUDE,^-m>")
	set(${out} "${command}" PARENT_SCOPE)
endfunction()

# A path a build rule can name as it is: what CMake quotes for every build
# tool, and nothing (a newline, a quote) that one of them cannot hold.
function(_quillpix_plain_path out path)
	if(path MATCHES "^[A-Za-z0-9_./+,@=~ -]+$")
		set(${out} TRUE PARENT_SCOPE)
	else()
		set(${out} FALSE PARENT_SCOPE)
	endif()
endfunction()

# The namespace of a target's images: unique to the project and the target,
# the same in every build of them, readable in a linker's message.
function(_quillpix_image_scope out target)
	string(MAKE_C_IDENTIFIER "${target}" name)
	string(SHA256 hash "${PROJECT_NAME}\n${target}")
	string(SUBSTRING "${hash}" 0 8 hash)
	set(${out} "quillpix_${name}_${hash}" PARENT_SCOPE)
endfunction()

# Stops the configure step unless `value` of keyword `option` matches
# `valuePattern` (described as `valueText`) and `colorSpace` matches
# `spacePattern` (described as `spaceText`), the spaces the option works in.
function(_quillpix_check_space_option option value valuePattern valueText colorSpace spacePattern
		spaceText)
	if(NOT value MATCHES "${valuePattern}")
		message(FATAL_ERROR "quillpix_add_image_sources: ${option} is ${valueText}, not ${value}")
	endif()
	if(NOT colorSpace MATCHES "${spacePattern}")
		message(FATAL_ERROR "quillpix_add_image_sources: ${option} needs COLOR_SPACE ${spaceText}")
	endif()
endfunction()

function(quillpix_add_image_sources)
	set(keywords TARGET STANDALONE COLOR_SPACE DITHER BACKGROUND COMPRESS COMPRESS_THRESHOLD
		IMAGES)
	cmake_parse_arguments(PARSE_ARGV 0 ARG "STANDALONE"
		"TARGET;COLOR_SPACE;DITHER;BACKGROUND;COMPRESS;COMPRESS_THRESHOLD" "IMAGES")
	if(ARG_UNPARSED_ARGUMENTS)
		list(JOIN keywords ", " known)
		list(JOIN ARG_UNPARSED_ARGUMENTS " " unknown)
		message(FATAL_ERROR "quillpix_add_image_sources: unknown arguments: ${unknown} "
			"(the keywords are ${known})")
	endif()
	if(NOT ARG_TARGET OR NOT TARGET "${ARG_TARGET}")
		message(FATAL_ERROR "quillpix_add_image_sources: TARGET must name an existing target")
	endif()
	if(NOT ARG_IMAGES)
		message(FATAL_ERROR "quillpix_add_image_sources: no IMAGES given")
	endif()
	set(colorSpaceOption "")
	set(spaces rgb32 cmap8 rgba32 rgb16 rgb15 rgba15 gray8 gray1 rgb24 rgb24-big rgb16-big
		rgb15-big rgba15-big rgb32-big rgba32-big)
	if(ARG_COLOR_SPACE)
		if(NOT ARG_COLOR_SPACE IN_LIST spaces)
			list(JOIN spaces ", " known)
			message(FATAL_ERROR "quillpix_add_image_sources: COLOR_SPACE is one of ${known}, "
				"not ${ARG_COLOR_SPACE}")
		endif()
		set(colorSpaceOption --color-space ${ARG_COLOR_SPACE})
	endif()
	if(DEFINED ARG_DITHER)
		_quillpix_check_space_option(DITHER "${ARG_DITHER}" "^(none|floyd-steinberg|ordered)$"
			"none, floyd-steinberg or ordered"
			"${ARG_COLOR_SPACE}" "^(cmap8|gray1|(rgb16|rgb15|rgba15)(-big)?)$"
			"cmap8, rgb16, rgb15, rgba15, gray1, rgb16-big, rgb15-big or rgba15-big")
		list(APPEND colorSpaceOption --dither ${ARG_DITHER})
	endif()
	if(DEFINED ARG_BACKGROUND)
		_quillpix_check_space_option(BACKGROUND "${ARG_BACKGROUND}"
			"^[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]$"
			"a colour as RRGGBB, such as ffffff"
			"${ARG_COLOR_SPACE}" "^(rgb16|gray8|gray1|rgb24|rgb24-big|rgb16-big)$"
			"rgb16, gray8, gray1, rgb24, rgb24-big or rgb16-big, the spaces without transparency")
		list(APPEND colorSpaceOption --background ${ARG_BACKGROUND})
	endif()
	set(compressOption "")
	if(DEFINED ARG_COMPRESS)
		if(NOT ARG_COMPRESS MATCHES "^zstd(:([1-9]|1[0-9]))?$")
			message(FATAL_ERROR "quillpix_add_image_sources: COMPRESS is zstd or zstd:LEVEL "
				"with LEVEL 1 to 19, not ${ARG_COMPRESS}")
		endif()
		set(compressOption --compress ${ARG_COMPRESS})
	endif()
	if(DEFINED ARG_COMPRESS_THRESHOLD)
		if(NOT DEFINED ARG_COMPRESS)
			message(FATAL_ERROR "quillpix_add_image_sources: COMPRESS_THRESHOLD needs COMPRESS")
		endif()
		if(NOT ARG_COMPRESS_THRESHOLD MATCHES "^[0-9][0-9]?$")
			message(FATAL_ERROR "quillpix_add_image_sources: COMPRESS_THRESHOLD is a share in "
				"percent, 0 to 99, not ${ARG_COMPRESS_THRESHOLD}")
		endif()
		list(APPEND compressOption --compress-threshold ${ARG_COMPRESS_THRESHOLD})
	endif()
	# The Be form is C++; the standalone form is assembled by the C++
	# driver where there is one, else by the C driver.
	set(language CXX)
	set(formOption "")
	if(ARG_STANDALONE)
		set(formOption --standalone)
		get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
		if(NOT CXX IN_LIST languages)
			set(language C)
		endif()
	endif()
	if(NOT CMAKE_${language}_COMPILER_ID MATCHES "GNU|Clang")
		message(FATAL_ERROR "quillpix_add_image_sources: the images are assembled with GCC's or "
			"Clang's driver, and CMAKE_${language}_COMPILER is "
			"${CMAKE_${language}_COMPILER_ID}")
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
	# The images a target has taken, each as "NAME=IMAGE" with IMAGE as
	# written, so that a clash names both.
	get_target_property(imagesTaken ${ARG_TARGET} QUILLPIX_IMAGES)
	if(NOT imagesTaken)
		set(imagesTaken "")
	endif()
	_quillpix_image_scope(scope "${ARG_TARGET}")
	_quillpix_assembler(assembler ${ARG_TARGET} ${language})

	# The files as they are named (a list element holds a ';' as "\;"), each
	# checked now, named to the person as they wrote it, relative to this
	# CMakeLists.txt.
	set(images "")
	set(shownImages "")
	foreach(written IN LISTS ARG_IMAGES)
		string(REPLACE "\\;" ";" image "${written}")
		# cmake_path keeps a backslash a character of the name, as Linux does.
		cmake_path(ABSOLUTE_PATH image BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
		cmake_path(RELATIVE_PATH image BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
			OUTPUT_VARIABLE shown)
		string(REGEX REPLACE "[\r\n\t]" "?" shownInMessage "${shown}")
		if(NOT EXISTS "${image}" OR IS_DIRECTORY "${image}")
			set(hint "")
			if(written MATCHES "^[A-Z][A-Z_]*$")
				list(JOIN keywords ", " known)
				string(CONCAT hint " (${written} is no keyword of quillpix_add_image_sources, "
					"whose keywords are ${known}; IMAGES takes every argument after it)")
			endif()
			if(IS_DIRECTORY "${image}")
				set(what "is a folder, not an image")
			else()
				set(what "does not exist")
			endif()
			message(FATAL_ERROR "quillpix_add_image_sources: the image \"${shownInMessage}\" "
				"of ${ARG_TARGET} ${what}${hint}")
		endif()
		string(REPLACE ";" "\\;" image "${image}")
		string(REPLACE ";" "\\;" shown "${shown}")
		list(APPEND images "${image}")
		list(APPEND shownImages "${shown}")
	endforeach()
	quillpix_image_identifiers(names "${images}")

	foreach(image shown name IN ZIP_LISTS images shownImages names)
		foreach(taken IN LISTS imagesTaken)
			if(taken MATCHES "^${name}=(.*)$")
				message(FATAL_ERROR "quillpix_add_image_sources: \"${shown}\" and "
					"\"${CMAKE_MATCH_1}\" would both be named ${name} in ${ARG_TARGET}; "
					"rename one of them")
			endif()
		endforeach()
		list(APPEND imagesTaken "${name}=${shown}")

		# The build names the image itself where every build tool can; a
		# name that one cannot hold (a newline) through a link of the
		# identifier's name, which the build follows to the image.
		_quillpix_plain_path(plain "${image}")
		if(plain)
			set(input "${image}")
			set(label "${shown}")
		else()
			set(input "${outputDir}/${name}.image")
			file(CREATE_LINK "${image}" "${input}" SYMBOLIC)
			string(REGEX REPLACE "[\r\n\t;]" "?" label "${shown}")
		endif()
		set(header "${outputDir}/${name}.h")
		set(assembly "${outputDir}/${name}.s")
		set(data "${outputDir}/${name}.bin")
		set(object "${outputDir}/${name}.o")
		string(REGEX REPLACE "[\r\n\t]" "?" shownInComment "${shown}")
		set(export ${exporter} --quiet ${formOption} --name ${name} ${colorSpaceOption}
			${compressOption}
			--namespace ${scope}
			--image-name "${label}" --embed "${header}" -o "${assembly}" -- "${input}")
		# Files that would not change are not written. Ninja then sees that
		# nothing changed (restat) and builds nothing after them; Make, which
		# cannot, gets a stamp that each export renews, so that an image
		# exported once is not exported at every make.
		if(CMAKE_GENERATOR MATCHES "Ninja")
			add_custom_command(OUTPUT "${header}"
				BYPRODUCTS "${assembly}" "${data}"
				COMMAND ${export}
				DEPENDS "${input}" ${exporter}
				COMMENT "Exporting ${shownInComment} as ${name}"
				VERBATIM)
			set(exported "${header}")
			set(objectInputs "${assembly}" "${data}")
		else()
			set(stamp "${outputDir}/${name}.stamp")
			add_custom_command(OUTPUT "${stamp}"
				BYPRODUCTS "${header}" "${assembly}" "${data}"
				COMMAND ${export}
				COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
				DEPENDS "${input}" ${exporter}
				COMMENT "Exporting ${shownInComment} as ${name}"
				VERBATIM)
			set(exported "${stamp}")
			set(objectInputs "${stamp}")
		endif()
		add_custom_command(OUTPUT "${object}"
			COMMAND ${assembler} -c "${name}.s" -o "${name}.o"
			DEPENDS ${objectInputs}
			WORKING_DIRECTORY "${outputDir}"
			COMMENT "Assembling the bytes of ${name}"
			COMMAND_EXPAND_LISTS
			VERBATIM)
		target_sources(${ARG_TARGET} PRIVATE "${exported}" "${object}")
	endforeach()
	set_target_properties(${ARG_TARGET} PROPERTIES QUILLPIX_IMAGES "${imagesTaken}")

	get_target_property(type ${ARG_TARGET} TYPE)
	set(visibility PUBLIC)
	if(type STREQUAL "EXECUTABLE")
		set(visibility PRIVATE)
	endif()
	target_include_directories(${ARG_TARGET} ${visibility} "${includeDir}")
	if(NOT ARG_STANDALONE)
		target_link_libraries(${ARG_TARGET} ${visibility} ${library})
	endif()
endfunction()
