# Installs the build into PREFIX, afresh, stripped as the package is (debug information would
# name the source files, which is what it is for).
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --strip
                RESULT_VARIABLE _status OUTPUT_VARIABLE _output ERROR_VARIABLE _output)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${_status}):\n${_output}")
endif()
