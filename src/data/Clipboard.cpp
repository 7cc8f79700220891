// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Clipboard.h"

#include <atomic>

bool CMemoryClipboard::HasFormat(const std::u16string& format)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_formats.count(format) != 0;
}

std::vector<uint8_t> CMemoryClipboard::GetData(const std::u16string& format)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_formats.find(format);
    return it != m_formats.end() ? it->second : std::vector<uint8_t>();
}

void CMemoryClipboard::SetData(const std::u16string& format, const std::vector<uint8_t>& bytes)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_formats[format] = bytes;
}

void CMemoryClipboard::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_formats.clear();
}

namespace Clipboard {

namespace {

std::atomic<IClipboard*>& Bound()
{
    static std::atomic<IClipboard*> bound{nullptr};
    return bound;
}

IClipboard& BuiltIn()
{
    // Never destroyed: a late copy or paste during shutdown stays safe.
    static CMemoryClipboard* clipboard = new CMemoryClipboard();
    return *clipboard;
}

} // namespace

IClipboard& Process()
{
    IClipboard* bound = Bound().load();
    return bound != nullptr ? *bound : BuiltIn();
}

void SetProcess(IClipboard* clipboard)
{
    Bound().store(clipboard);
}

} // namespace Clipboard
