// SPDX-License-Identifier: GPL-3.0-or-later
// Where the collector hands every download: the archive.  One call stores
// the collection as downloaded and as it stands now (for a download both are
// the same) with the port it came from, in one transaction:
// when it returns, everything is durable; when it throws, nothing of it is
// (a measurement the sink already holds is never stored twice).
#pragma once

#include <string>

class CPaperData;

namespace Collect {

struct SStoreCounts {
    int added = 0;       // measurements the sink did not hold
    int revised = 0;     // held, but with other edits: a new revision
    int unchanged = 0;   // held exactly so: nothing stored
};

class ICollectSink {
public:
    virtual ~ICollectSink() = default;
    // Called from the workers' threads, possibly at once: the sink
    // serialises what must be.  Throws (std::exception, with a message
    // naming what failed) when the transaction did not commit.
    virtual SStoreCounts Store(const CPaperData& original, const CPaperData& current, const std::string& port) = 0;
};

} // namespace Collect
