# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules and the Debian package.
#
#   <prefix>/lib/brelmora/          the programs and the language libraries
#                                   (the program's folder: it finds its
#                                   libraries through its real path)
#   <prefix>/bin/                   relative links to the programs
#   <prefix>/share/applications/    brelmora.desktop
#   <prefix>/share/icons/hicolor/   the icon "brelmora" (PNG sizes, SVG)
#   <prefix>/share/mime/packages/   brelmora.xml: the project file type
#   <prefix>/share/metainfo/        the software centres' entry (AppStream)
#   <prefix>/share/man/man1/        every docs/man/*.1, compressed
#   <prefix>/share/bash-completion/completions/   one file per program
#   <prefix>/share/brelmora/        the sample project
#   <prefix>/share/doc/brelmora/    README.md, CLI.md, copyright (DEP-5),
#                                   changelog.gz
#
# `cpack -G DEB` (in the build folder) makes the package; its Depends come
# from dpkg-shlibdeps.  tests/install/package-lint-test.sh holds it to
# lintian, desktop-file-validate and appstreamcli.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(BRELMORA_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/brelmora")
# The user manual: beside the program and under <datadir>/doc/brelmora.
include(${CMAKE_CURRENT_LIST_DIR}/Manual.cmake)

# The desktop files take their texts from the string table: id -> text of
# one language, XML-escaped (the .desktop format takes the same text).
function(brelmora_install_texts lang)
  file(GLOB _files ${PROJECT_SOURCE_DIR}/resources/strings/${lang}/install.txt
                   ${PROJECT_SOURCE_DIR}/resources/strings/${lang}/packaging.txt)
  foreach(_file ${_files})
    file(STRINGS ${_file} _lines ENCODING UTF-8)
    foreach(_line IN LISTS _lines)
      if(_line MATCHES "^([0-9]+)\t(.*)$")
        set(_text "${CMAKE_MATCH_2}")
        string(REPLACE "&" "&amp;" _text "${_text}")
        string(REPLACE "<" "&lt;" _text "${_text}")
        string(REPLACE ">" "&gt;" _text "${_text}")
        string(TOUPPER ${lang} _upper)
        set(TEXT_${CMAKE_MATCH_1}_${_upper} "${_text}" PARENT_SCOPE)
      endif()
    endforeach()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_files})
endfunction()
brelmora_install_texts(en)
brelmora_install_texts(de)

# Programs, and a relative link to each in bin/.
set(_programs)
foreach(_program brelmora brelmora-cli veltrano-sim)
  if(TARGET ${_program})
    list(APPEND _programs ${_program})
  endif()
endforeach()
install(TARGETS ${_programs} RUNTIME DESTINATION ${BRELMORA_PROGRAM_DIR})
get_property(_languages GLOBAL PROPERTY BRELMORA_LANGUAGE_LIBRARIES)
if(_languages)
  install(TARGETS ${_languages} LIBRARY DESTINATION ${BRELMORA_PROGRAM_DIR})
