# Removes what an install put in place, as its manifest lists it, and brings
# the desktop's caches up to date again, as installing did.
# Usage: cmake -DMANIFEST=<build>/install_manifest.txt -P Uninstall.cmake
# With DESTDIR set, removes the files below it and updates nothing.
if(NOT MANIFEST OR NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: no install manifest (${MANIFEST}); "
                      "it is written by make install into the build folder.")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/DesktopDatabases.cmake)

set(root "$ENV{DESTDIR}")
file(STRINGS "${MANIFEST}" installed)
set(datadir)
set(own)
foreach(file IN LISTS installed)
  if(file MATCHES "^(.*)/mime/packages/org\\.tessera\\.Tessera\\.xml$")
    set(datadir "${root}${CMAKE_MATCH_1}")
  elseif(file MATCHES "^(.*/tessera)/help/")
    set(own "${root}${CMAKE_MATCH_1}")
  endif()
  if(EXISTS "${root}${file}" OR IS_SYMLINK "${root}${file}")
    message(STATUS "Removing: ${root}${file}")
    file(REMOVE "${root}${file}")
  endif()
endforeach()

# The program's own folder goes when it is empty; the shared ones stay.
if(own AND IS_DIRECTORY "${own}")
  file(GLOB_RECURSE left "${own}/*")
  if(NOT left)
    message(STATUS "Removing: ${own}")
    file(REMOVE_RECURSE "${own}")
  endif()
endif()

if(datadir AND "${root}" STREQUAL "")
  tessera_update_desktop_databases("${datadir}")
endif()
