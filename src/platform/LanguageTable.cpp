// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LanguageTable.h"

#include <cstring>
#include <vector>

#include "platform/ByteSource.h"
#include "platform/ExecutableResources.h"
#include "platform/Text.h"

namespace Platform {

namespace {
constexpr char kSignature[8] = {'B', 'R', 'S', 'T', 'R', '1', 0, 0};
} // namespace

bool ParseLanguageTable(const uint8_t* data, size_t size, StringMap& table)
{
    table.clear();
    if (data == nullptr || size < 12 || std::memcmp(data, kSignature, 8) != 0)
        return false;
    const uint32_t count = GetLE32(data + 8);
    size_t pos = 12;
    // Every entry needs at least 8 bytes: a count beyond that is a lie.
    if (count > (size - pos) / 8)
        return false;
    table.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (size - pos < 8) {
            table.clear();
            return false;
        }
        const uint32_t id = GetLE32(data + pos);
        const uint32_t length = GetLE32(data + pos + 4);
        pos += 8;
        if (length > (size - pos) / 2) {
            table.clear();
            return false;
        }
        std::u16string text;
        text.reserve(length);
        for (uint32_t k = 0; k < length; ++k)
            text += static_cast<char16_t>(GetLE16(data + pos + 2 * size_t{k}));
        pos += 2 * size_t{length};
        if (!table.emplace(id, std::move(text)).second) {
            table.clear();
            return false;
        }
    }
    return true;
}

std::shared_ptr<const StringMap> LoadLanguageTable(const std::string& path)
{
    std::vector<uint8_t> blob;
    if (ReadStringTableSection(path, blob) != ResourceStatus::Found)
        return nullptr;
    auto table = std::make_shared<StringMap>();
    if (!ParseLanguageTable(blob.data(), blob.size(), *table))
        return nullptr;
    return table;
}

std::shared_ptr<const StringMap> LoadLanguageTable(const std::u16string& path)
{
    return LoadLanguageTable(ToUtf8(path));
}

} // namespace Platform
