# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules of the user manual (the PDFs tools/ makes from docs/manual):
#
#   <libdir>/brelmora/          the PDFs, beside the program, where "Pfad"
#                               points and Help looks for them
#   <datadir>/doc/brelmora/     relative links to them, with the other
#                               documentation (one copy in the package; a
#                               system that leaves out /usr/share/doc keeps
#                               the manual Help opens)
include_guard(GLOBAL)
include(GNUInstallDirs)

get_property(_manual_files GLOBAL PROPERTY BRELMORA_MANUAL_FILES)
if(_manual_files)
  set(_manual_program_dir "${CMAKE_INSTALL_LIBDIR}/brelmora")
  install(FILES ${_manual_files} DESTINATION ${_manual_program_dir})
  set(_manual_doc_dir "${CMAKE_INSTALL_DATAROOTDIR}/doc/brelmora")
  file(RELATIVE_PATH _manual_to_program ${CMAKE_INSTALL_PREFIX}/${_manual_doc_dir}
       ${CMAKE_INSTALL_PREFIX}/${_manual_program_dir})
  set(_manual_links ${CMAKE_BINARY_DIR}/install/manual)
  file(MAKE_DIRECTORY ${_manual_links})
  foreach(_manual ${_manual_files})
    get_filename_component(_name ${_manual} NAME)
    file(CREATE_LINK ${_manual_to_program}/${_name} ${_manual_links}/${_name} SYMBOLIC)
    install(FILES ${_manual_links}/${_name} DESTINATION ${_manual_doc_dir})
  endforeach()
endif()
