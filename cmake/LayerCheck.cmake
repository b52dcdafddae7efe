# Checks, at configure time, the layering the platform's libraries promise:
# each links only libraries of the layers below its own (so there are no
# cycles), and the exporter reaches no kit, text or server library. A link
# that breaks a rule stops the configuration with the library that broke it.

# Bottom up; libraries in one entry are one layer and may not link each other.
set(QUILLPIX_PLATFORM_LAYERS
	"be_base"
	"be_graphics"
	"be_translation|be_kits"
	"be_text|be_headless|be_qt"
	"be_qt_probe")

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
	set(rank 0)
	foreach(layer IN LISTS QUILLPIX_PLATFORM_LAYERS)
		string(REPLACE "|" ";" members "${layer}")
		foreach(library IN LISTS members)
			set(rank_${library} ${rank})
		endforeach()
		math(EXPR rank "${rank} + 1")
	endforeach()

	foreach(layer IN LISTS QUILLPIX_PLATFORM_LAYERS)
		string(REPLACE "|" ";" members "${layer}")
		foreach(library IN LISTS members)
			if(NOT TARGET ${library})
				continue()
			endif()
			quillpix_direct_links(${library} links)
			foreach(link IN LISTS links)
				if(DEFINED rank_${link} AND NOT rank_${link} LESS rank_${library})
					message(FATAL_ERROR "Layering: ${library} links ${link}, "
						"which is not in a layer below it")
				endif()
			endforeach()
		endforeach()
	endforeach()
endfunction()

# Fails when `target` reaches any of the libraries after it, through any
# chain of links.
function(quillpix_check_never_links target)
	set(forbidden ${ARGN})
	set(seen "")
	set(queue ${target})
	while(queue)
		list(POP_FRONT queue current)
		if(current IN_LIST seen)
			continue()
		endif()
		list(APPEND seen ${current})
		if(current IN_LIST forbidden)
			message(FATAL_ERROR "Layering: ${target} links ${current}")
		endif()
		quillpix_direct_links(${current} links)
		list(APPEND queue ${links})
	endwhile()
endfunction()

quillpix_check_layers()
quillpix_check_never_links(quillpix-export be_kits be_text be_headless be_qt)
quillpix_check_never_links(be_graphics be_translation be_kits be_text be_headless be_qt)
