// SPDX-License-Identifier: GPL-3.0-or-later
// The one exception of the archive layer: a whole message, naming the
// archive and what failed, ready to be shown.
#pragma once

#include <stdexcept>
#include <string>

#include "archive/SqlConnection.h"

namespace Archive {

class CArchiveError : public std::runtime_error {
public:
    explicit CArchiveError(const std::u16string& text);
    const std::u16string& Text() const { return m_text; }

private:
    std::u16string m_text;
};

// "<archive>: <text>".
[[noreturn]] void ThrowArchiveError(const std::u16string& archive, const std::u16string& text);
// The message of a database failure while opening, reading or writing
// (kCannotOpen, kCannotRead, kCannotWrite), with the cause in words.
[[noreturn]] void ThrowSqlFailure(const std::u16string& archive, uint32_t what, const CSqlError& error);

} // namespace Archive
