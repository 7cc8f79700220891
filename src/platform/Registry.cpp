// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Registry.h"

#include "platform/ErrorCodes.h"
#include "platform/RegistryFile.h"

namespace Platform {

namespace {

const std::u16string_view kRoot = u"HKEY_CURRENT_USER";

// Windows limits: 255 characters per key name, 16383 per value name.
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;

bool ValidKeyPath(std::u16string_view path)
{
    const std::vector<std::u16string> parts = RegSplitPath(path);
    // The root HKEY_CURRENT_USER is one level of the tree.
    if (parts.size() + 1 > CRegDocument::kMaxDepth)
        return false;
    for (const std::u16string& part : parts) {
        if (part.size() > kMaxKeyName || !RegNameIsStorable(part))
            return false;
    }
    return true;
}

bool ValidValueName(std::u16string_view name)
{
    return name.size() <= kMaxValueName && RegNameIsStorable(name);
}

std::u16string JoinPath(std::u16string_view parent, std::u16string_view child)
{
    std::u16string out(parent);
    if (!out.empty() && !child.empty())
        out += u'\\';
    out += child;
    return out;
}

} // namespace

uint32_t CRegKey::Create(std::u16string_view keyPath, Access access)
{
    return OpenImpl(RegistryFilePath(), keyPath, access, true);
}

uint32_t CRegKey::Open(std::u16string_view keyPath, Access access)
{
    return OpenImpl(RegistryFilePath(), keyPath, access, false);
}

uint32_t CRegKey::Create(const CRegKey& parent, std::u16string_view subKey, Access access)
{
    if (!parent.m_open)
        return ERROR_INVALID_HANDLE;
    const std::string file = parent.m_file;
    return OpenImpl(file, JoinPath(parent.m_keyPath, subKey), access, true);
}

uint32_t CRegKey::Open(const CRegKey& parent, std::u16string_view subKey, Access access)
{
    if (!parent.m_open)
        return ERROR_INVALID_HANDLE;
    const std::string file = parent.m_file;
    return OpenImpl(file, JoinPath(parent.m_keyPath, subKey), access, false);
}

void CRegKey::Close()
{
    m_open = false;
    m_access = Read;
    m_keyPath.clear();
    m_fullPath.clear();
    m_file.clear();
}

uint32_t CRegKey::OpenImpl(const std::string& file, std::u16string_view keyPath, Access access, bool create)
{
    Close();
    if (!ValidKeyPath(keyPath))
        return ERROR_INVALID_PARAMETER;
    if (file.empty())
        return ERROR_PATH_NOT_FOUND;
    const std::u16string fullPath = JoinPath(kRoot, keyPath);
    const bool isRoot = RegSplitPath(keyPath).empty();

    // Look at the file on every open, so a key sees what other processes wrote.
    uint32_t rc = ERROR_SUCCESS;
    const std::shared_ptr<const CRegDocument> doc = ReadRegistryShared(file, rc);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        return rc;
    if (!isRoot && !doc->HasKey(fullPath)) {
        if (!create)
            return ERROR_FILE_NOT_FOUND;
        rc = UpdateRegistryFile(file, [&](CRegDocument& current, bool& changed) {
            changed = current.CreateKey(fullPath);
            return ERROR_SUCCESS;
        });
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    m_open = true;
    m_access = access;
    m_keyPath = std::u16string(keyPath);
    m_fullPath = fullPath;
    m_file = file;
    return ERROR_SUCCESS;
}

uint32_t CRegKey::Change(const Edit& edit)
{
    if (!m_open)
        return ERROR_INVALID_HANDLE;
    if (m_access != ReadWrite)
        return ERROR_ACCESS_DENIED;
    // Try the edit on what the file holds now: a change that changes nothing
    // (or fails) needs neither the lock nor a write.
    uint32_t rc = ERROR_SUCCESS;
    CRegDocument doc = *ReadRegistryShared(m_file, rc);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        return rc;
    bool changed = false;
    rc = edit(doc, changed);
    if (rc != ERROR_SUCCESS || !changed)
        return rc;
    return UpdateRegistryFile(m_file, edit);
}

uint32_t CRegKey::Find(std::u16string_view name, RegValue& value) const
{
    if (!m_open)
        return ERROR_INVALID_HANDLE;
    uint32_t rc = ERROR_SUCCESS;
    const std::shared_ptr<const CRegDocument> doc = ReadRegistryShared(m_file, rc);
    if (rc != ERROR_SUCCESS)
        return rc;
    const RegValue* found = doc->FindValue(m_fullPath, name);
    if (found == nullptr)
        return ERROR_FILE_NOT_FOUND;
    value = *found;
    return ERROR_SUCCESS;
}

uint32_t CRegKey::QueryValueType(std::u16string_view name, uint32_t& type) const
{
    RegValue v;
    const uint32_t rc = Find(name, v);
    if (rc == ERROR_SUCCESS)
        type = v.type;
    return rc;
}

uint32_t CRegKey::QueryValue(std::u16string_view name, uint32_t& type, std::vector<uint8_t>& data) const
{
    RegValue v;
    const uint32_t rc = Find(name, v);
    if (rc == ERROR_SUCCESS) {
        type = v.type;
        data = std::move(v.data);
    }
    return rc;
}

uint32_t CRegKey::QueryString(std::u16string_view name, std::u16string& value) const
{
    RegValue v;
    const uint32_t rc = Find(name, v);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (v.type != REG_SZ && v.type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    value.clear();
    for (size_t i = 0; i + 1 < v.data.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
        if (c == 0)
            break;
        value += c;
    }
    return ERROR_SUCCESS;
}

uint32_t CRegKey::QueryDword(std::u16string_view name, uint32_t& value) const
{
    RegValue v;
    const uint32_t rc = Find(name, v);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (v.type != REG_DWORD || v.data.size() != 4)
        return ERROR_INVALID_DATA;
    value = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<uint32_t>(v.data[3]) << 24);
    return ERROR_SUCCESS;
}

uint32_t CRegKey::QueryBinary(std::u16string_view name, std::vector<uint8_t>& value) const
{
    RegValue v;
    const uint32_t rc = Find(name, v);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (v.type != REG_BINARY)
        return ERROR_INVALID_DATA;
    value = std::move(v.data);
    return ERROR_SUCCESS;
}

uint32_t CRegKey::SetValue(std::u16string_view name, uint32_t type, const void* data, size_t size)
{
    if (!ValidValueName(name) || (data == nullptr && size != 0))
        return ERROR_INVALID_PARAMETER;
    RegValue v;
    v.name = std::u16string(name);
    v.type = type;
    const auto* bytes = static_cast<const uint8_t*>(data);
    v.data.assign(bytes, bytes + size);
    const std::u16string path = m_fullPath;
    return Change([&](CRegDocument& doc, bool& changed) {
        changed = doc.SetValue(path, v);
        return ERROR_SUCCESS;
    });
}

uint32_t CRegKey::SetString(std::u16string_view name, std::u16string_view value)
{
    value = value.substr(0, value.find(u'\0'));
    std::vector<uint8_t> data;
    data.reserve(value.size() * 2 + 2);
    for (char16_t c : value) {
        data.push_back(static_cast<uint8_t>(c & 0xFF));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return SetValue(name, REG_SZ, data.data(), data.size());
}

uint32_t CRegKey::SetDword(std::u16string_view name, uint32_t value)
{
    const uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return SetValue(name, REG_DWORD, data, sizeof data);
}

uint32_t CRegKey::SetBinary(std::u16string_view name, const void* data, size_t size)
{
    return SetValue(name, REG_BINARY, data, size);
}

uint32_t CRegKey::DeleteValue(std::u16string_view name)
{
    const std::u16string path = m_fullPath;
    return Change([&](CRegDocument& doc, bool& changed) {
        changed = doc.DeleteValue(path, name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

std::shared_ptr<const CRegDocument> CRegKey::ReadForEnum(uint32_t& rc) const
{
    if (!m_open) {
        rc = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    std::shared_ptr<const CRegDocument> doc = ReadRegistryShared(m_file, rc);
    if (rc == ERROR_FILE_NOT_FOUND)
        rc = ERROR_SUCCESS;
    return doc;
}

uint32_t CRegKey::EnumValueNames(std::vector<std::u16string>& names) const
{
    names.clear();
    uint32_t rc = ERROR_SUCCESS;
    const std::shared_ptr<const CRegDocument> doc = ReadForEnum(rc);
    if (rc == ERROR_SUCCESS)
        names = doc->ValueNames(m_fullPath);
    return rc;
}

uint32_t CRegKey::EnumSubKeys(std::vector<std::u16string>& names) const
{
    names.clear();
    uint32_t rc = ERROR_SUCCESS;
    const std::shared_ptr<const CRegDocument> doc = ReadForEnum(rc);
    if (rc == ERROR_SUCCESS)
        names = doc->SubKeyNames(m_fullPath);
    return rc;
}

uint32_t CRegKey::DeleteSubKey(std::u16string_view subKey)
{
    return DeleteSubKeyImpl(subKey, false);
}

uint32_t CRegKey::RecurseDeleteKey(std::u16string_view subKey)
{
    return DeleteSubKeyImpl(subKey, true);
}

uint32_t CRegKey::DeleteSubKeyImpl(std::u16string_view subKey, bool recursive)
{
    if (!ValidKeyPath(subKey) || RegSplitPath(subKey).empty())
        return ERROR_INVALID_PARAMETER;
    const std::u16string path = JoinPath(m_fullPath, subKey);
    return Change([&](CRegDocument& doc, bool& changed) {
        const uint32_t rc = doc.DeleteKey(path, recursive);
        changed = rc == ERROR_SUCCESS;
        return rc;
    });
}

} // namespace Platform
