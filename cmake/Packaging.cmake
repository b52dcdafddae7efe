# SPDX-License-Identifier: MIT
# Installing what programs built on exported source need (the Be API's base,
# graphics and translation libraries, their public headers, the CMake package
# with quillpix_add_image_sources, quillpix.pc for pkg-config), the manual
# pages, and two Debian packages:
# quillpix-tools (the exporter, the libraries, headers and CMake package: what
# a build machine needs, with no desktop stack) and quillpix (the desktop application). Every install() names its
# component, "tools" or "app"; the programs and the desktop files are
# installed by their own folders.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUILLPIX_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
set(QUILLPIX_INSTALL_LIBRARYDIR ${CMAKE_INSTALL_LIBDIR}/quillpix)
set(QUILLPIX_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/quillpix)
set(QUILLPIX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quillpix)
foreach(layer base graphics translation)
	string(TOUPPER ${layer} upper)
	set(QUILLPIX_${upper}_FILE_NAME
		${CMAKE_STATIC_LIBRARY_PREFIX}be_${layer}${CMAKE_STATIC_LIBRARY_SUFFIX})
endforeach()

# The libraries a program built on exported source links, and their public
# headers, flat as Be API code includes them (<PrefilledBitmap.h>,
# <SupportDefs.h>): base, graphics (what the generated sources need) and
# translation (loading image files). The kits and the display servers are
# the application's own and are not installed.
install(TARGETS be_base be_graphics be_translation
	ARCHIVE DESTINATION ${QUILLPIX_INSTALL_LIBRARYDIR} COMPONENT tools
	FILE_SET HEADERS DESTINATION ${QUILLPIX_INSTALL_INCLUDEDIR} COMPONENT tools)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuillpixConfig.cmake.in
	${PROJECT_BINARY_DIR}/QuillpixConfig.cmake
	INSTALL_DESTINATION ${QUILLPIX_INSTALL_CMAKEDIR}
	PATH_VARS QUILLPIX_INSTALL_BINDIR QUILLPIX_INSTALL_LIBRARYDIR QUILLPIX_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuillpixConfigVersion.cmake
	COMPATIBILITY SameMinorVersion)
install(FILES
	${PROJECT_BINARY_DIR}/QuillpixConfig.cmake
	${PROJECT_BINARY_DIR}/QuillpixConfigVersion.cmake
	${PROJECT_SOURCE_DIR}/cmake/QuillpixEmbed.cmake
	DESTINATION ${QUILLPIX_INSTALL_CMAKEDIR} COMPONENT tools)

# quillpix.pc, for builds without CMake: the header folder and the graphics
# library with what it links (be_base, libzstd, and the thread library where that is
# not part of libc; nothing of pkg-config's own). Written at install time,
# when the prefix is known: cmake --install --prefix X gives X, the Debian
# package /usr.
foreach(dir LIBRARYDIR INCLUDEDIR)
	if(IS_ABSOLUTE "${QUILLPIX_INSTALL_${dir}}")
		set(QUILLPIX_PC_${dir} "${QUILLPIX_INSTALL_${dir}}")
	else()
		set(QUILLPIX_PC_${dir} "\${prefix}/${QUILLPIX_INSTALL_${dir}}")
	endif()
endforeach()
set(QUILLPIX_PC_THREAD_LIBS "")
if(CMAKE_THREAD_LIBS_INIT)
	set(QUILLPIX_PC_THREAD_LIBS " ${CMAKE_THREAD_LIBS_INIT}")
endif()
set(pcFile ${PROJECT_BINARY_DIR}/pkgconfig/quillpix.pc)
# Bracket arguments keep "${prefix}" as it is for pkg-config.
install(CODE "
	set(PROJECT_VERSION [==[${PROJECT_VERSION}]==])
	set(QUILLPIX_PC_THREAD_LIBS [==[${QUILLPIX_PC_THREAD_LIBS}]==])
	set(QUILLPIX_PC_LIBRARYDIR [==[${QUILLPIX_PC_LIBRARYDIR}]==])
	set(QUILLPIX_PC_INCLUDEDIR [==[${QUILLPIX_PC_INCLUDEDIR}]==])
	configure_file([==[${PROJECT_SOURCE_DIR}/cmake/quillpix.pc.in]==] [==[${pcFile}]==] @ONLY)"
	COMPONENT tools)
install(FILES ${pcFile} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT tools)

# The licence, where Debian keeps it: each package's copyright file.
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
	DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillpix-tools COMPONENT tools)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
	DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillpix COMPONENT app)

# Manual pages, compressed as Debian keeps them, each in its program's package.
find_program(QUILLPIX_GZIP gzip REQUIRED)
set(manPages "")
foreach(page quillpix.1:app quillpix-export.1:tools)
	string(REPLACE ":" ";" page "${page}")
	list(GET page 1 component)
	list(GET page 0 page)
	set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
	add_custom_command(OUTPUT ${compressed}
		COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
		COMMAND ${QUILLPIX_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/man/${page} > ${compressed}
		DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}
		VERBATIM)
	list(APPEND manPages ${compressed})
	install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()
add_custom_target(quillpix_man ALL DEPENDS ${manPages})

# cpack -G DEB (from the build directory) makes quillpix-tools_VERSION_ARCH.deb
# and quillpix_VERSION_ARCH.deb. The first line of each description is its
# package's summary: CPackDeb puts the project-wide summary before it unless
# that is CPack's own default, which it then leaves out.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGE_NAME quillpix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillpix developers <quillpix@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tools app)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Shared libraries come from dpkg-shlibdeps, per package: the tools package
# gets the image libraries and the C++ runtime, nothing of a desktop.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME quillpix-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SUGGESTS "cmake, g++")
# The static graphics library leaves libzstd to the program that links it:
# building against the package needs its development files.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libzstd-dev")
string(CONCAT CPACK_DEBIAN_TOOLS_DESCRIPTION
	"turns images into C++ source (command line and build tools)\n"
	"quillpix-export writes an image as C++ source: the bitmap's bytes as a\n"
	"uint8 array (B_CMAP8, one byte per pixel indexing the system colour map,\n"
	"or B_RGB32) and the construction of a PrefilledBitmap from them.\n"
	"\n"
	"The package holds the exporter, the static Be API library and headers that\n"
	"exported source compiles against, and a CMake package whose\n"
	"quillpix_add_image_sources() turns images into sources at build time.\n"
	"It needs no desktop: meant for build machines and containers.")

set(CPACK_DEBIAN_APP_PACKAGE_NAME quillpix)
# Qt's platform plugins, for the windows, are loaded at run time, and so is
# the font the windows' own text is drawn in.
set(CPACK_DEBIAN_APP_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_APP_PACKAGE_SUGGESTS "quillpix-tools")
string(CONCAT CPACK_DEBIAN_APP_DESCRIPTION
	"turns images into C++ source (desktop application)\n"
	"Quillpix opens an image, lets you choose its pixel layout (B_CMAP8, one\n"
	"byte per pixel indexing the system colour map, or B_RGB32) and saves it\n"
	"as C++ source: the bitmap's bytes as a uint8 array and the construction\n"
	"of a PrefilledBitmap from them.\n"
	"\n"
	"The command-line exporter, the library and the CMake package for builds\n"
	"are in quillpix-tools.")
include(CPack)
