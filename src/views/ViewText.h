// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the views: string-table texts and core texts as QString.
#pragma once

#include <QString>

#include <cstdint>
#include <string>

#include "platform/StringTable.h"
#include "platform/Text.h"

namespace ViewText {

inline QString Q(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

inline std::u16string U(const QString& text)
{
    return text.toStdU16String();
}

// A text of the string table, loaded on every use (the language may change).
inline QString Load(uint32_t id)
{
    return Q(Platform::LoadString(id));
}

// A text of the string table used as a printf pattern.
template <typename... Args>
QString LoadFormat(uint32_t id, Args... args)
{
    return Q(Platform::FormatU(Platform::LoadString(id).c_str(), args...));
}

} // namespace ViewText
