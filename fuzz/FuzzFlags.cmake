# SPDX-License-Identifier: MIT
# Compiler flags of the fuzzing build (QUILLPIX_FUZZ): every library gets
# libFuzzer's coverage instrumentation with AddressSanitizer and
# UndefinedBehaviorSanitizer; only the fuzz targets link libFuzzer's main.
# Needs clang: configure with CC=clang CXX=clang++ (scripts/fuzz.sh does).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
	message(FATAL_ERROR "QUILLPIX_FUZZ needs clang (CC=clang CXX=clang++)")
endif()
if(QUILLPIX_ASAN OR QUILLPIX_TSAN)
	message(FATAL_ERROR "QUILLPIX_FUZZ brings its own sanitizers; leave QUILLPIX_ASAN/TSAN off")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
	-fno-sanitize-recover=undefined -gline-tables-only)
add_link_options(-fsanitize=address,undefined)
