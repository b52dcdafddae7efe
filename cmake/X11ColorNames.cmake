# SPDX-License-Identifier: MIT
# Compiles the X11 colour names into the library: reads the rgb.txt table
# (lines "RED GREEN BLUE name", comments starting with '!') when CMake
# configures and writes a C++ source with the names in lower case without
# spaces, sorted for a binary search. Editing the table makes CMake
# configure again.
#
# quillpix_generate_x11_colors(<rgb.txt> <output.cpp>)
include(${CMAKE_CURRENT_LIST_DIR}/GeneratedSource.cmake)

function(quillpix_generate_x11_colors input output)
	quillpix_read_table("${input}" "!" lines)
	set(entries "")
	foreach(line IN LISTS lines)
		if(NOT line MATCHES "^([0-9]+)[ \t]+([0-9]+)[ \t]+([0-9]+)[ \t]+([A-Za-z0-9 ]+)$")
			message(FATAL_ERROR "${input}: malformed colour line '${line}'")
		endif()
		set(name "${CMAKE_MATCH_4}")
		string(TOLOWER "${name}" name)
		string(REPLACE " " "" name "${name}")
		# A space sorts before every letter and digit, as the end of a
		# string does for strcmp.
		list(APPEND entries "${name} ${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}")
	endforeach()
	list(SORT entries)
	list(REMOVE_DUPLICATES entries)

	set(table "")
	set(previous "")
	set(count 0)
	foreach(entry IN LISTS entries)
		string(REGEX MATCH "^([^ ]+) (.*)$" unused "${entry}")
		set(name "${CMAKE_MATCH_1}")
		set(values "${CMAKE_MATCH_2}")
		if(name STREQUAL previous)
			message(FATAL_ERROR "${input}: colour '${name}' has two values")
		endif()
		set(previous "${name}")
		string(APPEND table "\t{\"${name}\", ${values}},\n")
		math(EXPR count "${count} + 1")
	endforeach()

	quillpix_write_generated_source("${input}" "${output}" X11ColorNames.cmake X11Colors.h
		"const X11Color kX11Colors[] = {\n${table}};\nconst size_t kX11ColorCount = ${count};\n")
endfunction()
