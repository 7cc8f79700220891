// SPDX-License-Identifier: GPL-3.0-or-later
// The files one command writes, written all or nothing.
//
// Each file's content goes to a new temporary file beside its target and is
// flushed to the disk (AtomicFile::CPendingFile).  Only when every temporary
// is complete are they renamed over their targets, so a failure while
// writing leaves no file changed and no temporary behind.  (What remains is the short window
// between two renames in which a second rename could fail; targets that are
// folders are refused before the first rename.)
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace StreamIO {
class CIoStream;
}

namespace Cli {

class COutputFiles {
public:
    using Writer = std::function<void(StreamIO::CIoStream&)>;

    // Adds a target; `write` fills the stream (throwing
    // Platform::CFileException on failure).
    void Add(const std::string& path, Writer write);

    // Writes and commits every file.  On failure nothing is committed,
    // `failedPath` names the file the user gave and `error` says why.
    bool Commit(std::string& failedPath, uint32_t& error);

    // A Win32 error number when a file cannot be created at `path` (its
    // folder is missing or not writable, the path is a folder, a special
    // file, a read-only file or a link to nothing); 0 else.
    static uint32_t CheckCreatable(const std::string& path);

private:
    struct SEntry {
        std::string path;   // as given
        Writer write;
    };

    std::vector<SEntry> m_entries;
};

} // namespace Cli
