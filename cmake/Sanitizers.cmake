# SPDX-License-Identifier: MIT
# One sanitizer build at a time: ASan+UBSan or TSan.
if(QUILLPIX_ASAN AND QUILLPIX_TSAN)
	message(FATAL_ERROR "QUILLPIX_ASAN and QUILLPIX_TSAN cannot be combined")
endif()
if(QUILLPIX_ASAN)
	add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
		-fno-sanitize-recover=undefined)
	add_link_options(-fsanitize=address,undefined)
endif()
if(QUILLPIX_TSAN)
	add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
	add_link_options(-fsanitize=thread)
endif()

# The checks of the locking rules (ASSERT_LOCKED) run in every build made to
# find faults: Debug, and both sanitizer builds whatever their build type.
if(QUILLPIX_ASAN OR QUILLPIX_TSAN OR CMAKE_BUILD_TYPE STREQUAL "Debug")
	set(QUILLPIX_CHECK_LOCKS ON)
endif()
if(QUILLPIX_CHECK_LOCKS)
	add_compile_definitions(QUILLPIX_CHECK_LOCKS=1)
endif()
