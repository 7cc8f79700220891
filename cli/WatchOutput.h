// SPDX-License-Identifier: GPL-3.0-or-later
// What brelmora-cli watch says: one line per event on standard error (with
// --json one JSON object per line), and with --status FILE a JSON file of
// every instrument's state, replaced whole after every event.
#pragma once

#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "collect/CollectEvents.h"

namespace Cli {

// "2026-12-09T15:04:05Z"
std::string UtcTimeText(std::time_t when);

// One event as its text line (without the line break).
std::string EventLine(const Collect::SEvent& event);
// One event as a JSON object on one line.
std::string EventJson(const Collect::SEvent& event);
// The status file's content.
std::string StatusJson(const std::vector<Collect::SInstrumentState>& states, std::time_t now);

class CWatchReporter : public Collect::ICollectListener {
public:
    using Snapshot = std::function<std::vector<Collect::SInstrumentState>()>;

    CWatchReporter(bool json, std::string statusPath);

    // Where the states for the status file come from (the collector).
    void SetSnapshot(Snapshot snapshot);
    void OnCollectEvent(const Collect::SEvent& event) override;
    // A line that is no instrument's event ("watching 3 places").
    void Note(const std::u16string& text);
    // Rewrites the status file now.
    void WriteStatus();

    // What went wrong so far, for the exit status of --once.
    bool ArchiveFailed() const { return m_archiveFailed; }
    bool SaveFailed() const { return m_saveFailed; }

private:
    void WriteStatusLocked();

    bool m_json;
    std::string m_statusPath;
    Snapshot m_snapshot;
    std::mutex m_mutex;
    bool m_statusFailed = false;
    bool m_archiveFailed = false;
    bool m_saveFailed = false;
};

} // namespace Cli
