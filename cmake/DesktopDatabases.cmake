# The desktop's caches of what is installed in a data folder ("<prefix>/share"):
# the MIME database (which type a .lab file has), the launchers' MIME
# associations (which program opens it) and an icon theme's cache. Run after
# installing and after uninstalling; a packager's DESTDIR install runs none of
# this, the distribution's own triggers do it on the target system.
#
# A cache that has nothing left to describe is removed rather than rewritten
# empty, so uninstalling from a folder Tessera had to itself leaves nothing.

# Runs `tool [options...] folder`; a missing tool or a failure is reported,
# the install goes on.
function(_tessera_update tool folder)
  unset(_tessera_program)
  find_program(_tessera_program ${tool} NO_CACHE)
  if(NOT _tessera_program)
    message(STATUS "Not updated, ${tool} is not installed: ${folder}")
    return()
  endif()
  message(STATUS "Updating: ${folder}")
  execute_process(COMMAND ${_tessera_program} ${ARGN} ${folder} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(WARNING "${tool} failed (${result}); run it by hand: ${tool} ${ARGN} ${folder}")
  endif()
endfunction()

function(tessera_update_desktop_databases datadir)
  set(mime ${datadir}/mime)
  if(IS_DIRECTORY ${mime}/packages)
    file(GLOB sources ${mime}/packages/*.xml)
    if(sources)
      _tessera_update(update-mime-database ${mime})
    else()
      # Everything beside packages/ is made by update-mime-database.
      file(GLOB generated LIST_DIRECTORIES true ${mime}/*)
      list(REMOVE_ITEM generated ${mime}/packages)
      if(generated)
        message(STATUS "Removing the empty MIME database: ${mime}")
        file(REMOVE_RECURSE ${generated})
      endif()
    endif()
  endif()

  set(applications ${datadir}/applications)
  if(IS_DIRECTORY ${applications})
    file(GLOB_RECURSE launchers ${applications}/*.desktop)
    if(launchers)
      _tessera_update(update-desktop-database ${applications} --quiet)
    elseif(EXISTS ${applications}/mimeinfo.cache)
      message(STATUS "Removing the empty launcher cache: ${applications}/mimeinfo.cache")
      file(REMOVE ${applications}/mimeinfo.cache)
    endif()
  endif()

  # Only a theme folder with its index.theme gets a cache, as a distribution's
  # has. Nothing keeps a cache in ~/.local/share/icons/hicolor up to date: icons
  # that other programs put there later would be hidden behind it.
  set(theme ${datadir}/icons/hicolor)
  if(EXISTS ${theme}/index.theme)
    _tessera_update(gtk-update-icon-cache ${theme} --force --quiet)
  endif()
endfunction()
