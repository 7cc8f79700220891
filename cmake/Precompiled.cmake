# SPDX-License-Identifier: GPL-3.0-or-later
# Precompiled headers: the Qt and standard headers the desktop program's
# layers and its test program include most.  Only system
# headers are listed (in angle brackets), so the generated cmake_pch.hxx is
# the same in every checkout and the compiler cache serves the precompiled
# header, and with it every object built on it, to a clone in another folder
# too (scripts/build sets the sloppiness ccache needs for that).
# CMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them.
include_guard(GLOBAL)

set(BRELMORA_PCH_STD <algorithm> <cmath> <cstdint> <functional> <memory> <string> <vector>)
set(BRELMORA_PCH_QT
    <QApplication> <QDialog> <QDialogButtonBox> <QEvent> <QFont> <QHBoxLayout> <QImage>
    <QLabel> <QPainter> <QPrinter> <QPushButton> <QScrollBar> <QString> <QTimer>
    <QVBoxLayout> <QWidget>)
set(BRELMORA_PCH_TEST <gtest/gtest.h> <gmock/gmock.h>)

function(brelmora_precompile target)
  target_precompile_headers(${target} PRIVATE ${ARGN})
  # A clang precompiled header records no time stamp, or the cache could
  # not reuse it.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE "SHELL:-Xclang -fno-pch-timestamp")
  endif()
endfunction()

# A test program includes support/BuildPaths.h first.  Given headers, it is
# compiled on a precompiled header of BuildPaths.h, Google Test, the
# standard headers and those (the desktop program's tests: the Qt headers).
# The others are not: precompiled Google Test saves their objects next to
# nothing (docs/PERFORMANCE.md), and BuildPaths.h comes by -include.
function(brelmora_test_precompile target)
  if(CMAKE_DISABLE_PRECOMPILE_HEADERS OR NOT ARGN)
    target_compile_options(${target} PRIVATE "SHELL:-include ${PROJECT_SOURCE_DIR}/tests/support/BuildPaths.h")
  else()
    brelmora_precompile(${target} <support/BuildPaths.h> ${BRELMORA_PCH_TEST} ${BRELMORA_PCH_STD} ${ARGN})
  endif()
endfunction()
