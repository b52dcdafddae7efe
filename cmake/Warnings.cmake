# SPDX-License-Identifier: MIT
# Warnings for all of our own code. Qt and GoogleTest headers come in as
# system headers, so their warnings stay out of the way.
add_compile_options(-Wall -Wextra -Wno-multichar)

# GCC 12 at -O3 warns of overlapping copies inside std::string's own
# inlined code where none can happen (a known false positive of that
# compiler, gone in GCC 13); it would hide real warnings in Release builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
	add_compile_options(-Wno-restrict)
endif()
