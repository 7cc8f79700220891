// SPDX-License-Identifier: GPL-3.0-or-later
// The version record of a program or language library, in the binary layout
// of a Windows version resource (VS_VERSIONINFO): a tree of nodes, each with
// a 16-bit length, a value length, a type (0 binary, 1 text), a UTF-16 key and
// its value, every part aligned to 4 bytes.  The root "VS_VERSION_INFO"
// carries the fixed record; its children are "StringFileInfo" (string tables
// keyed by language and code page, such as "040904B0") and "VarFileInfo"
// (the "Translation" list of language and code page pairs).
//
// The parser checks every length against what remains of its parent and of
// the data; damaged nodes end the parse of their siblings but keep what was
// read before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

constexpr uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr uint32_t VS_FFI_STRUCVERSION = 0x00010000;
constexpr uint32_t VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr uint32_t VOS_UNKNOWN = 0;
constexpr uint32_t VFT_APP = 1;
constexpr uint32_t VFT_DLL = 2;
constexpr size_t kFixedFileInfoSize = 52;

// The fixed record: thirteen 32-bit words, little-endian in the resource.
struct VS_FIXEDFILEINFO {
    uint32_t dwSignature = 0;
    uint32_t dwStrucVersion = 0;
    uint32_t dwFileVersionMS = 0;
    uint32_t dwFileVersionLS = 0;
    uint32_t dwProductVersionMS = 0;
    uint32_t dwProductVersionLS = 0;
    uint32_t dwFileFlagsMask = 0;
    uint32_t dwFileFlags = 0;
    uint32_t dwFileOS = 0;
    uint32_t dwFileType = 0;
    uint32_t dwFileSubtype = 0;
    uint32_t dwFileDateMS = 0;
    uint32_t dwFileDateLS = 0;

    bool operator==(const VS_FIXEDFILEINFO&) const = default;
};

VS_FIXEDFILEINFO DecodeFixedFileInfo(const uint8_t* bytes);          // 52 bytes
void EncodeFixedFileInfo(const VS_FIXEDFILEINFO& info, uint8_t* bytes); // 52 bytes

// One entry of the "Translation" list.
struct VersionTranslation {
    uint16_t language = 0;
    uint16_t codePage = 0;

    bool operator==(const VersionTranslation&) const = default;
};

// The key of the string table for a translation: "%04X%04X".
std::u16string StringTableKey(VersionTranslation translation);

class CVersionResource {
public:
    struct Node {
        std::u16string key;
        bool isText = false;
        std::vector<uint8_t> binary; // value of a binary node
        std::u16string text;         // value of a text node, up to its NUL
        std::vector<Node> children;
    };

    // Parses a blob; false when it holds no sound root "VS_VERSION_INFO".
    bool Parse(const uint8_t* data, size_t size);
    bool Parse(const std::vector<uint8_t>& blob) { return Parse(blob.data(), blob.size()); }
    void Clear();
    bool IsEmpty() const { return !m_valid; }

    // The node at a path such as "\\StringFileInfo\\040904B0\\CompanyName";
    // "\\" is the root.  Keys compare without regard to ASCII case.
    const Node* Find(std::u16string_view path) const;

    // The fixed record, only when the root's value is exactly 52 bytes.
    bool QueryFixedFileInfo(VS_FIXEDFILEINFO& info) const;

    // "\\VarFileInfo\\Translation" (empty when absent).
    std::vector<VersionTranslation> QueryTranslations() const;

    // A string of a string table; false when either is absent.
    bool QueryString(std::u16string_view tableKey, std::u16string_view name, std::u16string& value) const;

    // Keys of the string tables under "StringFileInfo", in stored order.
    std::vector<std::u16string> StringTableKeys() const;

private:
    bool m_valid = false;
    Node m_root;
};

} // namespace Platform
