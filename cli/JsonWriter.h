// SPDX-License-Identifier: GPL-3.0-or-later
// A small streaming JSON writer for the command line's machine-readable
// output.  Keys and strings are UTF-8; control characters are escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view key);
    void String(std::string_view value);
    void String(const std::u16string& value);
    void Number(int64_t value);
    // A decimal number with at most `decimals` places (trailing zeros
    // dropped); NaN and infinities are written as null.
    void Decimal(double value, int decimals);
    void Bool(bool value);
    void Null();

    const std::string& Text() const { return m_out; }

private:
    void Separate();
    void Escaped(std::string_view value);

    std::string m_out;
    std::vector<bool> m_first; // per open container: no element written yet
    bool m_afterKey = false;
};
