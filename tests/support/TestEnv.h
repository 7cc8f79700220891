// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the test programs.
#pragma once

#include <string>

namespace TestEnv {

// A temporary folder private to this test process; removed when it ends.
const std::string& TempDir();

} // namespace TestEnv
