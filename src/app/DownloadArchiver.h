// SPDX-License-Identifier: GPL-3.0-or-later
// After each download the new series go into the archive on a worker (the
// window keeps painting); a failure is one message naming the archive and
// the cause, and the download stays in the document.  File > Add to
// archive does the same for the open project.  The demo archives into a
// temporary archive of its own, gone with the process.
#pragma once

#include <string>

class CPaperDoc;
class QWidget;

namespace DownloadArchiver {

// Archives the document's two collections as they are now, from `source`
// ("download from PORT" or the project's path); `parent` shows the message.
void Start(const CPaperDoc& doc, const std::u16string& source, bool download, QWidget* parent);
// After a download: Start when the setting says so.
void AfterDownload(const CPaperDoc& doc, QWidget* parent);

// The demo's archive: a file in a temporary folder removed at exit; the
// archive window and the downloads of this process use it.
void UseTemporaryArchive();

// Archives running now (tests wait for 0).
int Running();

} // namespace DownloadArchiver
