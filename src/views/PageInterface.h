// SPDX-License-Identifier: GPL-3.0-or-later
// A page of the tab sheet (series table, summary).  The frame's commands reach
// the active page through this interface: a command k and its enable query.
#pragma once

#include <string>

class QPrinter;

class IPage {
public:
    // Page commands; the numbers keep the order of the page messages.
    enum Command {
        cmdPrint = 1,
        cmdCopy = 2,
        cmdCopyPicture = 4,
        cmdPaste = 6,
        cmdCut = 8,
        cmdDelete = 10,
        cmdSelectAll = 12,
    };

    virtual ~IPage() = default;

    // Runs a command on the page (cmdPrint prints to the printer the frame
    // chose; the page draws with the same routine as on screen).
    virtual void RunCommand(Command command) = 0;
    // The enable query of a command: true enables it.
    virtual bool IsCommandEnabled(Command command) = 0;
    // Refill after a document change: a series index, or -1 for all.
    virtual void Refill(int seriesIndex) = 0;
    // The page's whole copy text (the text export of the page).
    virtual std::u16string GetCopyText() = 0;
    // Prints the page on a printer already chosen (the print command after
    // its dialog, the print preview, the PDF output); false when nothing
    // could be printed.
    virtual bool PrintPage(QPrinter& printer, bool selectionOnly) = 0;
};
