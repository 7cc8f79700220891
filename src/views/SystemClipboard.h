// SPDX-License-Identifier: GPL-3.0-or-later
// CSystemClipboard: the document's clipboard interface bound to the system
// clipboard (QClipboard).  The private format "BrelmoraClipboardFormat"
// keeps its name as the clipboard target (on Windows a registered clipboard
// format of that name), so two running instances paste into each other.
#pragma once

#include <QString>

#include "data/Clipboard.h"

class QMimeData;

class CSystemClipboard : public IClipboard {
public:
    bool HasFormat(const std::u16string& format) override;
    std::vector<uint8_t> GetData(const std::u16string& format) override;
    void SetData(const std::u16string& format, const std::vector<uint8_t>& bytes) override;

    // Empties the clipboard.
    static void Clear();
    // Adds plain text to what the clipboard holds.
    static void AddText(const QString& text);
    // Puts mime data on the clipboard, keeping the formats it already holds
    // unless `replace`.
    static void Put(QMimeData* data, bool replace);

    // The MIME name under which a named clipboard format travels.
    static QString MimeName(const std::u16string& format);

    // Binds the process clipboard of the document to the system clipboard
    // for the lifetime of the program.
    static void Install();
};
