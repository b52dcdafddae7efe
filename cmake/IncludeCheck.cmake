# SPDX-License-Identifier: MIT
# Checks that every #include "..." in the folders of the layers'
# libraries (Layers.cmake) names a header the library may reach: one beside
# the including file, one of its own, or one of a library it reaches
# through the usage requirements of what it links. A source file is
# compiled with everything the library links; a header also ends up in the
# libraries that link this one, so it may include only what the library's
# own usage requirements pass on (not its private links). Every include
# that breaks this is reported with the file, the header and the library
# that has the header. No target may have the whole source tree on its
# include path (configure time only).
#
# At configure time LayerCheck.cmake includes this file and calls
# quillpix_check_includes_at_configure(), which writes what it found out
# about the targets (folders, sources, include paths) into
# ${CMAKE_BINARY_DIR}/IncludeCheck/targets.cmake and checks. The test
# include_check runs this file as a script on that file:
#   cmake -DQUILLPIX_INCLUDE_TARGETS=<that file> -P IncludeCheck.cmake
# which reads the folders again, so that an include added since the
# configuration is checked too.

if(CMAKE_SCRIPT_MODE_FILE)
	cmake_policy(VERSION 3.25)
endif()

# The plain directories of an include-directories property of `target`: a
# build tree's $<BUILD_INTERFACE:dir> taken as dir, any other generator
# expression (an install tree's, a configuration's) left out.
function(_quillpix_include_dirs target property result)
	set(dirs "")
	get_target_property(values ${target} ${property})
	if(values)
		foreach(value IN LISTS values)
			if(value MATCHES "^\\$<BUILD_INTERFACE:(.*)>$")
				list(APPEND dirs ${CMAKE_MATCH_1})
			elseif(NOT value MATCHES "\\$<")
				list(APPEND dirs ${value})
			endif()
		endforeach()
	endif()
	set(${result} ${dirs} PARENT_SCOPE)
endfunction()

# The base directories of `target`'s header file sets named by `property`
# (HEADER_SETS: all of them; INTERFACE_HEADER_SETS: the public ones).
function(_quillpix_header_set_dirs target property result)
	set(dirs "")
	get_target_property(sets ${target} ${property})
	if(sets)
		foreach(set IN LISTS sets)
			if(set STREQUAL "HEADERS")
				get_target_property(base ${target} HEADER_DIRS)
			else()
				get_target_property(base ${target} HEADER_DIRS_${set})
			endif()
			if(base)
				list(APPEND dirs ${base})
			endif()
		endforeach()
	endif()
	set(${result} ${dirs} PARENT_SCOPE)
endfunction()

# The include paths `target` passes on to the targets that link it.
function(_quillpix_public_dirs target result)
	_quillpix_include_dirs(${target} INTERFACE_INCLUDE_DIRECTORIES dirs)
	_quillpix_header_set_dirs(${target} INTERFACE_HEADER_SETS sets)
	set(${result} ${dirs} ${sets} PARENT_SCOPE)
endfunction()

# Fails when a target of the build, in `directory` or below it, has the
# whole source tree on its include path, which would reach every header.
function(_quillpix_check_no_tree_root directory)
	get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
	foreach(target IN LISTS targets)
		foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
			_quillpix_include_dirs(${target} ${property} dirs)
			foreach(dir IN LISTS dirs)
				cmake_path(NORMAL_PATH dir)
				string(REGEX REPLACE "/$" "" dir "${dir}")
				if(dir STREQUAL PROJECT_SOURCE_DIR)
					message(FATAL_ERROR "Includes: ${target} has the whole source tree on its "
						"include path (${property}); headers are reached through the libraries it links")
				endif()
			endforeach()
		endforeach()
	endforeach()
	get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
	foreach(subdirectory IN LISTS subdirectories)
		_quillpix_check_no_tree_root(${subdirectory})
	endforeach()
endfunction()

