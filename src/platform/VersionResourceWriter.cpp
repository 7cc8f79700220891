// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/VersionResourceWriter.h"

namespace Platform {

namespace {

class CNodeWriter {
public:
    explicit CNodeWriter(std::vector<uint8_t>& out) : m_out(out) {}

    // Starts a node; returns its offset for End().
    size_t Begin(std::u16string_view key, uint16_t type, const void* value, size_t valueBytes, size_t valueLength)
    {
        Pad();
        const size_t start = m_out.size();
        Put16(0); // length, patched by End()
        Put16(static_cast<uint16_t>(valueLength));
        Put16(type);
        for (char16_t c : key)
            Put16(c);
        Put16(0);
        Pad();
        const auto* bytes = static_cast<const uint8_t*>(value);
        m_out.insert(m_out.end(), bytes, bytes + valueBytes);
        if (valueLength > 0xFFFF)
            m_overflow = true;
        return start;
    }

    void End(size_t start)
    {
        const size_t length = m_out.size() - start;
        if (length > 0xFFFF) {
            m_overflow = true;
            return;
        }
        m_out[start] = static_cast<uint8_t>(length);
        m_out[start + 1] = static_cast<uint8_t>(length >> 8);
    }

    void Text(std::u16string_view key, std::u16string_view text)
    {
        std::vector<uint8_t> value;
        for (char16_t c : text) {
            value.push_back(static_cast<uint8_t>(c));
            value.push_back(static_cast<uint8_t>(c >> 8));
        }
        value.push_back(0);
        value.push_back(0);
        End(Begin(key, 1, value.data(), value.size(), text.size() + 1));
    }

    bool Overflow() const { return m_overflow; }

private:
    void Put16(uint16_t v)
    {
        m_out.push_back(static_cast<uint8_t>(v));
        m_out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void Pad()
    {
        while (m_out.size() % 4 != 0)
            m_out.push_back(0);
    }

    std::vector<uint8_t>& m_out;
    bool m_overflow = false;
};

} // namespace

VS_FIXEDFILEINFO MakeFixedFileInfo(uint64_t fileVersion, uint64_t productVersion, uint32_t fileType)
{
    VS_FIXEDFILEINFO f;
    f.dwSignature = VS_FFI_SIGNATURE;
    f.dwStrucVersion = VS_FFI_STRUCVERSION;
    f.dwFileVersionMS = static_cast<uint32_t>(fileVersion >> 32);
    f.dwFileVersionLS = static_cast<uint32_t>(fileVersion);
    f.dwProductVersionMS = static_cast<uint32_t>(productVersion >> 32);
    f.dwProductVersionLS = static_cast<uint32_t>(productVersion);
    f.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    f.dwFileOS = VOS_UNKNOWN;
    f.dwFileType = fileType;
    return f;
}

bool BuildVersionResource(const VersionRecordLayout& layout, std::vector<uint8_t>& blob)
{
    blob.clear();
    CNodeWriter w(blob);
    uint8_t fixed[kFixedFileInfoSize];
    EncodeFixedFileInfo(layout.fixedInfo, fixed);
    const size_t fixedBytes = layout.hasFixedInfo ? kFixedFileInfoSize : 0;
    const size_t root = w.Begin(u"VS_VERSION_INFO", 0, fixed, fixedBytes, fixedBytes);
    if (!layout.tables.empty()) {
        const size_t info = w.Begin(u"StringFileInfo", 1, nullptr, 0, 0);
        for (const VersionStringTable& table : layout.tables) {
            const size_t t = w.Begin(table.key, 1, nullptr, 0, 0);
            for (const auto& [name, text] : table.strings)
                w.Text(name, text);
            w.End(t);
        }
        w.End(info);
    }
    if (!layout.translations.empty()) {
        std::vector<uint8_t> list;
        for (const VersionTranslation& t : layout.translations)
            for (uint16_t v : {t.language, t.codePage}) {
                list.push_back(static_cast<uint8_t>(v));
                list.push_back(static_cast<uint8_t>(v >> 8));
            }
        const size_t var = w.Begin(u"VarFileInfo", 1, nullptr, 0, 0);
        w.End(w.Begin(u"Translation", 0, list.data(), list.size(), list.size()));
        w.End(var);
    }
    w.End(root);
    if (w.Overflow()) {
        blob.clear();
        return false;
    }
    return true;
}

} // namespace Platform
