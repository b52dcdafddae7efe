# SPDX-License-Identifier: MIT
# The layers of the build, bottom up, written once: the top-level
# CMakeLists.txt adds the folders in this order, and the layer check
# (LayerCheck.cmake) holds the links and the includes to it. Each
# quillpix_layer() is one layer: its libraries, each as
# library=folder[,folder...] with the folders relative to the source tree.
# A library links only libraries of the layers below its own, so libraries
# of one layer never link each other. Each folder's CMakeLists.txt defines
# its libraries, and holds no other library's code: a library in a folder
# below another's (a server's probe) is a folder of its own.
#
# For each library this sets QUILLPIX_FOLDERS_<library> and
# QUILLPIX_RANK_<library> (its layer's number); QUILLPIX_LAYERS lists the
# layers (their libraries joined by "|") and QUILLPIX_LAYER_FOLDERS every
# folder once, in the order to add them.
set(QUILLPIX_LAYERS "")
set(QUILLPIX_LAYER_FOLDERS "")
macro(quillpix_layer)
	list(LENGTH QUILLPIX_LAYERS _quillpix_rank)
	set(_quillpix_members "")
	foreach(_quillpix_entry ${ARGN})
		if(NOT _quillpix_entry MATCHES "^([^=]+)=(.+)$")
			message(FATAL_ERROR "Layers: \"${_quillpix_entry}\" is not library=folder[,folder]")
		endif()
		set(_quillpix_library ${CMAKE_MATCH_1})
		string(REPLACE "," ";" QUILLPIX_FOLDERS_${_quillpix_library} "${CMAKE_MATCH_2}")
		set(QUILLPIX_RANK_${_quillpix_library} ${_quillpix_rank})
		list(APPEND _quillpix_members ${_quillpix_library})
		list(APPEND QUILLPIX_LAYER_FOLDERS ${QUILLPIX_FOLDERS_${_quillpix_library}})
	endforeach()
	list(REMOVE_DUPLICATES QUILLPIX_LAYER_FOLDERS)
	string(JOIN "|" _quillpix_layer ${_quillpix_members})
	list(APPEND QUILLPIX_LAYERS "${_quillpix_layer}")
endmacro()

# The platform, our Be API (see platform/CMakeLists.txt for what each holds).
quillpix_layer(be_base=platform/support,platform/kernel,platform/storage)
quillpix_layer(be_graphics=platform/graphics)
quillpix_layer(be_translation=platform/translation
	be_kits=platform/app,platform/interface,platform/tracker,platform/server)
quillpix_layer(be_text=platform/text be_probe=platform/probe be_headless=platform/headless
	be_qt=platform/qt)
quillpix_layer(be_headless_probe=platform/headless/probe be_qt_probe=platform/qt/probe)

# The program's own code: plain code first (files, icons, command codes),
# then the export and the application framework, the exporter's options, the
# document window and the export jobs, the image window, and the program with
# its choice of server.
quillpix_layer(quillpix_io=io quillpix_resources=resources quillpix_commands=app/commands)
quillpix_layer(quillpix_export=export quillpix_framework=app/framework)
quillpix_layer(quillpix_export_options=tools/options)
quillpix_layer(quillpix_document=document quillpix_export_jobs=tools/jobs)
quillpix_layer(quillpix_image=image)
quillpix_layer(quillpix_app=app/program quillpix_server_choice=app/server_choice)

# The programs, on top: the desktop program and the command-line exporter.
quillpix_layer(quillpix=app quillpix-export=tools)

# The libraries of the layers, bottom up.
set(QUILLPIX_LAYER_LIBRARIES "")
foreach(_quillpix_layer IN LISTS QUILLPIX_LAYERS)
	string(REPLACE "|" ";" _quillpix_members "${_quillpix_layer}")
	list(APPEND QUILLPIX_LAYER_LIBRARIES ${_quillpix_members})
endforeach()

# Gives each library of the program (those outside platform/) an include
# root of its own in the build tree that holds only its folders, under
# their spelling in the source tree: ${root}/io -> <source>/io. A header is
# then reached as "io/FileReplacer.h" exactly by the targets that link
# quillpix_io. The platform's libraries expose their kits through their
# HEADERS file sets instead.
function(quillpix_add_include_roots)
	foreach(library IN LISTS QUILLPIX_LAYER_LIBRARIES)
		if(NOT TARGET ${library})
			continue()
		endif()
		get_target_property(type ${library} TYPE)
		set(folders ${QUILLPIX_FOLDERS_${library}})
		list(FILTER folders EXCLUDE REGEX "^platform/")
		if(type STREQUAL "EXECUTABLE" OR NOT folders)
			continue()
		endif()
		set(root ${CMAKE_BINARY_DIR}/include/${library})
		foreach(folder IN LISTS folders)
			get_filename_component(parent ${root}/${folder} DIRECTORY)
			file(MAKE_DIRECTORY ${parent})
			# A link left by a tree that has moved points to the old place.
			if(IS_SYMLINK ${root}/${folder})
				file(READ_SYMLINK ${root}/${folder} target)
				if(NOT target STREQUAL ${PROJECT_SOURCE_DIR}/${folder})
					file(REMOVE ${root}/${folder})
				endif()
			endif()
			if(NOT IS_SYMLINK ${root}/${folder})
				file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
			endif()
		endforeach()
		if(type STREQUAL "INTERFACE_LIBRARY")
			target_include_directories(${library} INTERFACE ${root})
		else()
			target_include_directories(${library} PUBLIC ${root})
		endif()
	endforeach()
endfunction()
