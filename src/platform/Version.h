// SPDX-License-Identifier: GPL-3.0-or-later
// CVersion: a dotted four-part version number (major.minor.build.revision),
// each part 16 bits, held in one 64-bit value with the major number in the
// top bits so that versions compare as numbers.  The value 0 means "no valid
// version".
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

class CVersion {
public:
    CVersion() = default;
    explicit CVersion(uint64_t value) : m_value(value) {}
    explicit CVersion(std::u16string_view text) { Parse(text); }
    CVersion(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision);
    virtual ~CVersion() = default;

    CVersion(const CVersion&) = default;
    CVersion& operator=(const CVersion&) = default;

    // Reads "a.b.c.d", "a.b.c", "a.b" or "a" (spaces removed, commas taken as
    // dots, text after the version ignored).  Parts above 0xFFFF (above
    // 0xFFFFFFFF for two parts), a single number of 20 or more characters
    // and negative numbers give 0.
    void Parse(std::u16string_view text);

    // 2: "high32.low32"; 3: "major.minor.build"; 4: all four parts; any other
    // count: the whole 64-bit value.
    std::u16string Format(int parts) const;

    // 0 major, 1 minor, 2 build, 3 revision; other indexes 0.
    uint16_t GetPart(int index) const;

    uint64_t GetValue() const { return m_value; }
    void SetValue(uint64_t value) { m_value = value; }
    bool IsValid() const { return m_value != 0; }

    // The two parameters of a posted message that carries a version:
    // wParam = minor * 65536 + major, lParam = revision * 65536 + build.
    void ToMessageParams(uint32_t& wParam, uint32_t& lParam) const;
    static CVersion FromMessageParams(uint32_t wParam, uint32_t lParam);

    bool operator==(const CVersion& other) const { return m_value == other.m_value; }
    std::strong_ordering operator<=>(const CVersion& other) const { return m_value <=> other.m_value; }

private:
    uint64_t m_value = 0;
};
