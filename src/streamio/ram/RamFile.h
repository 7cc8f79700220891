// SPDX-License-Identifier: GPL-3.0-or-later
// CRamFile: one named file of the RAM disk, either linear (random access,
// like a disk file) or a FIFO (a ring buffer whose reads consume what writes
// appended).
//
// The buffer grows in steps of 512 bytes.  A FIFO is never full: a write
// grows it first so that one byte stays free, which keeps "start == end"
// meaning "empty".  Every data operation takes the file's own lock, so a
// writer thread and a reader thread may share a FIFO.  The disk (CRamDisk)
// decides who may open the file and keeps the reference count; it takes its
// own lock first and the file's lock inside it, never the other way round.
//
// Growth that cannot get memory throws std::bad_alloc; the stream turns that
// into its error 14.  Once the disk is freed (library shutdown) the file is
// detached: its data is gone and every operation reports it through the
// `detached` result, so a stream that outlives the disk never touches freed
// memory.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace StreamIO {

class CRamFile {
public:
    // Run-time marks of a FIFO opened without share flags.
    static constexpr uint32_t kReaderMark = 0x10000000;
    static constexpr uint32_t kWriterMark = 0x20000000;
    // The open flags a file keeps from its creating open.
    static constexpr uint32_t kCreationFlagsMask = 0x1300;
    static constexpr uint32_t kGrowStep = 512;

    // `openFlags` of the creating open; only SF_SHARE_READ, SF_SHARE_WRITE
    // and SF_FIFO are kept.
    explicit CRamFile(uint32_t openFlags);
    ~CRamFile();

    CRamFile(const CRamFile&) = delete;
    CRamFile& operator=(const CRamFile&) = delete;

    bool IsFifo() const;
    bool HasShareFlags() const;
    // The kept creation flags plus the reader/writer marks.
    uint32_t GetFlags() const;
    uint32_t GetCapacity();

    // Length of the data (under the file's lock).
    uint32_t GetLength();

    // Linear files.  ReadAt copies min(count, length - pos) bytes (0 when
    // pos lies at or beyond the end).  WriteAt grows to pos + count, fills a
    // gap between the old end and pos with zeros, copies and moves the end
    // when it passed it; it returns false when pos + count exceeds 32 bits.
    // SetLength grows or shrinks the data (added bytes are zero); 0 frees it.
    uint32_t ReadAt(uint32_t pos, void* buffer, uint32_t count, bool& detached);
    bool WriteAt(uint32_t pos, const void* buffer, uint32_t count, bool& detached);
    void SetLength(uint32_t length, bool& detached);

    // FIFO files.  Pop consumes up to count bytes from the start; Push
    // appends count bytes at the end, growing first to length + count + 1
    // (false when that exceeds 32 bits).  Free discards the ring.
    uint32_t Pop(void* buffer, uint32_t count, bool& detached);
    bool Push(const void* buffer, uint32_t count, bool& detached);

    // Grows the capacity to at least `bytes` (no shrinking).
    void Reserve(uint32_t bytes, bool& detached);

    // Frees the data: capacity 0, no buffer.
    void Free();

    // Reference count and marks; changed only under the disk's lock.
    uint32_t AddRef() { return ++m_refCount; }
    uint32_t ReleaseRef() { return --m_refCount; }
    uint32_t GetRefCount() const { return m_refCount; }
    void SetMarks(uint32_t marks);
    void ClearMarks(uint32_t marks);

    // Frees the data and makes every later operation report `detached`.
    void Detach();
    bool IsDetached();

private:
    uint32_t LengthLocked() const;
    // Grows the capacity to at least `request`, moving the data so that it
    // starts at the beginning of the allocation.  Throws std::bad_alloc.
    void GrowLocked(uint64_t request);
    void FreeLocked();

    std::atomic<uint32_t> m_flags;
    uint32_t m_growStep = kGrowStep;
    uint32_t m_capacity = 0;
    uint8_t* m_buffer = nullptr;
    uint32_t m_start = 0;   // offset of the data's start (FIFO read position)
    uint32_t m_end = 0;     // offset of the data's end (FIFO write position)
    std::atomic<uint32_t> m_refCount{0};
    bool m_detached = false;
    std::mutex m_lock;
};

} // namespace StreamIO
