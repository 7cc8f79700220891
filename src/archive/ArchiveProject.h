// SPDX-License-Identifier: GPL-3.0-or-later
// Archived series back in a project: the first archived state of each
// measurement in the original collection, the newest in the current one,
// so a project built from the archive opens, edits and re-archives as one
// that came from a download.  Used by `archive export` and by the archive
// window's Open and Add to project.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/ArchiveRecords.h"

class CPaperData;
class CPaperDoc;

namespace Archive {

class CLabArchive;

// Replaces `data` by the revisions (with content), with the first one's
// information block; a revision whose bytes are not one series is left out.
void FillCollection(CPaperData& data, const std::vector<SArchivedRevision>& revisions);

// Fills the empty document `doc` with the measurements `ids` in their order
// (first revision: original, newest: current) and builds its summary.
// Unknown IDs are left out; returns how many series the document holds.
// Throws CArchiveError when the archive fails.
int FillProject(CLabArchive& archive, const std::vector<int64_t>& ids, CPaperDoc& doc);

// A new project of the measurements `ids`: the open one is closed first
// through the document's own close (which asks to save changes); false when
// the user kept it open or no series was found.  The new project has no
// path and carries the change mark, as a download does.
bool OpenInNewProject(CLabArchive& archive, const std::vector<int64_t>& ids, CPaperDoc& doc);

// Appends the newest revisions of `ids` to the open project as a paste
// does; false when nothing was added.
bool AppendToProject(CLabArchive& archive, const std::vector<int64_t>& ids, CPaperDoc& doc);

} // namespace Archive
