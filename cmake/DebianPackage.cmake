# SPDX-License-Identifier: GPL-3.0-or-later
# CPack post-build step for the Debian package (CPACK_POST_BUILD_SCRIPTS):
# CPack gives a package whose shared objects lie below /usr/lib a postinst
# and a postrm that run ldconfig, though the language libraries are in the
# program's private folder where the dynamic linker never looks, and its
# Installed-Size is not dpkg's count.  The package is unpacked, those scripts
# are dropped, the size is counted as dpkg-gencontrol does (each file in KiB,
# rounded up; one KiB for each folder and link) and the package is built
# again with dpkg-deb.
foreach(_deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT _deb MATCHES "\\.deb$")
    continue()
  endif()
  set(_tree "${_deb}.tree")
  file(REMOVE_RECURSE "${_tree}")
  execute_process(COMMAND dpkg-deb -R "${_deb}" "${_tree}" RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -R ${_deb} failed")
  endif()

  foreach(_script postinst postrm)
    set(_file "${_tree}/DEBIAN/${_script}")
    if(EXISTS "${_file}")
      file(STRINGS "${_file}" _lines)
      set(_other FALSE)
      foreach(_line IN LISTS _lines)
        string(STRIP "${_line}" _line)
        if(_line AND NOT _line MATCHES "^#" AND NOT _line MATCHES "^(set -e|ldconfig|exit 0)$"
           AND NOT _line MATCHES "^if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then$"
           AND NOT _line STREQUAL "fi")
          set(_other TRUE)
        endif()
      endforeach()
      if(NOT _other)
        file(REMOVE "${_file}")
      endif()
    endif()
  endforeach()

  set(_kib 0)
  file(GLOB_RECURSE _entries LIST_DIRECTORIES true "${_tree}/*")
  foreach(_entry IN LISTS _entries)
    if(_entry MATCHES "^${_tree}/DEBIAN(/|$)")
      continue()
    endif()
    if(IS_SYMLINK "${_entry}" OR IS_DIRECTORY "${_entry}")
      math(EXPR _kib "${_kib} + 1")
    else()
      file(SIZE "${_entry}" _size)
      math(EXPR _kib "${_kib} + (${_size} + 1023) / 1024")
    endif()
  endforeach()
  file(READ "${_tree}/DEBIAN/control" _control)
  string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${_kib}" _control "${_control}")
  file(WRITE "${_tree}/DEBIAN/control" "${_control}")

  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${_tree}" "${_deb}"
                  OUTPUT_QUIET RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb --build ${_deb} failed")
  endif()
  file(REMOVE_RECURSE "${_tree}")
endforeach()
