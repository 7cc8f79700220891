// SPDX-License-Identifier: GPL-3.0-or-later
// Output without a window, for reports and scripts: the series table or
// the summary printed into a PDF file as the Print command prints it
// (--print-pdf), or the summary's picture as SVG or PNG
// (--summary-picture).  Messages go to standard error, each naming the file
// it is about; the target is written only when everything succeeded, and
// then replaced in one step.
#pragma once

#include <string>

struct SCommandLine;

namespace WindowlessOutput {

enum ExitCode {
    exitOk = 0,
    exitUsage = 1,
    exitNotAProject = 2,    // message 59396 naming the file
    exitCannotWrite = 3,
    exitNothingToPrint = 5, // no series, or an empty summary
};

// Writes the file the command line asks for.  Needs the QApplication.
int Run(const SCommandLine& commandLine);

// "brelmora: <text>" on standard error.
void PrintError(const std::u16string& text);

// Prints `text` and a line end on standard output (--help, --version):
// exitOk, or exitCannotWrite with a message when it cannot be written (a
// full disk, /dev/full, a pipe whose reader has gone).
int PrintResult(const std::u16string& text);

} // namespace WindowlessOutput
