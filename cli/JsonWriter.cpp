// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

#include "platform/Text.h"

void CJsonWriter::Separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_out += ',';
        m_first.back() = false;
    }
}

void CJsonWriter::BeginObject()
{
    Separate();
    m_out += '{';
    m_first.push_back(true);
}

void CJsonWriter::EndObject()
{
    m_out += '}';
    m_first.pop_back();
}

void CJsonWriter::BeginArray()
{
    Separate();
    m_out += '[';
    m_first.push_back(true);
}

void CJsonWriter::EndArray()
{
    m_out += ']';
    m_first.pop_back();
}

void CJsonWriter::Key(std::string_view key)
{
    Separate();
    Escaped(key);
    m_out += ':';
    m_afterKey = true;
}

void CJsonWriter::String(std::string_view value)
{
    Separate();
    Escaped(value);
}

void CJsonWriter::String(const std::u16string& value)
{
    String(Platform::ToUtf8(value));
}

void CJsonWriter::Number(int64_t value)
{
    Separate();
    m_out += std::to_string(value);
}

void CJsonWriter::Decimal(double value, int decimals)
{
    Separate();
    if (!std::isfinite(value)) {
        m_out += "null";
        return;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text = buf;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = std::string(1, '0'); // not `= "0"`: a false -Wrestrict of GCC 12
    m_out += text;
}

void CJsonWriter::Bool(bool value)
{
    Separate();
    m_out += value ? "true" : "false";
}

void CJsonWriter::Null()
{
    Separate();
    m_out += "null";
}

void CJsonWriter::Escaped(std::string_view value)
{
    m_out += '"';
    for (size_t i = 0; i < value.size(); ++i) {
        const char ch = value[i];
        const unsigned char c = static_cast<unsigned char>(ch);
        // DEL and the C1 controls (U+0080 to U+009F, C2 80 to C2 9F in
        // UTF-8) are escaped too, so the output cannot drive a terminal.
        if (c == 0xC2 && i + 1 < value.size() && static_cast<unsigned char>(value[i + 1]) < 0xA0 &&
            static_cast<unsigned char>(value[i + 1]) >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(value[++i]));
            m_out += buf;
            continue;
        }
        switch (c) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\r': m_out += "\\r"; break;
        case '\t': m_out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                m_out += buf;
            } else {
                m_out += ch;
            }
        }
    }
    m_out += '"';
}
