# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program: Qt 6 Widgets.  Three layers: controls (generic widgets),
# views (pages, cells, dialogs) and app (application object, main frame).
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)
include(${PROJECT_SOURCE_DIR}/cmake/Precompiled.cmake)

function(brelmora_gui_layer name)
  cmake_parse_arguments(L "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.qrc)
  foreach(_ex ${L_EXCLUDE})
    list(REMOVE_ITEM _src ${CMAKE_CURRENT_SOURCE_DIR}/${name}/${_ex})
  endforeach()
  list(FILTER _src INCLUDE REGEX "\\.(cpp|qrc|h)$")
  set(_has_cpp FALSE)
  foreach(_f ${_src})
    if(_f MATCHES "\\.cpp$")
      set(_has_cpp TRUE)
    endif()
  endforeach()
  if(NOT _has_cpp)
    set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${_empty} "// layer without sources yet\n")
    list(APPEND _src ${_empty})
  endif()
  add_library(brelmora_${name} STATIC ${_src})
  target_link_libraries(brelmora_${name} PUBLIC ${L_DEPS} Qt6::Widgets Qt6::Svg Qt6::PrintSupport)
  brelmora_precompile(brelmora_${name} ${BRELMORA_PCH_QT} ${BRELMORA_PCH_STD})
endfunction()

set(_core_layers brelmora_data brelmora_streamio brelmora_platform)
foreach(_layer device update connection archive)
  if(TARGET brelmora_${_layer})
    list(APPEND _core_layers brelmora_${_layer})
  endif()
endforeach()

brelmora_gui_layer(controls DEPS ${_core_layers})
brelmora_gui_layer(views DEPS brelmora_controls ${_core_layers})
brelmora_gui_layer(app DEPS brelmora_views brelmora_controls ${_core_layers} EXCLUDE main.cpp)
# The demo mode runs the instrument simulator in process (sim/ is configured
# after src/, so its target is named before it exists).
target_link_libraries(brelmora_app PUBLIC brelmora_sim)

if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/app/main.cpp)
  add_executable(brelmora app/main.cpp)
  target_link_libraries(brelmora PRIVATE brelmora_app)
  if(COMMAND brelmora_add_version_record)
    # "InternalName" names the built-in language in the settings' language list.
    brelmora_add_version_record(brelmora INTERNAL_NAME "English")
  endif()
endif()
