# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules of the hands-free collection:
#   <prefix>/lib/systemd/user/brelmora-watch.service   the user service
#   <prefix>/lib/udev/rules.d/70-brelmora-veltrano.rules
#                                    the instrument's USB interfaces for the
#                                    user at the seat (TAG+="uaccess")
# systemd and udev look in lib/, not in the multiarch library folder.
include_guard(GLOBAL)

# The unit's description from the string table.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/strings/en/watch.txt _watch_lines ENCODING UTF-8 REGEX "^56200\t")
string(REGEX REPLACE "^56200\t" "" WATCH_DESCRIPTION "${_watch_lines}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/strings/en/watch.txt)

configure_file(${PROJECT_SOURCE_DIR}/resources/watch/brelmora-watch.service.in
               ${CMAKE_BINARY_DIR}/install/brelmora-watch.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/brelmora-watch.service DESTINATION lib/systemd/user)
install(FILES ${PROJECT_SOURCE_DIR}/resources/watch/70-brelmora-veltrano.rules DESTINATION lib/udev/rules.d)
