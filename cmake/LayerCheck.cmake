# SPDX-License-Identifier: MIT
# Checks, at configure time, the layering the libraries promise, the
# platform's and the program's own, in the layers of Layers.cmake: each links
# only libraries of the layers below its own (so there are no cycles); each
# includes only headers of the libraries it links (IncludeCheck.cmake, also
# a test); the exporter and the plain code under it reach no kit, text or
# server library; only the program's start-up choice reaches a display
# server; and no library of the program reaches a platform library's private
# headers. A link or include that breaks a rule stops the configuration with
# the library that broke it.

# The libraries `target` links directly that are targets of this build.
function(quillpix_direct_links target result)
	set(links "")
	foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
		get_target_property(values ${target} ${property})
		if(values)
			foreach(value IN LISTS values)
				# Private links of a static library are listed as $<LINK_ONLY:x>.
				string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" value "${value}")
				if(TARGET ${value})
					list(APPEND links ${value})
				endif()
			endforeach()
		endif()
	endforeach()
	list(REMOVE_DUPLICATES links)
	set(${result} ${links} PARENT_SCOPE)
endfunction()

function(quillpix_check_layers)
	foreach(library IN LISTS QUILLPIX_LAYER_LIBRARIES)
		if(NOT TARGET ${library})
			continue()
		endif()
		quillpix_direct_links(${library} links)
		foreach(link IN LISTS links)
			if(DEFINED QUILLPIX_RANK_${link}
					AND NOT QUILLPIX_RANK_${link} LESS QUILLPIX_RANK_${library})
				message(FATAL_ERROR "Layering: ${library} links ${link}, "
					"which is not in a layer below it")
			endif()
		endforeach()
	endforeach()
endfunction()

# The targets `target` reaches. LINKS: through any chain of links, itself
# included. USAGE: those whose include paths it is compiled with, the ones it
# links and what their usage requirements bring (a library's private links
# do not pass theirs on). INTERFACE: those whose include paths the targets
# that link `target` are compiled with, because of it: what its usage
# requirements bring, which is all its public headers may include.
function(quillpix_reached target mode result)
	if(mode STREQUAL "USAGE")
		get_target_property(queue ${target} LINK_LIBRARIES)
		if(NOT queue)
			set(queue "")
		endif()
	elseif(mode STREQUAL "INTERFACE")
		get_target_property(queue ${target} INTERFACE_LINK_LIBRARIES)
		if(NOT queue)
			set(queue "")
		endif()
		list(FILTER queue EXCLUDE REGEX "^\\$<LINK_ONLY:")
	else()
		set(queue ${target})
	endif()
	set(seen "")
	while(queue)
		list(POP_FRONT queue current)
		if(current IN_LIST seen OR NOT TARGET ${current})
			continue()
		endif()
		list(APPEND seen ${current})
		if(NOT mode STREQUAL "LINKS")
			get_target_property(usage ${current} INTERFACE_LINK_LIBRARIES)
			if(usage)
				list(FILTER usage EXCLUDE REGEX "^\\$<LINK_ONLY:")
				list(APPEND queue ${usage})
			endif()
		else()
			quillpix_direct_links(${current} links)
			list(APPEND queue ${links})
		endif()
	endwhile()
	set(${result} ${seen} PARENT_SCOPE)
endfunction()

# Fails when `target` reaches, in the way `mode` names (see above), any of
# the libraries after it.
function(quillpix_check_never target mode)
	if(NOT TARGET ${target})
		return()
	endif()
	quillpix_reached(${target} ${mode} reached)
	set(what "links")
	if(mode STREQUAL "USAGE")
		set(what "is compiled with the private headers of")
	endif()
	foreach(library IN LISTS ARGN)
		if(library IN_LIST reached)
			message(FATAL_ERROR "Layering: ${target} ${what} ${library}")
		endif()
	endforeach()
endfunction()

quillpix_check_layers()
quillpix_check_never(quillpix-export LINKS be_kits be_text be_headless be_qt be_probe)
quillpix_check_never(be_graphics LINKS be_translation be_kits be_text be_headless be_qt)
foreach(plain quillpix_io quillpix_export quillpix_resources)
	quillpix_check_never(${plain} LINKS be_kits be_text be_headless be_qt)
endforeach()
foreach(window_code quillpix_framework quillpix_document quillpix_image quillpix_app)
	quillpix_check_never(${window_code} LINKS be_headless be_qt be_probe)
endforeach()
foreach(library IN LISTS QUILLPIX_LAYER_LIBRARIES)
	if(NOT library MATCHES "^be_")
		quillpix_check_never(${library} USAGE ${QUILLPIX_PRIVATE_HEADER_TARGETS})
	endif()
endforeach()

include(IncludeCheck)
quillpix_check_includes_at_configure()
# Again as a test, which reads the folders anew: an include added since the
# configuration fails it too.
if(QUILLPIX_BUILD_TESTS)
	add_test(NAME include_check COMMAND ${CMAKE_COMMAND}
		-DQUILLPIX_INCLUDE_TARGETS=${QUILLPIX_INCLUDE_TARGETS}
		-P ${CMAKE_CURRENT_LIST_DIR}/IncludeCheck.cmake)
endif()
