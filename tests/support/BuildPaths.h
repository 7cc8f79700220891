// SPDX-License-Identifier: GPL-3.0-or-later
// Where the tests find the checkout and the build: the source folder, the
// build folder and the language libraries built for the tests.
//
// The paths are functions of one generated source file (BuildPaths.cpp in the
// build folder) instead of string macros on every compiler command line, so
// the test objects do not depend on the folder the repository is checked out
// in: a fresh clone elsewhere finds them all in the compiler cache.  Every
// test program includes this header first (-include); the macros
// BRELMORA_SOURCE_DIR, BRELMORA_BINARY_DIR, BRELMORA_DEU_LIBRARY and
// BRELMORA_TST_LIBRARY name these functions.
#pragma once

namespace BuildPaths {
const char* SourceDir();
const char* BinaryDir();
const char* DeuLibrary();
const char* TstLibrary();
} // namespace BuildPaths
