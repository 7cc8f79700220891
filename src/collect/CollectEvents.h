// SPDX-License-Identifier: GPL-3.0-or-later
// What the collector reports: one event per step of a pass, and the state of
// every instrument for a status display.  Events arrive on the workers'
// threads, one at a time (the collector serialises them).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "collect/CollectSink.h"

namespace Collect {

enum class EEvent {
    Found,        // an instrument answered: serial
    Absent,       // nothing answers where one answered before, or at the first pass
    Downloaded,   // series: how many came
    Archived,     // counts: what the sink stored
    Saved,        // file: the project file written
    Deleted,      // series: how many were deleted on the instrument
    Kept,         // the instrument's series were not deleted: cause says why
    Lost,         // the instrument went away during the pass: cause
    Error,        // a step failed (archive, project file, delete): cause
};

// The step an Error event is about.
enum class EStep {
    Transfer,     // the instrument's data (cannot transfer, nothing whole)
    Archive,      // the sink's transaction
    Save,         // the project file
    Delete,       // the delete on the instrument
};

const char* StepName(EStep step);

// The event's name in machine-readable output ("found", "downloaded", ...).
const char* EventName(EEvent kind);

struct SEvent {
    EEvent kind = EEvent::Found;
    std::string target;        // SCollectTarget::name
    std::u16string serial;     // the instrument's serial number, when known
    int series = 0;            // Downloaded, Deleted; Kept: the series downloaded
    int heldNow = -1;          // Kept: the series the instrument holds now (-1: unknown)
    SStoreCounts counts;       // Archived
    std::string file;          // Saved
    std::u16string cause;      // Kept, Lost, Error
    EStep step = EStep::Transfer;   // Error
    std::time_t time = 0;      // when it happened (UTC seconds)
};

class ICollectListener {
public:
    virtual ~ICollectListener() = default;
    virtual void OnCollectEvent(const SEvent& event) = 0;
};

enum class EState {
    Waiting,      // between passes; the last one went well (or none ran yet)
    Collecting,   // a pass is running
    Absent,       // no instrument answered at the last pass
    Failed,       // the last pass ended with an error
};

const char* StateName(EState state);

struct SInstrumentState {
    std::string target;
    EState state = EState::Waiting;
    std::u16string serial;
    std::time_t lastDownload = 0;   // 0: none yet
    int lastDownloadSeries = 0;
    std::time_t lastError = 0;      // 0: none yet
    std::u16string lastErrorText;
    std::time_t lastPass = 0;       // end of the last pass; 0: none yet
};

} // namespace Collect
