// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryDocument.h"

#include <iterator>

namespace Platform {

namespace {

// Upper-case folding for the scripts whose names turn up in settings: ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic.
char16_t FoldChar(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper)
            return (c & 1) ? c : static_cast<char16_t>(c - 1);
        return (c & 1) ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    return c;
}

bool HasUnpairedSurrogate(std::u16string_view s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF)
                return true;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

} // namespace

std::u16string RegFoldName(std::u16string_view name)
{
    std::u16string out(name);
    for (char16_t& c : out)
        c = FoldChar(c);
    return out;
}

bool RegNameIsStorable(std::u16string_view name)
{
    for (char16_t c : name) {
        if (c == 0 || c == u'\r' || c == u'\n')
            return false;
    }
    return !HasUnpairedSurrogate(name);
}

std::vector<std::u16string> RegSplitPath(std::u16string_view path)
{
    std::vector<std::u16string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find(u'\\', pos);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > pos)
            parts.emplace_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

std::vector<std::u16string> CRegDocument::PathNames(std::u16string_view path)
{
    std::vector<std::u16string> names = RegSplitPath(path);
    if (!names.empty() && RegFoldName(names[0]) == u"HKCU")
        names[0] = u"HKEY_CURRENT_USER";
    return names;
}

void CRegDocument::CopyKey(const Key& from, Key& to)
{
    to.name = from.name;
    to.values = from.values;
    to.index.clear();
    for (auto it = to.values.begin(); it != to.values.end(); ++it)
        to.index.emplace(RegFoldName(it->name), it);
    to.children.clear();
    // The depth is bounded by kMaxDepth, so the recursion is too.
    for (const auto& [folded, child] : from.children) {
        auto copy = std::make_unique<Key>();
        CopyKey(*child, *copy);
        to.children.emplace(folded, std::move(copy));
    }
}

size_t CRegDocument::CountKeys(const Key& key)
{
    size_t count = 1;
    for (const auto& [folded, child] : key.children)
        count += CountKeys(*child);
    return count;
}

CRegDocument::CRegDocument(const CRegDocument& other) : m_keyCount(other.m_keyCount)
{
    CopyKey(other.m_root, m_root);
}

CRegDocument& CRegDocument::operator=(const CRegDocument& other)
{
    if (this != &other) {
        Key copy;
        CopyKey(other.m_root, copy);
        m_root = std::move(copy);
        m_keyCount = other.m_keyCount;
    }
    return *this;
}

const CRegDocument::Key* CRegDocument::FindKey(const std::vector<std::u16string>& names) const
{
    if (names.empty())
        return nullptr;
    const Key* key = &m_root;
    for (const std::u16string& name : names) {
        auto it = key->children.find(RegFoldName(name));
        if (it == key->children.end())
            return nullptr;
        key = it->second.get();
    }
    return key;
}

CRegDocument::Key* CRegDocument::FindKey(const std::vector<std::u16string>& names)
{
    return const_cast<Key*>(static_cast<const CRegDocument*>(this)->FindKey(names));
}

CRegDocument::Key* CRegDocument::EnsureKey(const std::vector<std::u16string>& names, bool* added)
{
    if (names.empty() || names.size() > kMaxDepth)
        return nullptr;
    Key* key = &m_root;
    for (const std::u16string& name : names) {
        std::u16string folded = RegFoldName(name);
        auto it = key->children.find(folded);
        if (it == key->children.end() && m_keyCount >= kMaxKeys)
            return nullptr;
        bool inserted = false;
        if (it == key->children.end()) {
            it = key->children.emplace(std::move(folded), nullptr).first;
            inserted = true;
            ++m_keyCount;
        }
        if (inserted) {
            it->second = std::make_unique<Key>();
            it->second->name = name;
            if (added != nullptr)
                *added = true;
        }
        key = it->second.get();
    }
    return key;
}

bool CRegDocument::HasKey(std::u16string_view path) const
{
    return FindKey(PathNames(path)) != nullptr;
}

bool CRegDocument::CreateKey(std::u16string_view path)
{
    bool added = false;
    EnsureKey(PathNames(path), &added);
    return added;
}

uint32_t CRegDocument::DeleteKey(std::u16string_view path, bool recursive)
{
    std::vector<std::u16string> names = PathNames(path);
    if (names.empty())
        return 2;
    const std::u16string last = RegFoldName(names.back());
    names.pop_back();
    Key* parent = names.empty() ? &m_root : FindKey(names);
    if (parent == nullptr)
        return 2;
    auto it = parent->children.find(last);
    if (it == parent->children.end())
        return 2;
    if (!recursive && !it->second->children.empty())
        return 5;
    m_keyCount -= CountKeys(*it->second);
    parent->children.erase(it);
    return 0;
}

const RegValue* CRegDocument::FindValue(std::u16string_view path, std::u16string_view name) const
{
    const Key* key = FindKey(PathNames(path));
    if (key == nullptr)
        return nullptr;
    auto it = key->index.find(RegFoldName(name));
    return it == key->index.end() ? nullptr : &*it->second;
}

bool CRegDocument::SetValueIn(Key& key, const RegValue& value)
{
    const std::u16string folded = RegFoldName(value.name);
    auto it = key.index.find(folded);
    if (it != key.index.end()) {
        RegValue& stored = *it->second;
        if (stored.type == value.type && stored.data == value.data)
            return false;
        stored.type = value.type;
        stored.data = value.data;
        return true;
    }
    key.values.push_back(value);
    key.index.emplace(folded, std::prev(key.values.end()));
    return true;
}

bool CRegDocument::DeleteValueIn(Key& key, std::u16string_view name)
{
    auto it = key.index.find(RegFoldName(name));
    if (it == key.index.end())
        return false;
    key.values.erase(it->second);
    key.index.erase(it);
    return true;
}

bool CRegDocument::SetValue(std::u16string_view path, const RegValue& value)
{
    bool changed = false;
    Key* key = EnsureKey(PathNames(path), &changed);
    if (key == nullptr)
        return false;
    return SetValueIn(*key, value) || changed;
}

bool CRegDocument::DeleteValue(std::u16string_view path, std::u16string_view name)
{
    Key* key = FindKey(PathNames(path));
    return key != nullptr && DeleteValueIn(*key, name);
}

std::vector<std::u16string> CRegDocument::ValueNames(std::u16string_view path) const
{
    std::vector<std::u16string> names;
    if (const Key* key = FindKey(PathNames(path))) {
        for (const RegValue& v : key->values)
            names.push_back(v.name);
    }
    return names;
}

std::vector<std::u16string> CRegDocument::SubKeyNames(std::u16string_view path) const
{
    std::vector<std::u16string> names;
    if (const Key* key = FindKey(PathNames(path))) {
        for (const auto& [folded, child] : key->children)
            names.push_back(child->name);
    }
    return names;
}

} // namespace Platform
