// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard as the core sees it: named formats holding bytes.
//
// The desktop front end binds IClipboard to the system clipboard; the
// command line and the tests use the in-memory CMemoryClipboard, which is
// also the process clipboard until another one is set.  Series travel in the
// private format "BrelmoraClipboardFormat" (see ClipboardData.h).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual bool HasFormat(const std::u16string& format) = 0;
    // The bytes of the format; empty when the clipboard does not hold it.
    virtual std::vector<uint8_t> GetData(const std::u16string& format) = 0;
    // Puts the bytes on the clipboard under the format, replacing what that
    // format held (other formats stay).
    virtual void SetData(const std::u16string& format, const std::vector<uint8_t>& bytes) = 0;
};

// A clipboard in memory, safe to use from several threads.
class CMemoryClipboard : public IClipboard {
public:
    bool HasFormat(const std::u16string& format) override;
    std::vector<uint8_t> GetData(const std::u16string& format) override;
    void SetData(const std::u16string& format, const std::vector<uint8_t>& bytes) override;
    // Empties the clipboard (every format).
    void Clear();

private:
    std::mutex m_lock;
    std::map<std::u16string, std::vector<uint8_t>> m_formats;
};

namespace Clipboard {

// The clipboard the document's copy and paste use.
IClipboard& Process();
// Binds the process clipboard (the front end does this once at start-up);
// null returns to the built-in in-memory clipboard.  The clipboard must
// outlive its binding.
void SetProcess(IClipboard* clipboard);

} // namespace Clipboard
