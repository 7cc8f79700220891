#include "JsonWriter.h"

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
    for (char ch : value) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\r': m_out += "\\r"; break;
        case '\t': m_out += "\\t"; break;
        default:
            if (c < 0x20) {
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
