// SPDX-License-Identifier: GPL-3.0-or-later
// The registry of the current user: a key handle over the registry store.
//
//   CRegKey key;
//   if (key.Create(u"Software\\Vantor\\Brelmora\\Settings") == ERROR_SUCCESS) {
//       uint32_t dt = 0;
//       if (key.QueryDword(u"DTFormat", dt) == ERROR_FILE_NOT_FOUND)
//           key.SetDword(u"DTFormat", 0);
//   }
//
// Key paths are relative to HKEY_CURRENT_USER.  Every call returns a Win32
// error number: ERROR_SUCCESS (0); ERROR_FILE_NOT_FOUND (2) for a missing key
// or value; ERROR_ACCESS_DENIED (5) when the store cannot be written (or the
// key was opened for reading only, or a key to delete has subkeys);
// ERROR_INVALID_HANDLE (6) on a key that is not open; ERROR_INVALID_DATA (13)
// when the store's file is damaged (it is then never written) or a value has
// another type than asked for; ERROR_INVALID_PARAMETER (87) for a name the
// store cannot hold.
//
// The store is live, as the Windows registry is: each call reads the file
// afresh, and each change is written at once, atomically and under a lock,
// so other processes see it and concurrent writers never lose values.  A key
// handle remembers the file it was opened in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryDocument.h"

namespace Platform {

class CRegKey {
public:
    enum Access { Read, ReadWrite };

    CRegKey() = default;

    // Creates the key (and its missing parents) or opens it when it exists.
    uint32_t Create(std::u16string_view keyPath, Access access = ReadWrite);
    // Opens an existing key; ERROR_FILE_NOT_FOUND when there is none.
    uint32_t Open(std::u16string_view keyPath, Access access = ReadWrite);
    // Subkeys of this key.
    uint32_t Create(const CRegKey& parent, std::u16string_view subKey, Access access = ReadWrite);
    uint32_t Open(const CRegKey& parent, std::u16string_view subKey, Access access = ReadWrite);
    void Close();

    bool IsOpen() const { return m_open; }
    // The key path below HKEY_CURRENT_USER, as given to Create or Open.
    const std::u16string& KeyPath() const { return m_keyPath; }

    uint32_t QueryValueType(std::u16string_view name, uint32_t& type) const;
    // The raw value: type and bytes (REG_SZ as UTF-16LE with its NUL).
    uint32_t QueryValue(std::u16string_view name, uint32_t& type, std::vector<uint8_t>& data) const;
    // REG_SZ or REG_EXPAND_SZ, up to the first NUL.
    uint32_t QueryString(std::u16string_view name, std::u16string& value) const;
    // REG_DWORD of exactly four bytes.
    uint32_t QueryDword(std::u16string_view name, uint32_t& value) const;
    // REG_BINARY.
    uint32_t QueryBinary(std::u16string_view name, std::vector<uint8_t>& value) const;

    uint32_t SetValue(std::u16string_view name, uint32_t type, const void* data, size_t size);
    // Stores the text up to its first NUL, as REG_SZ.
    uint32_t SetString(std::u16string_view name, std::u16string_view value);
    uint32_t SetDword(std::u16string_view name, uint32_t value);
    uint32_t SetBinary(std::u16string_view name, const void* data, size_t size);
    uint32_t SetBinary(std::u16string_view name, const std::vector<uint8_t>& data)
    {
        return SetBinary(name, data.data(), data.size());
    }
    uint32_t DeleteValue(std::u16string_view name);

    // Value names in stored order; subkey names in name order.
    uint32_t EnumValueNames(std::vector<std::u16string>& names) const;
    uint32_t EnumSubKeys(std::vector<std::u16string>& names) const;

    // Deletes a subkey that has no subkeys of its own (else ERROR_ACCESS_DENIED).
    uint32_t DeleteSubKey(std::u16string_view subKey);
    // Deletes a subkey with everything below it.
    uint32_t RecurseDeleteKey(std::u16string_view subKey);

private:
    using Edit = std::function<uint32_t(CRegDocument& doc, bool& changed)>;

    uint32_t OpenImpl(const std::string& file, std::u16string_view keyPath, Access access, bool create);
    uint32_t Change(const Edit& edit);
    uint32_t Find(std::u16string_view name, RegValue& value) const;
    // The store's content for enumerating this key: a missing file reads as
    // an empty store.
    std::shared_ptr<const CRegDocument> ReadForEnum(uint32_t& rc) const;
    uint32_t DeleteSubKeyImpl(std::u16string_view subKey, bool recursive);

    bool m_open = false;
    Access m_access = Read;
    std::u16string m_keyPath;    // below HKEY_CURRENT_USER
    std::u16string m_fullPath;   // "HKEY_CURRENT_USER\\..."
    std::string m_file;          // the store's file
};

} // namespace Platform
