# SPDX-License-Identifier: MIT
# Reads a data table and writes the C++ source generated from it when CMake
# configures.

# quillpix_read_table(<input> <comment> <variable>)
# Sets <variable> to the lines of <input>, stripped, without blank lines and
# lines starting with the <comment> character.
function(quillpix_read_table input comment variable)
	file(STRINGS "${input}" lines)
	set(kept "")
	foreach(line IN LISTS lines)
		string(STRIP "${line}" line)
		if(line STREQUAL "" OR line MATCHES "^${comment}")
			continue()
		endif()
		list(APPEND kept "${line}")
	endforeach()
	set(${variable} "${kept}" PARENT_SCOPE)
endfunction()

# quillpix_write_generated_source(<input> <output> <generator> <header>
#                                 <definitions>)
# The file names its input and generator, includes <header> and holds
# <definitions> inside namespace BPrivate. It is written only when it
# changes, so a reconfigure does not force a rebuild, and editing <input>
# makes CMake configure again, so the source never goes stale.
function(quillpix_write_generated_source input output generator header definitions)
	get_filename_component(inputName "${input}" NAME)
	set(text "// Generated from ${inputName} by cmake/${generator}; do not edit.\n\n")
	string(APPEND text "#include \"${header}\"\n\n")
	string(APPEND text "namespace BPrivate {\n\n")
	string(APPEND text "${definitions}\n")
	string(APPEND text "} // namespace BPrivate\n")

	set(current "")
	if(EXISTS "${output}")
		file(READ "${output}" current)
	endif()
	if(NOT current STREQUAL text)
		file(WRITE "${output}" "${text}")
	endif()
	set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${input}")
endfunction()
