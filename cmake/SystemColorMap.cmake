# SPDX-License-Identifier: MIT
# Compiles the system colour map into the library: reads the text table
# (data lines "INDEX R G B", comments starting with '#') when CMake configures
# and writes a C++ source that defines the 256 colours. Editing the table
# makes CMake configure again, so the source never goes stale.
#
# quillpix_generate_colormap(<input.txt> <output.cpp>)
include(${CMAKE_CURRENT_LIST_DIR}/GeneratedSource.cmake)

function(quillpix_generate_colormap input output)
	quillpix_read_table("${input}" "#" lines)
	set(expected 0)
	set(entries "")
	foreach(line IN LISTS lines)
		if(NOT line MATCHES "^([0-9]+)[ \t]+([0-9]+)[ \t]+([0-9]+)[ \t]+([0-9]+)$")
			message(FATAL_ERROR "${input}: malformed colour map line '${line}'")
		endif()
		set(index ${CMAKE_MATCH_1})
		set(red ${CMAKE_MATCH_2})
		set(green ${CMAKE_MATCH_3})
		set(blue ${CMAKE_MATCH_4})
		if(NOT index EQUAL expected)
			message(FATAL_ERROR "${input}: colour map index ${index} where ${expected} was due")
		endif()
		foreach(channel ${red} ${green} ${blue})
			if(channel GREATER 255)
				message(FATAL_ERROR "${input}: channel value ${channel} of index ${index} is over 255")
			endif()
		endforeach()
		string(APPEND entries "\t{${red}, ${green}, ${blue}, 255},\n")
		math(EXPR expected "${expected} + 1")
	endforeach()
	if(NOT expected EQUAL 256)
		message(FATAL_ERROR "${input}: ${expected} colour map entries, 256 needed")
	endif()

	quillpix_write_generated_source("${input}" "${output}" SystemColorMap.cmake SystemColorMap.h
		"const rgb_color kSystemColorMapColors[256] = {\n${entries}};\n")
endfunction()
