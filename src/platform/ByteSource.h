// SPDX-License-Identifier: GPL-3.0-or-later
// Random-access reading of a file (or of bytes in memory) as plain data.
//
// The readers of executable files (ELF sections, PE resources) work on a
// byte source so that every read is checked against the real size, and so
// that tests can feed them damaged data without writing files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

class CByteSource {
public:
    virtual ~CByteSource() = default;

    // Number of bytes the source holds.
    virtual uint64_t Size() const = 0;

    // Copies `count` bytes from `offset`; false (nothing promised about the
    // buffer) when the range does not lie wholly inside the source.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t count) const = 0;

    // True when [offset, offset + count) lies inside the source (no overflow).
    bool Contains(uint64_t offset, uint64_t count) const
    {
        const uint64_t size = Size();
        return offset <= size && count <= size - offset;
    }

    // Reads `count` bytes into `out`; false when the range is outside.  The
    // range is checked before anything is allocated.
    bool ReadBytes(uint64_t offset, uint64_t count, std::vector<uint8_t>& out) const;
};

// A regular file opened read-only.  Anything but a regular file (a folder, a
// pipe, a device) is refused so that reading can never block.
class CFileByteSource : public CByteSource {
public:
    CFileByteSource() = default;
    ~CFileByteSource() override;
    CFileByteSource(const CFileByteSource&) = delete;
    CFileByteSource& operator=(const CFileByteSource&) = delete;

    // Opens `path` (UTF-8); returns 0 or the Win32 error number.
    uint32_t Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t count) const override;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

// Bytes held by the caller; the memory must outlive the source.
class CMemoryByteSource : public CByteSource {
public:
    CMemoryByteSource(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    explicit CMemoryByteSource(const std::vector<uint8_t>& data)
        : CMemoryByteSource(data.data(), data.size()) {}

    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t count) const override;

private:
    const uint8_t* m_data;
    size_t m_size;
};

// Little- and big-endian numbers from a byte buffer (no alignment needed).
inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetLE64(const uint8_t* p) { return GetLE32(p) | (static_cast<uint64_t>(GetLE32(p + 4)) << 32); }
inline uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t GetBE32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline uint64_t GetBE64(const uint8_t* p) { return (static_cast<uint64_t>(GetBE32(p)) << 32) | GetBE32(p + 4); }

} // namespace Platform
