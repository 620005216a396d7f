# Fails when the LeakSanitizer suppressions name anything but a third-party shared library: a
# leak in our own code (a function, a source file, one of our libraries) is a fault to mend, and
# a pattern that names a function would hide it wherever that function is called from.
#   cmake -DSUPPRESSIONS=tests/sanitizers/lsan.supp -P tests/sanitizers/CheckSuppressions.cmake
if(NOT DEFINED SUPPRESSIONS)
  message(FATAL_ERROR "give the file with -DSUPPRESSIONS=FILE")
endif()
file(STRINGS "${SUPPRESSIONS}" lines)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^leak:lib[A-Za-z0-9_+-]+\\.so(\\.[0-9]+)*$")
    message(FATAL_ERROR "${SUPPRESSIONS}: \"${line}\" does not name a shared library "
                        "(leak:libNAME.so)")
  endif()
  if(line MATCHES "^leak:libvornax")
    message(FATAL_ERROR "${SUPPRESSIONS}: \"${line}\" names one of our own libraries")
  endif()
endforeach()
