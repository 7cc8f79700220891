// Replacing a file without ever leaving it half written.
//
// The content is written to a temporary file in the target's folder, flushed
// to the disk, and then renamed over the target.  On any failure the
// temporary file is removed and the old target stays exactly as it was.
#pragma once

#include <functional>
#include <string>

namespace StreamIO {
class CIoStream;
}

namespace AtomicFile {

// Calls `writeContent` with a stream open for writing on a new temporary
// file beside `path`, then commits it as `path`.  A symbolic link is
// followed, and the replaced file's permissions are kept.  Throws
// Platform::CFileException naming `path` (with the cause's error number)
// when the file cannot be created, written, flushed or renamed, also when
// `writeContent` throws; the temporary file is then removed.
void Write(const std::u16string& path, const std::function<void(StreamIO::CIoStream&)>& writeContent);

} // namespace AtomicFile
