# Installs the desktop launcher, run at install time: its Exec line names the
# installed program by its full path, so that the menu entry starts it even
# where the desktop's PATH lacks the prefix (`make install
# PREFIX=$HOME/.local`, and ~/.local/bin not on PATH). The path is the one of
# this install (its --prefix), not of the configure; DESTDIR is not part of it.
# Expects TESSERA_LAUNCHER_IN (the template), TESSERA_LAUNCHER_BUILT (where the
# filled-in launcher is written), TESSERA_BINDIR and TESSERA_DATADIR (relative
# to the prefix, or absolute).
set(exec "${TESSERA_BINDIR}/tessera")
cmake_path(ABSOLUTE_PATH exec BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
# A path with a blank or another reserved character is quoted, and within the
# quotes a quote, backquote, dollar or backslash is escaped with a backslash;
# then, as in every string value of the file, each backslash is doubled. A
# "%" is doubled, as launchers read an Exec line.
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[^-A-Za-z0-9_./+,:@=%]")
  string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
set(TESSERA_EXEC "${exec}")
configure_file("${TESSERA_LAUNCHER_IN}" "${TESSERA_LAUNCHER_BUILT}" @ONLY)
set(applications "${TESSERA_DATADIR}/applications")
cmake_path(ABSOLUTE_PATH applications BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
file(INSTALL DESTINATION "${applications}" TYPE FILE FILES "${TESSERA_LAUNCHER_BUILT}")
