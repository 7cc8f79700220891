// A sink that keeps every measurement as one small file in a folder: the
// collector's archive for tests and for labs without a database.
//
// A measurement is known by its serial number, counter, time stamp and the
// SHA-256 of its original impacts.  Its file "<identity>.r<n>" holds the
// series as downloaded and as edited; storing it again unchanged adds
// nothing, with other edits it adds the next revision.  One Store writes
// every new file first (each flushed to the disk) and only then gives them
// their names, so a process killed in between leaves only whole files, and
// the next Store adds what is missing.
#pragma once

#include <mutex>
#include <string>

#include "collect/CollectSink.h"

namespace Collect {

class CSeriesFolderSink : public ICollectSink {
public:
    // Creates the folder (mode 0700) when it does not exist.  Throws
    // std::runtime_error naming the folder when it cannot be used.
    explicit CSeriesFolderSink(std::string folder);

    SStoreCounts Store(const CPaperData& original, const CPaperData& current, const std::u16string& source) override;

    // The identity of series `i` of `data`, 64 hex digits.
    static std::string Identity(const CPaperData& data, int i);

    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
    std::mutex m_mutex;
};

} // namespace Collect
