// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the collecting layer (56000-56099; the watch command's
// own texts follow from 56100).
#pragma once

#include <cstdint>

namespace Collect {

constexpr uint32_t kNoDeviceFile = 56000;      // the port has no device file (now)
constexpr uint32_t kCannotOpen = 56001;        // %s: the cause
constexpr uint32_t kNoAnswer = 56002;          // nothing answered "@ID@"
constexpr uint32_t kHoldsOthers = 56003;       // %d: held now, %d: downloaded
constexpr uint32_t kRecheckFailed = 56004;     // %s: why the second read failed
constexpr uint32_t kDeleteRefused = 56005;
constexpr uint32_t kStreamCut = 56006;         // the series stream did not parse to its end
constexpr uint32_t kArchiveFailed = 56007;     // %s: the cause
constexpr uint32_t kSaveFailed = 56008;        // %s: the file, %s: the cause
constexpr uint32_t kNothingParsed = 56010;
constexpr uint32_t kNotDeletedAfterFailure = 56011;
constexpr uint32_t kSystemConsole = 56012;

} // namespace Collect
