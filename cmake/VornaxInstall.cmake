# Installation in the layout of a Debian program, and its package (cpack -G DEB):
#   bin/vornax, bin/vornax-batch
#   lib/vornax/libvornax-graph.so       private to vornax-batch, found through its RUNPATH
#   share/vornax/examples/              the example input files
#   share/applications, share/metainfo, share/mime/packages, share/icons/hicolor
#   share/man/man1                      vornax.1.gz, vornax-batch.1.gz (from --help)
#   share/bash-completion/completions/vornax-batch
#   share/doc/vornax                    copyright, changelog.gz
# Nothing installed may name the source or build folders: the programs find what they need
# relative to their own place, and tests/install checks the installed tree for those paths.

set(VORNAX_APP_ID org.vornax.Vornax)
set(VORNAX_PRIVATE_LIBDIR lib/vornax)
set(VORNAX_MAINTAINER "Vornax developers <vornax@example.org>" CACHE STRING
    "Maintainer of the Debian package (name <address>)")
set(VORNAX_HOMEPAGE "https://vornax.example.org" CACHE STRING
    "Web address of the project; the AppStream screenshots are looked for under screenshots/")

# Dates of the manual pages, the metainfo release and the package changelog. string(TIMESTAMP)
# takes SOURCE_DATE_EPOCH when it is set, so a reproducible build gets the same files.
string(TIMESTAMP VORNAX_MAN_DATE "%Y-%m-%d" UTC)
set(VORNAX_RELEASE_DATE ${VORNAX_MAN_DATE})
string(TIMESTAMP VORNAX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The programs.
set_target_properties(vornax-batch PROPERTIES INSTALL_RPATH "$ORIGIN/../${VORNAX_PRIVATE_LIBDIR}")
install(TARGETS vornax vornax-batch RUNTIME DESTINATION bin)
install(TARGETS vornax_graph_library LIBRARY DESTINATION ${VORNAX_PRIVATE_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/vornax/examples)

# Files made at build time: the icon's bitmaps, the manual pages, the configured metainfo and
# changelog. They are compressed as Debian wants man pages and changelogs (gzip -9n: no name,
# no time stamp, so the same input gives the same bytes).
find_program(VORNAX_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(VORNAX_GZIP gzip REQUIRED)
# The man page writer needs Python's standard library only. Debian's interpreter is preferred,
# as for the Python module; a variable of its own leaves that module's search of Python alone.
find_program(VORNAX_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(VORNAX_PYTHON3 NAMES python3 REQUIRED)
set(_generated ${CMAKE_CURRENT_BINARY_DIR}/install-files)
file(MAKE_DIRECTORY ${_generated})
set(_desktop ${PROJECT_SOURCE_DIR}/desktop)
set(_outputs "")

foreach(_size 48 128 256)
  set(_png ${_generated}/icon-${_size}.png)
  add_custom_command(OUTPUT ${_png}
    COMMAND ${VORNAX_RSVG_CONVERT} -w ${_size} -h ${_size} ${_desktop}/vornax.svg -o ${_png}
    DEPENDS ${_desktop}/vornax.svg
    COMMENT "Rendering the ${_size} px icon")
  list(APPEND _outputs ${_png})
  install(FILES ${_png} DESTINATION share/icons/hicolor/${_size}x${_size}/apps
          RENAME ${VORNAX_APP_ID}.png)
endforeach()
install(FILES ${_desktop}/vornax.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${VORNAX_APP_ID}.svg)

# vornax-batch(1) is written from `vornax-batch --help` by every build, so the page says what
# the program built with it says. The window has no --help: its page is written by hand.
set(_batch_man ${_generated}/vornax-batch.1)
add_custom_command(OUTPUT ${_batch_man}.gz
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          ${VORNAX_PYTHON3} ${PROJECT_SOURCE_DIR}/cmake/help-to-man.py
          $<TARGET_FILE:vornax-batch> ${PROJECT_SOURCE_DIR}/man/vornax-batch.files
          ${PROJECT_VERSION} ${VORNAX_MAN_DATE} ${_batch_man}
  COMMAND ${VORNAX_GZIP} -9nf ${_batch_man}
  DEPENDS vornax-batch ${PROJECT_SOURCE_DIR}/cmake/help-to-man.py
          ${PROJECT_SOURCE_DIR}/man/vornax-batch.files
  COMMENT "Writing the manual page of vornax-batch from its --help")
configure_file(${PROJECT_SOURCE_DIR}/man/vornax.1.in ${_generated}/vornax.1 @ONLY)
add_custom_command(OUTPUT ${_generated}/vornax.1.gz
  COMMAND ${VORNAX_GZIP} -9nkf ${_generated}/vornax.1
  DEPENDS ${_generated}/vornax.1
  COMMENT "Compressing the manual page of vornax")
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${_generated}/changelog @ONLY)
add_custom_command(OUTPUT ${_generated}/changelog.gz
  COMMAND ${VORNAX_GZIP} -9nkf ${_generated}/changelog
  DEPENDS ${_generated}/changelog
  COMMENT "Compressing the package changelog")
list(APPEND _outputs ${_batch_man}.gz ${_generated}/vornax.1.gz ${_generated}/changelog.gz)
add_custom_target(vornax_install_files ALL DEPENDS ${_outputs})

install(FILES ${_batch_man}.gz ${_generated}/vornax.1.gz DESTINATION share/man/man1)
install(FILES ${_desktop}/${VORNAX_APP_ID}.desktop DESTINATION share/applications)
configure_file(${_desktop}/${VORNAX_APP_ID}.metainfo.xml.in
               ${_generated}/${VORNAX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_generated}/${VORNAX_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${_desktop}/vornax-input.xml DESTINATION share/mime/packages
        RENAME ${VORNAX_APP_ID}.xml)
install(FILES ${PROJECT_SOURCE_DIR}/completion/vornax-batch
        DESTINATION share/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_generated}/changelog.gz
        DESTINATION share/doc/vornax)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION share/lintian/overrides
        RENAME vornax)

# The Debian package. Its dependencies are those of the installed programs and library
# (dpkg-shlibdeps); the desktop, icon, MIME and man-db caches are refreshed by the triggers of
# the packages that own them, so the package needs no maintainer scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornax)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${VORNAX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORNAX_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "man-db, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"segmented linear regression: where does a relation break?
Vornax finds whether, and where, the relation between a dependent variable
Y and one or two independent variables breaks at a breakpoint: the depth of
the water table beyond which crop yield no longer rises, or the soil
salinity beyond which it starts to fall. It chooses among seven function
types by significance tests, reports the parameters with their standard
errors, the confidence interval of the breakpoint and an ANOVA table, and
draws the fit with its confidence belt.
.
It also fits partial regressions (the longest range without response),
broken lines with two or three breakpoints, and curved functions. The
package holds the desktop window (vornax) and the command-line program
vornax-batch, which runs the same analyses on input files and tables.")
# The Python module (python/) is built only where pybind11 is found, and may be added after this
# file is read: the package is configured at the end of the configuration, when it is known
# whether the module is in it. The module imports numpy and is built for one Python version.
function(vornax_configure_package)
  if(TARGET vornax_python_core)
    execute_process(COMMAND ${VORNAX_PYTHON3} -c "import sys; print(*sys.version_info[:2])"
                    OUTPUT_VARIABLE _version OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REPLACE " " ";" _version "${_version}")
    list(GET _version 0 _major)
    list(GET _version 1 _minor)
    math(EXPR _next "${_minor} + 1")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "python3 (>= ${_major}.${_minor}), python3 (<< ${_major}.${_next}), python3-numpy")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-pandas, python3-matplotlib")
  endif()
  include(CPack)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL vornax_configure_package)
