// SPDX-License-Identifier: GPL-3.0-or-later
// The trend chart without a window, for reports and scripts:
//
//   brelmora --trend-pdf OUT.pdf [--archive ARCHIVE] [FILTERS] [--sequence] [--cov-threshold PERCENT]
//   brelmora --trend-picture OUT.svg|OUT.png [--archive ARCHIVE] [FILTERS] ...
//
// FILTERS are those of brelmora-cli archive find.  The exit statuses are
// those of --print-pdf (0, 1 wrong use, 3 cannot write, 5 nothing to show)
// and 9 when the archive cannot be opened or read.  The target is checked
// before the archive is read and written whole or not at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/ArchiveRecords.h"

namespace TrendOutput {

constexpr int exitArchive = 9;

// True when the arguments (program first) ask for a trend output.
bool Wanted(const std::vector<std::u16string>& args);

struct STrendCommandLine {
    bool pdf = false;
    std::u16string outputPath;
    std::optional<std::u16string> archive;
    Archive::SFindFilter filter;
    bool sequence = false;         // x: sequence number instead of time
    double covThreshold = 6.0;
    std::u16string error;          // wrong use: what is wrong
};
STrendCommandLine Parse(const std::vector<std::u16string>& args);

// The whole run, once the QApplication (offscreen) and the program's
// strings are there.
int Run(const std::vector<std::u16string>& args);

} // namespace TrendOutput
