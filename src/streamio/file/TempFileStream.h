// SPDX-License-Identifier: GPL-3.0-or-later
// CTempFileStream: the file a safe save writes before it replaces its
// target.  It is created without a name (O_TMPFILE) in the target's folder,
// so a process killed while writing leaves nothing behind; only when the
// content is complete does Publish give it a short hidden name, which the
// save then renames over the target.  Where the file system has no unnamed
// files, the file gets the hidden name at once; such leftovers of a process
// that is gone are removed by the next save in the same folder.
//
// Hidden names: ".brelmora-<pid>-<n>.tmp" (short, so a 250-character target
// name still saves).
#pragma once

#include <string>
#include <sys/types.h>

#include "streamio/file/FileStream.h"

namespace StreamIO {

class CTempFileStream : public CFileStream {
public:
    // Creates the file in `folder` for reading and writing, with `mode`
    // (before the umask).  Throws the failure as a file exception naming
    // `displayName` (the target the user chose).
    CTempFileStream(const std::string& folder, mode_t mode, const std::u16string& displayName);
    // An unpublished named file is removed; an unnamed one vanishes.
    ~CTempFileStream() override;

    // Flushes the content to the disk.  Throws as Open does.
    void Sync();
    // Gives the file the permission bits `mode`.  Throws as Open does.
    void SetMode(mode_t mode);
    // Flushes the content to the disk and gives the file its hidden name;
    // returns the path.  Throws as Open does.
    std::string Publish();
    // The hidden name the file has now: empty for an unnamed file not yet
    // published.
    const std::string& HiddenName() const { return m_path; }

    // True when the file was created without a name.
    bool IsUnnamed() const { return m_unnamed; }

    // Removes hidden files of this kind in `folder` whose process is gone.
    static void RemoveStale(const std::string& folder);

private:
    std::string NewHiddenName() const;

    std::string m_folder;
    std::string m_path;       // the hidden name, once it has one
    bool m_unnamed = false;
    bool m_published = false;
};

} // namespace StreamIO
