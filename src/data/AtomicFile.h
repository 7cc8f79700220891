// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing files without ever leaving them half written.
//
// The content is written to a new unnamed file in the target's folder,
// flushed to the disk, and at the commit given a short hidden name and at
// once renamed over the target (StreamIO::CTempFileStream).  On any failure the temporary
// file is gone and the old target stays exactly as it was.  A symbolic link
// is followed (the link stays, the file it names gets the content; a link
// to nothing or a loop is error 1921), and the replaced file's permissions
// are kept.  Only regular files are replaced: a device, pipe or socket is
// error 222, a folder or a file without any write bit error 5.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace StreamIO {
class CIoStream;
class CTempFileStream;
}

namespace AtomicFile {

using Writer = std::function<void(StreamIO::CIoStream&)>;

// One file written but not yet committed.  Several of them let a command
// write all its files first and replace the targets only when every one of
// them was written.
class CPendingFile {
public:
    // Writes the content to a new temporary file beside `path` and flushes
    // it to the disk; the file stays unnamed (where the file system has
    // unnamed files) until Commit, so a process killed between the writes of
    // several files and their renames leaves nothing behind.  Throws
    // Platform::CFileException naming `path` (with the cause's error number)
    // when the file cannot be created, written or flushed, also when
    // `writeContent` throws; the temporary file is then removed.
    CPendingFile(const std::u16string& path, const Writer& writeContent);
    // Removes the temporary file unless it was committed.
    ~CPendingFile();
    CPendingFile(const CPendingFile&) = delete;
    CPendingFile& operator=(const CPendingFile&) = delete;

    // Renames the temporary file over the target.  Throws
    // Platform::CFileException naming the path on failure.
    void Commit();

private:
    // Removes the temporary file, named or not.
    void Discard();

    std::u16string m_path;   // as given
    std::string m_target;    // a symbolic link resolved to the file it names
    std::string m_temp;      // the hidden name while it has one; empty once committed or removed
    std::unique_ptr<StreamIO::CTempFileStream> m_stream;   // until committed or removed
};

// Writes and commits one file.
void Write(const std::u16string& path, const Writer& writeContent);
// Writes and commits one file holding `size` bytes.
void WriteBytes(const std::u16string& path, const uint8_t* data, size_t size);

// The file a write of `path` replaces: a symbolic link resolved (the path
// itself when the link cannot be resolved).
std::string ResolveTarget(const std::string& path);

} // namespace AtomicFile
