// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the project reader on arbitrary bytes.
//
// Every input is read from a seekable memory stream (as from a file) and
// from one that cannot tell its length (as from a pipe), plainly and merged
// into a document that already holds series.  A project that reads without
// error must write and read back to the same numbers of series.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/PaperDoc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/VnArchive.h"

namespace {

class CMemoryStream : public StreamIO::CIoStream {
public:
    CMemoryStream(std::vector<uint8_t> bytes, bool seekable) : m_bytes(std::move(bytes)), m_seekable(seekable)
    {
        m_name = u"fuzz-project";
        m_flags = StreamIO::SF_READ | StreamIO::SF_WRITE;
    }
    ~CMemoryStream() override { m_open = false; }

    bool Open(const std::u16string&, uint32_t) override { return false; }
    void Close() override { m_open = false; }
    bool IsOpen() override { return m_open; }
    bool IsSeekable() override { return m_seekable; }
    uint32_t GetLength() override { return static_cast<uint32_t>(m_bytes.size()); }
    uint32_t GetPosition() override { return static_cast<uint32_t>(m_pos); }
    uint32_t SetPosition(uint32_t pos) override
    {
        m_pos = std::min<size_t>(pos, m_bytes.size());
        return static_cast<uint32_t>(m_pos);
    }
    uint32_t Seek(long offset, int origin) override
    {
        long base = origin == StreamIO::ORIGIN_BEGIN ? 0
                    : origin == StreamIO::ORIGIN_END ? static_cast<long>(m_bytes.size())
                                                     : static_cast<long>(m_pos);
        return SetPosition(static_cast<uint32_t>(std::max(0L, base + offset)));
    }
    uint32_t Read(void* buffer, uint32_t count) override
    {
        const size_t n = std::min<size_t>(count, m_bytes.size() - m_pos);
        if (n != 0)
            std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        if (n == 0 && count != 0)
            SetError(Platform::ERROR_HANDLE_EOF);
        return static_cast<uint32_t>(n);
    }
    uint32_t Write(const void* buffer, uint32_t count) override
    {
        const uint8_t* p = static_cast<const uint8_t*>(buffer);
        m_bytes.insert(m_bytes.end(), p, p + count);
        return count;
    }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_pos = 0;
    bool m_seekable;
    bool m_open = true;
};

bool Read(CPaperDoc& doc, const std::vector<uint8_t>& bytes, bool seekable, bool merge)
{
    CMemoryStream stream(bytes, seekable);
    try {
        StreamIO::CVnArchive archive(stream.GetId(), StreamIO::CVnArchive::load);
        doc.ReadProject(archive, merge);
        return true;
    } catch (const Platform::CFileException&) {
        return false;
    }
}

void Touch(const CPaperData& data)
{
    for (int i = 0; i < data.GetCount(); ++i) {
        if (data.GetImpactCount(i) > 255)
            __builtin_trap();
        data.ComputeStatistics(i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);

    CPaperDoc doc;
    const bool ok = Read(doc, bytes, true, false);
    Touch(doc.GetCurrent());
    Touch(doc.GetOriginal());
    doc.GetCurrent().Sort(static_cast<uint8_t>(size % 23));

    if (ok) {
        // What was read writes and reads back.
        CMemoryStream out({}, true);
        {
            StreamIO::CVnArchive archive(out.GetId(), 0);
            doc.WriteProject(archive);
            archive.Flush();
        }
        CPaperDoc again;
        if (!Read(again, out.Bytes(), true, false) ||
            again.GetCount() != doc.GetCount() ||
            again.GetOriginal().GetCount() != doc.GetOriginal().GetCount())
            __builtin_trap();
    }

    // A stream that cannot tell its length, merged into a document.
    CPaperDoc merged;
    // One downloaded series: ID, counter, date, one impact, limits 0 and 200.
    const uint8_t seed[] = {'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            1, 0, 2, 0, 0, 0, 1, 0, 200, 0, 0, 80, 0xDC, 0x05, 0};
    merged.StoreDownloadedSeries(seed, sizeof seed);
    Read(merged, bytes, false, true);
    Touch(merged.GetCurrent());
    return 0;
}
