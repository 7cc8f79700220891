// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store's content in memory, and its text form.
//
// The store is one text file in the regedit format (UTF-16LE with a
// byte-order mark, as regedit writes it):
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Vantor\Brelmora\Settings]
//   "LanguageFile"="/opt/brelmora/brelmora"
//   "DTFormat"=dword:00000302
//   "Blob"=hex:01,02,03
//
// Keys are held by their full path (root name included).  Key and value
// names compare without regard to case, as on Windows; the spelling first
// stored is kept.  Every value is its type number and its raw bytes, exactly
// as the Windows registry holds it (REG_SZ is UTF-16LE with a terminating
// NUL), so no value changes when it goes through the file.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Platform {

// Registry value types.
enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11,
};

struct RegValue {
    std::u16string name;   // empty: the key's default value ("@" in the file)
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;
};

// A key or value name with letters folded to upper case, for comparisons.
std::u16string RegFoldName(std::u16string_view name);

// True when the name holds nothing the file cannot carry (NUL, line breaks,
// unpaired surrogates).
bool RegNameIsStorable(std::u16string_view name);

// Splits a key path at its backslashes; empty components are dropped.
std::vector<std::u16string> RegSplitPath(std::u16string_view path);

class CRegDocument {
public:
    // Windows' own limit: a key tree is at most 512 levels deep (the root
    // name counts as one).  Deeper keys are refused, and a file holding one
    // is not taken as a registry file.
    static constexpr size_t kMaxDepth = 512;
    // Windows' limit for one key name.
    static constexpr size_t kMaxKeyName = 255;
    // A settings file holds a few dozen keys; one with more than this many
    // is not taken as one (its tree costs a few hundred bytes a key).
    static constexpr size_t kMaxKeys = 100000;

    CRegDocument() = default;
    CRegDocument(const CRegDocument& other);
    CRegDocument& operator=(const CRegDocument& other);
    CRegDocument(CRegDocument&&) noexcept = default;
    CRegDocument& operator=(CRegDocument&&) noexcept = default;
    ~CRegDocument() = default;

    // Reads the bytes of a registry file (UTF-16 with a byte-order mark,
    // UTF-8 with or without one, or an 8-bit "REGEDIT4" file).  Quoted texts
    // take regedit's escapes \\ and \" and Wine's \n, \r and \0.  False
    // when they are not a registry file; the document is then left empty.
    // Empty or blank input is an empty registry.  The work is linear in the
    // size of the input.
    bool Parse(std::string_view bytes);

    // The file's bytes as regedit writes them: UTF-16LE with a byte-order
    // mark, CR LF line ends.  Texts that hold a line break or a NUL are
    // written as hex(1), so Windows' regedit, which knows no escapes for
    // them, imports them unchanged too.
    std::string Serialize() const;

    // Key paths are full paths ("HKEY_CURRENT_USER\\Software\\...").
    bool HasKey(std::u16string_view path) const;
    // Adds the key and every missing parent; true when something was added.
    // A path deeper than kMaxDepth, or beyond kMaxKeys keys, adds nothing.
    bool CreateKey(std::u16string_view path);
    // Removes the key (and, with `recursive`, its subkeys).  Returns 0, 2 (no
    // such key) or 5 (the key has subkeys and `recursive` is false).
    uint32_t DeleteKey(std::u16string_view path, bool recursive);

    const RegValue* FindValue(std::u16string_view path, std::u16string_view name) const;
    // Stores a value, creating the key if needed; true when anything changed.
    bool SetValue(std::u16string_view path, const RegValue& value);
    // True when the value existed.
    bool DeleteValue(std::u16string_view path, std::u16string_view name);

    // Names in stored order (values) and in name order (subkeys).
    std::vector<std::u16string> ValueNames(std::u16string_view path) const;
    std::vector<std::u16string> SubKeyNames(std::u16string_view path) const;

private:
    // The store is a tree of keys: each holds its own name and its subkeys,
    // so a deep key costs what its path costs, not its depth times its path.
    struct Key {
        std::u16string name;                                                   // as first spelled
        std::list<RegValue> values;                                            // in stored order
        std::unordered_map<std::u16string, std::list<RegValue>::iterator> index;   // folded name
        std::map<std::u16string, std::unique_ptr<Key>> children;               // by folded name
    };

    // The path's names, "HKCU" spelled out; empty names dropped.
    static std::vector<std::u16string> PathNames(std::u16string_view path);
    static void CopyKey(const Key& from, Key& to);
    static size_t CountKeys(const Key& key);
    static bool SetValueIn(Key& key, const RegValue& value);
    static bool DeleteValueIn(Key& key, std::u16string_view name);
    const Key* FindKey(const std::vector<std::u16string>& names) const;
    Key* FindKey(const std::vector<std::u16string>& names);
    // The key, created with its missing parents; null when the path is
    // empty or too deep.
    Key* EnsureKey(const std::vector<std::u16string>& names, bool* added);
    bool ParseText(std::u16string_view text);

    Key m_root;   // holds the root keys (HKEY_CURRENT_USER, ...) as children
    size_t m_keyCount = 0;
};

} // namespace Platform
