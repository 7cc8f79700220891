// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchiveProject.h"

#include "archive/LabArchive.h"
#include "archive/SeriesState.h"
#include "data/PaperDoc.h"
#include "data/SeriesRecords.h"

namespace Archive {

void FillCollection(CPaperData& data, const std::vector<SArchivedRevision>& revisions)
{
    data.Clear();
    if (!revisions.empty() && revisions.front().infoBlock.size() == SeriesBytes::kInfoSize)
        data.SetInfoBlock(reinterpret_cast<const uint8_t*>(revisions.front().infoBlock.data()), SeriesBytes::kInfoSize);
    for (const SArchivedRevision& r : revisions)
        AppendRevision(data, r);
}

int FillProject(CLabArchive& archive, const std::vector<int64_t>& ids, CPaperDoc& doc)
{
    std::vector<SArchivedRevision> original, current;
    for (const int64_t id : ids) {
        std::vector<SArchivedRevision> history = archive.History(id);
        if (history.empty())
            continue;
        // One revision only: the same state is original and current.
        current.push_back(history.back());
        original.push_back(std::move(history.front()));
    }
    FillCollection(doc.GetOriginal(), original);
    FillCollection(doc.GetCurrent(), current);
    if (doc.GetCurrent().HasSeries())
        doc.BuildSummary();
    return doc.GetCurrent().GetCount();
}

bool OpenInNewProject(CLabArchive& archive, const std::vector<int64_t>& ids, CPaperDoc& doc)
{
    // Read first: a failing archive leaves the open project alone.
    CPaperDoc scratch;
    if (FillProject(archive, ids, scratch) == 0)
        return false;
    if (!doc.CloseProject())
        return false;
    FillProject(archive, ids, doc);
    doc.SetChangeMark();
    doc.NotifyViews(nullptr, -1);
    return doc.HasSeries();
}

bool AppendToProject(CLabArchive& archive, const std::vector<int64_t>& ids, CPaperDoc& doc)
{
    CPaperDoc scratch;
    if (FillProject(archive, ids, scratch) == 0)
        return false;
    return doc.AppendProject(scratch);
}

} // namespace Archive
