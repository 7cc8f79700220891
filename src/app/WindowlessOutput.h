// SPDX-License-Identifier: GPL-3.0-or-later
// Output without a window, for reports and scripts: the series table or
// the summary printed into a PDF file as the Print command prints it
// (--print-pdf), or the summary's picture as SVG or PNG
// (--summary-picture).  Messages go to standard error, each naming the file
// it is about; the target is written only when everything succeeded, and
// then replaced in one step.
#pragma once

#include <functional>
#include <string>

class QByteArray;
class QPrinter;
class QString;
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

// What every windowless output (these and the trend's) writes its target
// with.  "FILE: cannot write: cause" on standard error; exitCannotWrite.
int CannotWrite(const std::u16string& file, const std::string& cause);
// Replaces the target with `bytes` in one step: exitOk or CannotWrite's.
int WriteTarget(const std::u16string& path, const QByteArray& bytes);
// Prints with `print` into a PDF file named `docName` in a private folder,
// then moves its bytes to the target: exitOk or CannotWrite's.
int PrintPdf(const std::u16string& target, const QString& docName, const std::function<bool(QPrinter&)>& print);

// Prints `text` and a line end on standard output (--help, --version):
// exitOk, or exitCannotWrite with a message when it cannot be written (a
// full disk, /dev/full, a pipe whose reader has gone).
int PrintResult(const std::u16string& text);

} // namespace WindowlessOutput
