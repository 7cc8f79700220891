# Install rules and the Debian package.
#
#   <prefix>/lib/brelmora/          the programs and the language libraries
#                                   (the program's folder: it finds its
#                                   libraries through its real path)
#   <prefix>/bin/                   relative links to the programs
#   <prefix>/share/applications/    brelmora.desktop
#   <prefix>/share/icons/hicolor/   the icon "brelmora" (PNG sizes, SVG)
#   <prefix>/share/mime/packages/   brelmora.xml: the project file type
#   <prefix>/share/man/man1/        every docs/man/*.1
#   <prefix>/share/bash-completion/completions/brelmora-cli
#   <prefix>/share/brelmora/        the sample project
#   <prefix>/share/doc/brelmora/    README.md
#
# `cpack -G DEB` (in the build folder) makes the package; its Depends come
# from dpkg-shlibdeps.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(BRELMORA_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/brelmora")

# The desktop files take their texts from the string table: id -> text of
# one language, XML-escaped (the .desktop format takes the same text).
function(brelmora_install_texts lang)
  file(GLOB _files ${PROJECT_SOURCE_DIR}/resources/strings/${lang}/install.txt)
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

# Manual pages: whatever docs/man holds.
file(GLOB _man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
if(_man_pages)
  install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Bash completion for the command line, where bash-completion looks for it.
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/brelmora-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME brelmora-cli)

install(FILES ${PROJECT_SOURCE_DIR}/examples/sample.vnr DESTINATION ${CMAKE_INSTALL_DATADIR}/brelmora/examples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/brelmora)

# The watch service's systemd unit and udev rule.
include(${CMAKE_CURRENT_LIST_DIR}/Watch.cmake)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelmora)
set(CPACK_PACKAGE_VENDOR Vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TEXT_51001_EN}")
set(CPACK_PACKAGE_CONTACT "Vantor <support@vantor.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in German, and the desktop's look for Qt programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-gtk-platformtheme")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
