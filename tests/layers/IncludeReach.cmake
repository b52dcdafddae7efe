# SPDX-License-Identifier: MIT
# Preprocesses SOURCE with the include paths DIRS ("|" between them) twice:
# as it is, which must work, and with the higher layer's header HIGHER
# included too, which must fail because that header is not found.
if(NOT EXISTS ${HIGHER})
	message(FATAL_ERROR "${HIGHER} is gone: the check would prove nothing")
endif()
string(REPLACE "|" ";" dirs "${DIRS}")
set(flags "")
foreach(dir IN LISTS dirs)
	list(APPEND flags -I${dir})
endforeach()

execute_process(COMMAND ${COMPILER} -E ${flags} ${SOURCE} -o /dev/null
	RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
	message(FATAL_ERROR "The low layer's own headers are not found:\n${errors}")
endif()

get_filename_component(name ${HIGHER} NAME)
execute_process(COMMAND ${COMPILER} -E ${flags} -DQUILLPIX_INCLUDE_HIGHER ${SOURCE} -o /dev/null
	RESULT_VARIABLE result ERROR_VARIABLE errors)
if(result EQUAL 0)
	message(FATAL_ERROR "The low layer reaches the higher layer's ${name}")
endif()
if(NOT errors MATCHES "image/${name}[^\n]*(No such file|not found)")
	message(FATAL_ERROR "Including ${name} failed, but not for want of it:\n${errors}")
endif()