endif()
file(RELATIVE_PATH _to_programs ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${BRELMORA_PROGRAM_DIR})
set(_links ${CMAKE_BINARY_DIR}/install/bin)
file(MAKE_DIRECTORY ${_links})
foreach(_program ${_programs})
  file(CREATE_LINK ${_to_programs}/${_program} ${_links}/${_program} SYMBOLIC)
  install(FILES ${_links}/${_program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# Desktop entry and file type.
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/brelmora.desktop.in
               ${CMAKE_BINARY_DIR}/install/brelmora.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/brelmora-mime.xml.in
               ${CMAKE_BINARY_DIR}/install/brelmora.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/brelmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/install/brelmora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The icon set, rendered from the program's own icon.
set(_icon_svg ${PROJECT_SOURCE_DIR}/resources/icons/brelmora.svg)
install(FILES ${_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
if(TARGET brelmora-render-icon)
  set(_sizes 16 22 24 32 48 64 128 256)
  set(_icons)
  foreach(_size ${_sizes})
    list(APPEND _icons ${CMAKE_BINARY_DIR}/install/hicolor/${_size}x${_size}/apps/brelmora.png)
  endforeach()
  add_custom_command(
    OUTPUT ${_icons}
    # In a sanitizer build the tool carries LeakSanitizer: what the graphics
    # libraries keep until exit must not fail the build.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:brelmora-render-icon> ${_icon_svg} ${CMAKE_BINARY_DIR}/install/hicolor ${_sizes}
    DEPENDS brelmora-render-icon ${_icon_svg}
    COMMENT "Rendering the icon set")
  add_custom_target(brelmora-icons ALL DEPENDS ${_icons})
  foreach(_size ${_sizes})
    install(FILES ${CMAKE_BINARY_DIR}/install/hicolor/${_size}x${_size}/apps/brelmora.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
endif()

# Files installed compressed (manual pages, the changelog): gzip -9n, as
# Debian wants them (best compression, no time stamp in the header).
find_program(BRELMORA_GZIP gzip REQUIRED)
set(_compressed)
function(brelmora_gzip source output)
  add_custom_command(
    OUTPUT ${output}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    COMMAND ${BRELMORA_GZIP} -9nf ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}")
  set(_compressed ${_compressed} ${output}.gz PARENT_SCOPE)
endfunction()

# Manual pages: whatever docs/man holds.
file(GLOB _man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
foreach(_page ${_man_pages})
  get_filename_component(_name ${_page} NAME)
  brelmora_gzip(${_page} ${CMAKE_BINARY_DIR}/install/man/${_name})
  install(FILES ${CMAKE_BINARY_DIR}/install/man/${_name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Bash completion, where bash-completion looks for it: one file per program,
# named as the program.
file(GLOB _completions CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/completion/*.bash)
foreach(_completion ${_completions})
  get_filename_component(_name ${_completion} NAME_WE)
  install(FILES ${_completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${_name})
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/examples/sample.vnr DESTINATION ${CMAKE_INSTALL_DATADIR}/brelmora/examples)

# Documentation: the README, the command-line conventions the manual pages
# point to, the license in Debian's machine-readable form and the changelog.
set(_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/brelmora)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/CLI.md
              ${PROJECT_SOURCE_DIR}/resources/package/copyright
        DESTINATION ${_doc})
set(_changelog ${PROJECT_SOURCE_DIR}/resources/package/changelog)
brelmora_gzip(${_changelog} ${CMAKE_BINARY_DIR}/install/changelog)
install(FILES ${CMAKE_BINARY_DIR}/install/changelog.gz DESTINATION ${_doc})
add_custom_target(brelmora-compressed-docs ALL DEPENDS ${_compressed})

# The changelog's newest entry is this version; its date is the release's.
file(STRINGS ${_changelog} _entries REGEX "^brelmora \\(")
list(GET _entries 0 _newest)
if(NOT _newest MATCHES "^brelmora \\(${PROJECT_VERSION}\\)")
  message(FATAL_ERROR "${_changelog}: the newest entry is not version ${PROJECT_VERSION}: ${_newest}")
endif()
file(STRINGS ${_changelog} _dates REGEX "^ -- .*  [A-Z][a-z][a-z], [0-9]+ [A-Z][a-z][a-z] [0-9]+ ")
list(GET _dates 0 _date)
string(REGEX REPLACE "^.*  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) .*$" "\\3;\\2;\\1" _date "${_date}")
list(GET _date 0 _year)
list(GET _date 1 _month)
list(GET _date 2 _day)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _months ${_month} _month)
math(EXPR _month "${_month} + 1")
if(_month LESS 10)
  set(_month 0${_month})
endif()
if(_day LESS 10)
  set(_day 0${_day})
endif()
set(BRELMORA_RELEASE_DATE ${_year}-${_month}-${_day})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_changelog})

# The software centres' entry.
set(_metainfo example.vantor.brelmora.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/resources/package/brelmora.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/${_metainfo} @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The watch service's systemd unit and udev rule.
include(${CMAKE_CURRENT_LIST_DIR}/Watch.cmake)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelmora)
set(CPACK_PACKAGE_VENDOR Vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TEXT_58000_EN}")
# The extended description: the string table's paragraphs, wrapped at 79
# columns (CPack puts the synopsis before it, indents each line by one space
# and writes the empty line between paragraphs as " .").
set(_description "")
foreach(_paragraph "${TEXT_58001_EN}" "${TEXT_58002_EN}")
  if(_description)
    string(APPEND _description "\n\n")
  endif()
  string(REPLACE " " ";" _words "${_paragraph}")
  set(_line "")
  foreach(_word ${_words})
    string(LENGTH "${_line} ${_word}" _length)
    if(_line AND _length GREATER 78)
      string(APPEND _description "${_line}\n")
      set(_line "${_word}")
    elseif(_line)
      set(_line "${_line} ${_word}")
    else()
      set(_line "${_word}")
    endif()
  endforeach()
  string(APPEND _description "${_line}")
endforeach()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${_description}")
set(CPACK_PACKAGE_CONTACT "Vantor <support@vantor.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in German, and the desktop's look for Qt programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-gtk-platformtheme")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# Without CPack's ldconfig scripts and with dpkg's Installed-Size.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianPackage.cmake)
include(CPack)
