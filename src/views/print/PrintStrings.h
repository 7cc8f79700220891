// SPDX-License-Identifier: GPL-3.0-or-later
// String ids of printing without a printer.
#pragma once

#include <cstdint>

namespace PrintStrings {

constexpr uint32_t kNoPrinterOfferPdf = 57000;
constexpr uint32_t kPdfFilter = 57001;
constexpr uint32_t kPdfNotWritten = 57002;   // %s file, %s cause
constexpr uint32_t kPrintoutFailed = 57003;

} // namespace PrintStrings
