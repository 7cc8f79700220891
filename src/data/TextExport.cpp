// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TextExport.h"

#include "data/AtomicFile.h"

namespace TextExport {

std::vector<uint8_t> Encode(const std::u16string& text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

void WriteFile(const std::u16string& path, const std::u16string& text)
{
    const std::vector<uint8_t> bytes = Encode(text);
    AtomicFile::WriteBytes(path, bytes.data(), bytes.size());
}

} // namespace TextExport
