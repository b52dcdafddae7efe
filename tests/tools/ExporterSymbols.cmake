# SPDX-License-Identifier: MIT
# Run by ctest in script mode: the exporter holds no loopers, windows,
# applications or display servers, and no Qt, whatever its libraries link.
# QUILLPIX_EXPORT_BINARY is the exporter; QUILLPIX_NM the nm to read it with.
execute_process(COMMAND "${QUILLPIX_NM}" -C "${QUILLPIX_EXPORT_BINARY}"
	OUTPUT_VARIABLE symbols RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
	message(FATAL_ERROR "nm could not read ${QUILLPIX_EXPORT_BINARY}: ${errors}")
endif()
string(LENGTH "${symbols}" length)
if(length LESS 1000)
	message(FATAL_ERROR "nm listed almost nothing for ${QUILLPIX_EXPORT_BINARY}")
endif()
foreach(name BLooper BWindow BApplication BView DisplayServer HeadlessServer DisplayProbe QtServer QWidget
		FontEngine)
	string(REGEX MATCH "[^\n]*${name}[^\n]*" found "${symbols}")
	if(found)
		message(FATAL_ERROR "quillpix-export holds ${name}: ${found}")
	endif()
endforeach()
