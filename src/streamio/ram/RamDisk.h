// SPDX-License-Identifier: GPL-3.0-or-later
// CRamDisk: a process-wide in-memory store of named byte files (CRamFile),
// reached through CRamStream with names "RAM:<file>".
//
// The disk decides who may open a file (share and creation rules) and keeps
// each file's reference count: a file lives from the open that creates it
// until the last stream that has it open releases it.  One lock guards the
// map and the reference counts; a file's own lock is taken inside it.
//
// Files are held by shared pointers: a stream keeps its file (and the disk)
// alive, so freeing the disk at library shutdown detaches the files instead
// of deleting memory a late stream could still reach.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "streamio/ram/RamFile.h"

namespace StreamIO {

class CRamDisk {
public:
    // File name -> file; keys compare case-sensitively.
    using CFileMap = std::unordered_map<std::u16string, std::shared_ptr<CRamFile>>;

    // The name must end in exactly one colon: an empty name or one without
    // a colon gets one appended; a name whose first colon is not its last
    // character is refused with error 123 (thrown as a file exception).
    explicit CRamDisk(const std::u16string& name);
    ~CRamDisk();

    CRamDisk(const CRamDisk&) = delete;
    CRamDisk& operator=(const CRamDisk&) = delete;

    const std::u16string& GetName() const { return m_name; }

    // Opens the file that `streamName` (disk name first, compared ignoring
    // ASCII case) names, with the stream's open flags:
    //   existing file: 80 for create-new; create-always gives 32 without
    //   SF_SHARE_WRITE and 110 on a FIFO; a linear file or a FIFO created
    //   with a share flag gives 32 when reading (writing) is asked and the
    //   file lacks SF_SHARE_READ (SF_SHARE_WRITE), create-always then
    //   empties it; a FIFO created without share flags gives 32 when a
    //   reader (writer) holds it and reading (writing) is asked.
    //   missing file: 2 for open-existing, otherwise a new empty file.
    // A name that is not on this disk or whose file name holds a colon gives
    // 123; a freed disk gives 21.  Failures are returned as error numbers
    // (0 = success) with `file` left empty.
    uint32_t OpenFile(const std::u16string& streamName, uint32_t flags, std::shared_ptr<CRamFile>& file);

    // Releases one reference taken by OpenFile; `flags` are the open flags
    // of the closing stream.  The last release removes the file and frees
    // its data.
    void ReleaseFile(const std::shared_ptr<CRamFile>& file, uint32_t flags);

    // Detaches and drops every file; later opens fail with 21.
    void FreeAll();

    // Number of files on the disk.
    size_t GetFileCount();
    // True when a file of that name exists.
    bool HasFile(const std::u16string& fileName);

private:
    std::u16string m_name;
    CFileMap m_files;
    bool m_freed = false;
    std::mutex m_lock;
};

// The process-wide disk "RAM:" (null before Initialize and after Shutdown).
std::shared_ptr<CRamDisk> GetRamDisk();

} // namespace StreamIO
