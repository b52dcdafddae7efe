# Installing what programs built on exported source need (the Be API library,
# its headers, the CMake package with quillpix_add_image_sources), the manual
# pages, and a Debian package of everything installed. The programs and the
# desktop files are installed by their own folders.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUILLPIX_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
set(QUILLPIX_INSTALL_LIBRARYDIR ${CMAKE_INSTALL_LIBDIR}/quillpix)
set(QUILLPIX_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/quillpix)
set(QUILLPIX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quillpix)
set(QUILLPIX_BE_FILE_NAME ${CMAKE_STATIC_LIBRARY_PREFIX}be${CMAKE_STATIC_LIBRARY_SUFFIX})

# The library and the kits' headers, flat as Be API code includes them
# (<PrefilledBitmap.h>, <SupportDefs.h>). The Qt server's are internal.
install(TARGETS be ARCHIVE DESTINATION ${QUILLPIX_INSTALL_LIBRARYDIR})
foreach(kit support kernel app interface storage translation tracker server)
	file(GLOB kitHeaders CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/${kit}/*.h)
	install(FILES ${kitHeaders} DESTINATION ${QUILLPIX_INSTALL_INCLUDEDIR})
endforeach()

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
	DESTINATION ${QUILLPIX_INSTALL_CMAKEDIR})

# Manual pages, compressed as Debian keeps them.
find_program(QUILLPIX_GZIP gzip REQUIRED)
set(manPages "")
foreach(page quillpix.1 quillpix-export.1)
	set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
	add_custom_command(OUTPUT ${compressed}
		COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
		COMMAND ${QUILLPIX_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/man/${page} > ${compressed}
		DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}
		VERBATIM)
	list(APPEND manPages ${compressed})
endforeach()
add_custom_target(quillpix_man ALL DEPENDS ${manPages})
install(FILES ${manPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cpack -G DEB (from the build directory) makes quillpix_VERSION_ARCH.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillpix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns images into C++ source")
set(CPACK_PACKAGE_CONTACT "Quillpix developers <quillpix@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
	"turns images into C++ source\n"
	"Quillpix opens an image, lets you choose its pixel layout (B_CMAP8, one\n"
	"byte per pixel indexing the system colour map, or B_RGB32) and saves it\n"
	"as C++ source: the bitmap's bytes as a uint8 array and the construction\n"
	"of a PrefilledBitmap from them.\n"
	"\n"
	"The package holds the desktop application, the command-line exporter\n"
	"quillpix-export, the static Be API library and headers that exported\n"
	"source compiles against, and a CMake package whose\n"
	"quillpix_add_image_sources() turns images into sources at build time.")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
# Shared libraries come from dpkg-shlibdeps; Qt's platform plugins, for the
# windows, are loaded at run time, and so is the font the windows' own text
# is drawn in. Images are decoded by the libraries the exporter links,
# never by Qt's image plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cmake, g++")
include(CPack)