# Writes, for each library of the layers, its folders, its sources in them,
# the include paths its sources and its headers may use and those it passes
# on, then checks.
function(quillpix_check_includes_at_configure)
	set(data "")
	set(checked "")
	foreach(library IN LISTS QUILLPIX_LAYER_LIBRARIES)
		if(NOT TARGET ${library})
			continue()
		endif()
		list(APPEND checked ${library})
		get_target_property(source_dir ${library} SOURCE_DIR)
		get_target_property(type ${library} TYPE)
		set(sources "")
		if(NOT type STREQUAL "INTERFACE_LIBRARY")
			get_target_property(listed ${library} SOURCES)
			foreach(source IN LISTS listed)
				if(NOT source MATCHES "\\$<")
					get_filename_component(source ${source} ABSOLUTE BASE_DIR ${source_dir})
					list(APPEND sources ${source})
				endif()
			endforeach()
		endif()

		# What the headers may reach: its own public paths and what its usage
		# requirements bring; the sources also its private paths and links.
		_quillpix_public_dirs(${library} public)
		set(header_dirs ${public})
		quillpix_reached(${library} INTERFACE passed_on)
		foreach(reached IN LISTS passed_on)
			_quillpix_public_dirs(${reached} dirs)
			list(APPEND header_dirs ${dirs})
		endforeach()
		set(source_dirs ${header_dirs})
		if(NOT type STREQUAL "INTERFACE_LIBRARY")
			_quillpix_include_dirs(${library} INCLUDE_DIRECTORIES own)
			_quillpix_header_set_dirs(${library} HEADER_SETS sets)
			list(APPEND source_dirs ${own} ${sets})
			quillpix_reached(${library} USAGE used)
			foreach(reached IN LISTS used)
				_quillpix_public_dirs(${reached} dirs)
				list(APPEND source_dirs ${dirs})
			endforeach()
		endif()
		list(REMOVE_DUPLICATES header_dirs)
		list(REMOVE_DUPLICATES source_dirs)

		string(APPEND data "set(QUILLPIX_INCLUDE_FOLDERS_${library} \"${QUILLPIX_FOLDERS_${library}}\")\n"
			"set(QUILLPIX_INCLUDE_SOURCES_${library} \"${sources}\")\n"
			"set(QUILLPIX_INCLUDE_HEADER_DIRS_${library} \"${header_dirs}\")\n"
			"set(QUILLPIX_INCLUDE_SOURCE_DIRS_${library} \"${source_dirs}\")\n"
			"set(QUILLPIX_INCLUDE_PUBLIC_${library} \"${public}\")\n")
	endforeach()
	string(PREPEND data "# What the include check knows of the libraries (cmake/IncludeCheck.cmake).\n"
		"set(QUILLPIX_INCLUDE_SOURCE_ROOT \"${PROJECT_SOURCE_DIR}\")\n"
		"set(QUILLPIX_INCLUDE_LIBRARIES \"${checked}\")\n")
	set(file ${CMAKE_BINARY_DIR}/IncludeCheck/targets.cmake)
	file(WRITE ${file} "${data}")
	include(${file})
	_quillpix_check_no_tree_root(${PROJECT_SOURCE_DIR})
	quillpix_check_includes()
	set(QUILLPIX_INCLUDE_TARGETS ${file} PARENT_SCOPE)
endfunction()

# The library whose public paths hold `header` (empty when none does).
function(_quillpix_header_owner header result)
	foreach(library IN LISTS QUILLPIX_INCLUDE_LIBRARIES)
		foreach(dir IN LISTS QUILLPIX_INCLUDE_PUBLIC_${library})
			if(EXISTS ${dir}/${header} AND NOT IS_DIRECTORY ${dir}/${header})
				set(${result} ${library} PARENT_SCOPE)
				return()
			endif()
		endforeach()
	endforeach()
	set(${result} "" PARENT_SCOPE)
endfunction()

