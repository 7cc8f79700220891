// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over one instrument: connect, identify, download when it holds
// series, hand them to the sink (one transaction), save the project file
// when asked, delete on the instrument when asked and safe, disconnect.
//
// The delete rule: the series are deleted only after the sink committed and
// the project file (when asked) is on the disk, only when the whole stream
// parsed, and only when the instrument, read again just before the delete,
// still holds the same number of series with the same last counter.  A
// series measured in between is kept and comes with the next pass.
#pragma once

#include <ctime>
#include <string>

#include "collect/CollectEvents.h"
#include "collect/CollectSink.h"
#include "collect/CollectTarget.h"

namespace Collect {

struct SPassOptions {
    ICollectSink* sink = nullptr;   // null: nothing archived (and nothing deleted)
    std::string saveDir;            // not empty: one project file per download here
    bool deleteAfterArchive = false;
};

enum class EPassResult {
    Absent,      // nothing could be opened, or nothing answered
    Empty,       // an instrument answered and holds no series
    Collected,   // the series were downloaded and every asked step succeeded
    Lost,        // the instrument went away during the pass
    Failed,      // a step failed (the sink, the project file, the delete, the transfer)
    Stopped,     // the stop request ended the pass; nothing half done
};

// What a pass needs from whoever runs it.
class IPassHost {
public:
    virtual ~IPassHost() = default;
    // True once the collector is stopping: every exchange ends, nothing new
    // starts; a sink transaction under way finishes.
    virtual bool StopRequested() = 0;
    virtual void Report(const SEvent& event) = 0;
    // Brackets the steps that must not be cut off by the end of the
    // process: the sink's transaction, the file, the delete.
    virtual void EnterCritical() = 0;
    virtual void LeaveCritical() = 0;
};

struct SPassReport {
    EPassResult result = EPassResult::Absent;
    std::u16string serial;     // of the instrument that answered
    std::u16string cause;      // Absent, Lost, Failed: why
    int downloaded = 0;
};

SPassReport RunPass(const SCollectTarget& target, const SPassOptions& options, IPassHost& host);

// "SERIAL_YYYYMMDD-hhmmss.vnr" of a download at local time `when`; the
// characters of the serial number that cannot be in a file name become "_".
std::string ProjectFileName(const std::u16string& serial, std::time_t when);

} // namespace Collect
