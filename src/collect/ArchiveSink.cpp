// SPDX-License-Identifier: GPL-3.0-or-later
#include "collect/ArchiveSink.h"

#include <stdexcept>

#include "archive/ArchiveError.h"
#include "platform/Text.h"

namespace Collect {

CArchiveSink::CArchiveSink(std::unique_ptr<Archive::CLabArchive> archive) : m_archive(std::move(archive)) {}

SStoreCounts CArchiveSink::Store(const CPaperData& original, const CPaperData& current, const std::string& port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    try {
        const Archive::SImportCounts n =
            m_archive->Import(original, current, Archive::DownloadSource(Platform::FromUtf8(port)));
        SStoreCounts counts;
        counts.added = n.added;
        counts.revised = n.revised;
        counts.unchanged = n.unchanged;
        return counts;
    } catch (const Archive::CArchiveError& e) {
        throw std::runtime_error(Platform::ToUtf8(e.Text()));
    }
}

} // namespace Collect