# The files of `library` to check: its sources, and the headers in its
# folders and their subfolders (those that are no other library's folder).
function(_quillpix_files_of library result)
	set(root ${QUILLPIX_INCLUDE_SOURCE_ROOT})
	set(files ${QUILLPIX_INCLUDE_SOURCES_${library}})
	foreach(folder IN LISTS QUILLPIX_INCLUDE_FOLDERS_${library})
		file(GLOB_RECURSE headers ${root}/${folder}/*.h ${root}/${folder}/*.hpp)
		foreach(header IN LISTS headers)
			file(RELATIVE_PATH relative ${root} ${header})
			get_filename_component(header_folder ${relative} DIRECTORY)
			get_filename_component(stem ${header} NAME_WE)
			set(mine TRUE)
			foreach(other IN LISTS QUILLPIX_INCLUDE_LIBRARIES)
				if(other STREQUAL library)
					continue()
				endif()
				foreach(other_folder IN LISTS QUILLPIX_INCLUDE_FOLDERS_${other})
					# Another library's folder below this one holds it.
					string(LENGTH "${other_folder}" length)
					string(LENGTH "${folder}" own_length)
					if(length GREATER own_length AND (header_folder STREQUAL other_folder
							OR header_folder MATCHES "^${other_folder}/"))
						set(mine FALSE)
					endif()
				endforeach()
			endforeach()
			# A header with a source of its name beside it is that source's
			# library's (the folder of a server and its probe holds both), and
			# is left out when no library of this build compiles the source.
			foreach(extension cpp cc)
				set(source ${root}/${header_folder}/${stem}.${extension})
				if(EXISTS ${source} AND NOT source IN_LIST QUILLPIX_INCLUDE_SOURCES_${library})
					set(mine FALSE)
				endif()
			endforeach()
			if(mine)
				list(APPEND files ${header})
			endif()
		endforeach()
	endforeach()
	list(REMOVE_DUPLICATES files)
	set(${result} ${files} PARENT_SCOPE)
endfunction()

# Checks every library named in QUILLPIX_INCLUDE_LIBRARIES; one message
# lists every include that breaks the rule.
function(quillpix_check_includes)
	set(root ${QUILLPIX_INCLUDE_SOURCE_ROOT})
	set(faults "")
	foreach(library IN LISTS QUILLPIX_INCLUDE_LIBRARIES)
		_quillpix_files_of(${library} files)
		foreach(file IN LISTS files)
			if(NOT EXISTS ${file})
				continue()
			endif()
			if(file MATCHES "\\.(h|hpp)$")
				set(dirs ${QUILLPIX_INCLUDE_HEADER_DIRS_${library}})
			else()
				set(dirs ${QUILLPIX_INCLUDE_SOURCE_DIRS_${library}})
			endif()
			get_filename_component(beside ${file} DIRECTORY)
			file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
			foreach(line IN LISTS lines)
				string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
				set(found FALSE)
				foreach(dir IN LISTS beside dirs)
					if(EXISTS ${dir}/${header} AND NOT IS_DIRECTORY ${dir}/${header})
						set(found TRUE)
						break()
					endif()
				endforeach()
				if(found)
					continue()
				endif()
				file(RELATIVE_PATH shown ${root} ${file})
				_quillpix_header_owner(${header} owner)
				if(owner)
					set(why "a header of ${owner}, which ${library} does not link")
					if(file MATCHES "\\.(h|hpp)$")
						set(why "a header of ${owner}, which the usage requirements of ${library} do not bring")
					endif()
				else()
					set(why "which is no header of ${library} or of a library it reaches")
				endif()
				string(APPEND faults "\n  ${shown} (${library}) includes \"${header}\", ${why}")
			endforeach()
		endforeach()
	endforeach()
	if(faults)
		message(FATAL_ERROR "Includes:${faults}")
	endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND QUILLPIX_INCLUDE_TARGETS)
	include(${QUILLPIX_INCLUDE_TARGETS})
	quillpix_check_includes()
endif()
