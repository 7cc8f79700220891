#include "platform/RegistryDocument.h"

#include <algorithm>
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

bool CRegDocument::PathLess::operator()(const std::u16string& a, const std::u16string& b) const
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t ca = a[i] == u'\\' ? 0 : a[i];
        const char16_t cb = b[i] == u'\\' ? 0 : b[i];
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

std::u16string CRegDocument::CanonicalPath(std::u16string_view path)
{
    std::vector<std::u16string> parts = RegSplitPath(path);
    if (!parts.empty() && RegFoldName(parts[0]) == u"HKCU")
        parts[0] = u"HKEY_CURRENT_USER";
    std::u16string out;
    for (const std::u16string& p : parts) {
        if (!out.empty())
            out += u'\\';
        out += p;
    }
    return out;
}

CRegDocument::Key* CRegDocument::FindKey(std::u16string_view canonicalPath)
{
    auto it = m_keys.find(RegFoldName(canonicalPath));
    return it == m_keys.end() ? nullptr : &it->second;
}

const CRegDocument::Key* CRegDocument::FindKey(std::u16string_view canonicalPath) const
{
    auto it = m_keys.find(RegFoldName(canonicalPath));
    return it == m_keys.end() ? nullptr : &it->second;
}

CRegDocument::Key& CRegDocument::EnsureKey(const std::u16string& canonicalPath, bool* added)
{
    Key* key = nullptr;
    size_t pos = 0;
    while (true) {
        const size_t end = canonicalPath.find(u'\\', pos);
        const std::u16string prefix = canonicalPath.substr(0, end);
        auto [it, inserted] = m_keys.try_emplace(RegFoldName(prefix));
        if (inserted) {
            it->second.path = prefix;
            if (added != nullptr)
                *added = true;
        }
        key = &it->second;
        if (end == std::u16string::npos)
            return *key;
        pos = end + 1;
    }
}

bool CRegDocument::HasKey(std::u16string_view path) const
{
    return FindKey(CanonicalPath(path)) != nullptr;
}

bool CRegDocument::CreateKey(std::u16string_view path)
{
    const std::u16string canonical = CanonicalPath(path);
    if (canonical.empty())
        return false;
    bool added = false;
    EnsureKey(canonical, &added);
    return added;
}

uint32_t CRegDocument::DeleteKey(std::u16string_view path, bool recursive)
{
    const std::u16string folded = RegFoldName(CanonicalPath(path));
    auto it = m_keys.find(folded);
    if (folded.empty() || it == m_keys.end())
        return 2;
    const std::u16string childPrefix = folded + u'\\';
    auto last = std::next(it);
    while (last != m_keys.end() && last->first.compare(0, childPrefix.size(), childPrefix) == 0)
        ++last;
    if (!recursive && last != std::next(it))
        return 5;
    m_keys.erase(it, last);
    return 0;
}

const RegValue* CRegDocument::FindValue(std::u16string_view path, std::u16string_view name) const
{
    const Key* key = FindKey(CanonicalPath(path));
    if (key == nullptr)
        return nullptr;
    auto it = key->index.find(RegFoldName(name));
    return it == key->index.end() ? nullptr : &key->values[it->second];
}

bool CRegDocument::SetValue(std::u16string_view path, const RegValue& value)
{
    const std::u16string canonical = CanonicalPath(path);
    if (canonical.empty())
        return false;
    bool changed = false;
    Key& key = EnsureKey(canonical, &changed);
    const std::u16string folded = RegFoldName(value.name);
    auto it = key.index.find(folded);
    if (it != key.index.end()) {
        RegValue& stored = key.values[it->second];
        if (stored.type == value.type && stored.data == value.data)
            return changed;
        stored.type = value.type;
        stored.data = value.data;
        return true;
    }
    key.index.emplace(folded, key.values.size());
    key.values.push_back(value);
    return true;
}

bool CRegDocument::DeleteValue(std::u16string_view path, std::u16string_view name)
{
    Key* key = FindKey(CanonicalPath(path));
    if (key == nullptr)
        return false;
    auto it = key->index.find(RegFoldName(name));
    if (it == key->index.end())
        return false;
    key->values.erase(key->values.begin() + static_cast<std::ptrdiff_t>(it->second));
    key->index.clear();
    for (size_t i = 0; i < key->values.size(); ++i)
        key->index.emplace(RegFoldName(key->values[i].name), i);
    return true;
}

std::vector<std::u16string> CRegDocument::ValueNames(std::u16string_view path) const
{
    std::vector<std::u16string> names;
    if (const Key* key = FindKey(CanonicalPath(path))) {
        for (const RegValue& v : key->values)
            names.push_back(v.name);
    }
    return names;
}

std::vector<std::u16string> CRegDocument::SubKeyNames(std::u16string_view path) const
{
    std::vector<std::u16string> names;
    const std::u16string folded = RegFoldName(CanonicalPath(path));
    auto it = m_keys.find(folded);
    if (folded.empty() || it == m_keys.end())
        return names;
    const std::u16string childPrefix = folded + u'\\';
    for (++it; it != m_keys.end() && it->first.compare(0, childPrefix.size(), childPrefix) == 0; ++it) {
        if (it->first.find(u'\\', childPrefix.size()) == std::u16string::npos)
            names.push_back(it->second.path.substr(childPrefix.size()));
    }
    return names;
}
} // namespace Platform
