// SPDX-License-Identifier: GPL-3.0-or-later
// SHA-256 (FIPS 180-4): checks a downloaded installer against the
// "<installer>.sha256" file its folder publishes, and identifies archived
// files and series.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Platform {

class CSha256 {
public:
    CSha256();
    void Add(const uint8_t* data, size_t size);
    // The digest; the object must not be fed afterwards.
    std::array<uint8_t, 32> Finish();
    // The digest as 64 lower-case hex digits.
    std::string FinishHex();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_buffer{};
    size_t m_buffered = 0;
    uint64_t m_length = 0;
};

// The digest of a checksum file as `sha256sum` writes it ("<64 hex digits>
// <blank><blank or *><name>", or the digits alone), in lower case; empty
// when the text does not start with 64 hex digits followed by a blank or
// the end.
std::string ParseSha256File(std::string_view text);

} // namespace Platform
