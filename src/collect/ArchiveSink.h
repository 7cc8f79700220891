// SPDX-License-Identifier: GPL-3.0-or-later
// The collector's sink on the lab archive: each download is one import (one
// transaction), the workers' imports one after another on one connection.
#pragma once

#include <memory>
#include <mutex>

#include "archive/LabArchive.h"
#include "collect/CollectSink.h"

namespace Collect {

class CArchiveSink : public ICollectSink {
public:
    explicit CArchiveSink(std::unique_ptr<Archive::CLabArchive> archive);

    // Throws std::runtime_error with the archive's message when the import
    // did not commit.
    SStoreCounts Store(const CPaperData& original, const CPaperData& current, const std::string& port) override;

    Archive::CLabArchive& Archive() { return *m_archive; }

private:
    std::unique_ptr<Archive::CLabArchive> m_archive;
    std::mutex m_mutex;
};

} // namespace Collect
