// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StringTable.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace Platform {

// Generated from resources/strings/en; sorted by id.
extern const BuiltinString g_builtinStrings[];
extern const size_t g_builtinStringCount;

namespace {

std::mutex g_mutex;
std::shared_ptr<const StringMap> g_language;
std::atomic<uint64_t> g_generation{0};

const BuiltinString* FindBuiltin(uint32_t id)
{
    const BuiltinString* begin = g_builtinStrings;
    const BuiltinString* end = g_builtinStrings + g_builtinStringCount;
    const BuiltinString* it = std::lower_bound(begin, end, id,
        [](const BuiltinString& s, uint32_t v) { return s.id < v; });
    return (it != end && it->id == id) ? it : nullptr;
}

} // namespace

std::u16string LoadString(uint32_t id)
{
    std::shared_ptr<const StringMap> language = GetLanguageStrings();
    if (language) {
        auto it = language->find(id);
        if (it != language->end())
            return it->second;
    }
    const BuiltinString* s = FindBuiltin(id);
    return s ? std::u16string(s->text) : std::u16string();
}

bool HasBuiltinString(uint32_t id)
{
    return FindBuiltin(id) != nullptr;
}

std::vector<uint32_t> BuiltinStringIds()
{
    std::vector<uint32_t> ids;
    ids.reserve(g_builtinStringCount);
    for (size_t i = 0; i < g_builtinStringCount; ++i)
        ids.push_back(g_builtinStrings[i].id);
    return ids;
}

void SetLanguageStrings(std::shared_ptr<const StringMap> table)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_language = std::move(table);
    g_generation.fetch_add(1, std::memory_order_release);
}

uint64_t LanguageGeneration()
{
    return g_generation.load(std::memory_order_acquire);
}

std::shared_ptr<const StringMap> GetLanguageStrings()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_language;
}

} // namespace Platform
