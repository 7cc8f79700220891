// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/VersionResource.h"

#include <algorithm>

#include "platform/ByteSource.h"
#include "platform/Text.h"

namespace Platform {

namespace {

constexpr size_t kNodeHeader = 6;
// Real resources nest four deep (root, StringFileInfo, table, string).
constexpr int kMaxDepth = 8;

size_t Align4(size_t offset)
{
    return (offset + 3) & ~size_t{3};
}

// Parses the node at `begin`, which must end by `limit`; returns its end, or
// 0 when the node is damaged.  Alignment counts from the start of the blob.
size_t ParseNode(const uint8_t* data, size_t begin, size_t limit, int depth, CVersionResource::Node& node)
{
    if (begin > limit || limit - begin < kNodeHeader)
        return 0;
    const size_t length = GetLE16(data + begin);
    const size_t valueLength = GetLE16(data + begin + 2);
    const uint16_t type = GetLE16(data + begin + 4);
    if (length < kNodeHeader || length > limit - begin)
        return 0;
    const size_t end = begin + length;

    size_t pos = begin + kNodeHeader;
    for (;;) {
        if (end - pos < 2)
            return 0; // key without its terminating NUL
        const char16_t c = GetLE16(data + pos);
        pos += 2;
        if (c == 0)
            break;
        node.key += c;
    }
    pos = std::min(Align4(pos), end);

    size_t valueBytes;
    if (type == 1) {
        // Text: the length counts UTF-16 units, but some writers count bytes,
        // so the value is cut at its NUL and at the end of the node.
        node.isText = true;
        const size_t units = std::min(valueLength, (end - pos) / 2);
        for (size_t i = 0; i < units; ++i) {
            const char16_t c = GetLE16(data + pos + 2 * i);
            if (c == 0)
                break;
            node.text += c;
        }
        valueBytes = std::min(valueLength * 2, end - pos);
    } else {
        if (valueLength > end - pos)
            return 0;
        node.binary.assign(data + pos, data + pos + valueLength);
        valueBytes = valueLength;
    }

    pos = Align4(pos + valueBytes);
    if (depth >= kMaxDepth)
        return end;
    while (pos < end && end - pos >= kNodeHeader) {
        CVersionResource::Node child;
        const size_t childEnd = ParseNode(data, pos, end, depth + 1, child);
        if (childEnd == 0)
            break; // keep the children read so far
        node.children.push_back(std::move(child));
        pos = Align4(childEnd);
    }
    return end;
}

const CVersionResource::Node* FindChild(const CVersionResource::Node& node, std::u16string_view key)
{
    for (const CVersionResource::Node& child : node.children)
        if (EqualsNoCase(child.key, key))
            return &child;
    return nullptr;
}

} // namespace

VS_FIXEDFILEINFO DecodeFixedFileInfo(const uint8_t* b)
{
    VS_FIXEDFILEINFO f;
    uint32_t* fields[] = {&f.dwSignature, &f.dwStrucVersion, &f.dwFileVersionMS, &f.dwFileVersionLS,
                          &f.dwProductVersionMS, &f.dwProductVersionLS, &f.dwFileFlagsMask, &f.dwFileFlags,
                          &f.dwFileOS, &f.dwFileType, &f.dwFileSubtype, &f.dwFileDateMS, &f.dwFileDateLS};
    for (size_t i = 0; i < 13; ++i)
        *fields[i] = GetLE32(b + 4 * i);
    return f;
}

void EncodeFixedFileInfo(const VS_FIXEDFILEINFO& f, uint8_t* b)
{
    const uint32_t fields[] = {f.dwSignature, f.dwStrucVersion, f.dwFileVersionMS, f.dwFileVersionLS,
                               f.dwProductVersionMS, f.dwProductVersionLS, f.dwFileFlagsMask, f.dwFileFlags,
                               f.dwFileOS, f.dwFileType, f.dwFileSubtype, f.dwFileDateMS, f.dwFileDateLS};
    for (size_t i = 0; i < 13; ++i)
        for (size_t k = 0; k < 4; ++k)
            b[4 * i + k] = static_cast<uint8_t>(fields[i] >> (8 * k));
}

std::u16string StringTableKey(VersionTranslation t)
{
    return Format("%04X%04X", static_cast<unsigned>(t.language), static_cast<unsigned>(t.codePage));
}

bool CVersionResource::Parse(const uint8_t* data, size_t size)
{
    Clear();
    if (data == nullptr)
        return false;
    Node root;
    if (ParseNode(data, 0, size, 0, root) == 0 || root.key != u"VS_VERSION_INFO")
        return false;
    m_root = std::move(root);
    m_valid = true;
    return true;
}

void CVersionResource::Clear()
{
    m_valid = false;
    m_root = Node();
}

const CVersionResource::Node* CVersionResource::Find(std::u16string_view path) const
{
    if (!m_valid)
        return nullptr;
    const Node* node = &m_root;
    size_t pos = 0;
    while (node != nullptr && pos < path.size()) {
        size_t next = path.find(u'\\', pos);
        if (next == std::u16string_view::npos)
            next = path.size();
        if (next > pos)
            node = FindChild(*node, path.substr(pos, next - pos));
        pos = next + 1;
    }
    return node;
}

bool CVersionResource::QueryFixedFileInfo(VS_FIXEDFILEINFO& info) const
{
    if (!m_valid || m_root.isText || m_root.binary.size() != kFixedFileInfoSize)
        return false;
    info = DecodeFixedFileInfo(m_root.binary.data());
    return true;
}

std::vector<VersionTranslation> CVersionResource::QueryTranslations() const
{
    std::vector<VersionTranslation> list;
    const Node* node = Find(u"\\VarFileInfo\\Translation");
    if (node == nullptr || node->isText)
        return list;
    for (size_t i = 0; i + 4 <= node->binary.size(); i += 4)
        list.push_back({GetLE16(node->binary.data() + i), GetLE16(node->binary.data() + i + 2)});
    return list;
}

bool CVersionResource::QueryString(std::u16string_view tableKey, std::u16string_view name,
                                   std::u16string& value) const
{
    const Node* info = Find(u"\\StringFileInfo");
    const Node* table = info ? FindChild(*info, tableKey) : nullptr;
    const Node* string = table ? FindChild(*table, name) : nullptr;
    if (string == nullptr)
        return false;
    if (string->isText) {
        value = string->text;
    } else {
        // A binary-typed string: take its bytes as UTF-16 up to a NUL.
        value.clear();
        for (size_t i = 0; i + 2 <= string->binary.size(); i += 2) {
            const char16_t c = GetLE16(string->binary.data() + i);
            if (c == 0)
                break;
            value += c;
        }
    }
    return true;
}

std::vector<std::u16string> CVersionResource::StringTableKeys() const
{
    std::vector<std::u16string> keys;
    if (const Node* info = Find(u"\\StringFileInfo"))
        for (const Node& table : info->children)
            keys.push_back(table.key);
    return keys;
}

} // namespace Platform
