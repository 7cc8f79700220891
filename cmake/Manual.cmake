# Install rules of the user manual (the PDFs tools/ makes from docs/manual):
#
#   <libdir>/brelmora/          beside the program, where "Pfad" points and
#                               Help looks for it
#   <datadir>/doc/brelmora/     with the other documentation
include_guard(GLOBAL)
include(GNUInstallDirs)

get_property(_manual_files GLOBAL PROPERTY BRELMORA_MANUAL_FILES)
if(_manual_files)
  install(FILES ${_manual_files} DESTINATION ${BRELMORA_PROGRAM_DIR})
  install(FILES ${_manual_files} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/brelmora)
endif()
