// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatchOutput.h"

#include <cstdio>
#include <exception>

#include "CliCommon.h"
#include "JsonWriter.h"
#include "WatchStrings.h"
#include "data/AtomicFile.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"

namespace Cli {

namespace {

using Collect::EEvent;

std::string U8(const std::u16string& text)
{
    return Platform::ToUtf8(text);
}

void TimeField(CJsonWriter& json, const char* key, std::time_t when)
{
    json.Key(key);
    if (when == 0)
        json.Null();
    else
        json.String(UtcTimeText(when));
}

} // namespace

std::string UtcTimeText(std::time_t when)
{
    std::tm utc {};
    ::gmtime_r(&when, &utc);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string EventLine(const Collect::SEvent& e)
{
    std::u16string text;
    const std::string serial = U8(e.serial);
    const std::string cause = U8(e.cause);
    switch (e.kind) {
    case EEvent::Found:
        text = Platform::FormatU(Text(kWatchFound).c_str(), serial.c_str());
        break;
    case EEvent::Absent:
        text = Platform::FormatU(Text(kWatchAbsent).c_str(), cause.c_str());
        break;
    case EEvent::Downloaded:
        text = Platform::FormatU(Text(kWatchDownloaded).c_str(), e.series, serial.c_str());
        break;
    case EEvent::Archived:
        text = Platform::FormatU(Text(kWatchArchived).c_str(), e.series, e.counts.added, e.counts.revised,
                                 e.counts.unchanged);
        break;
    case EEvent::Saved:
        text = Platform::FormatU(Text(kWatchSaved).c_str(), e.file.c_str());
        break;
    case EEvent::Deleted:
        text = Platform::FormatU(Text(kWatchDeleted).c_str(), e.series);
        break;
    case EEvent::Kept:
        text = Platform::FormatU(Text(kWatchKept).c_str(), cause.c_str());
        break;
    case EEvent::Lost:
        text = Platform::FormatU(Text(kWatchLost).c_str(), cause.c_str());
        break;
    case EEvent::Error:
        text = Platform::FormatU(Text(kWatchError).c_str(), cause.c_str());
        break;
    }
    return e.target + ": " + U8(text);
}

std::string EventJson(const Collect::SEvent& e)
{
    CJsonWriter json;
    json.BeginObject();
    TimeField(json, "time", e.time);
    json.Key("event");
    json.String(Collect::EventName(e.kind));
    json.Key("port");
    json.String(e.target);
    json.Key("serial");
    if (e.serial.empty())
        json.Null();
    else
        json.String(e.serial);
    switch (e.kind) {
    case EEvent::Downloaded:
    case EEvent::Deleted:
        json.Key("series");
        json.Number(e.series);
        break;
    case EEvent::Archived:
        json.Key("series");
        json.Number(e.series);
        json.Key("added");
        json.Number(e.counts.added);
        json.Key("revised");
        json.Number(e.counts.revised);
        json.Key("unchanged");
        json.Number(e.counts.unchanged);
        break;
    case EEvent::Saved:
        json.Key("file");
        json.String(e.file);
        break;
    case EEvent::Kept:
        json.Key("series");
        json.Number(e.series);
        json.Key("heldNow");
        if (e.heldNow < 0)
            json.Null();
        else
            json.Number(e.heldNow);
        json.Key("cause");
        json.String(e.cause);
        break;
    case EEvent::Error:
        json.Key("step");
        json.String(Collect::StepName(e.step));
        json.Key("cause");
        json.String(e.cause);
        break;
    case EEvent::Absent:
    case EEvent::Lost:
        json.Key("cause");
        json.String(e.cause);
        break;
    default:
        break;
    }
    json.EndObject();
    return json.Text();
}

std::string StatusJson(const std::vector<Collect::SInstrumentState>& states, std::time_t now)
{
    CJsonWriter json;
    json.BeginObject();
    TimeField(json, "updated", now);
    json.Key("instruments");
    json.BeginArray();
    for (const Collect::SInstrumentState& s : states) {
        json.BeginObject();
        json.Key("port");
        json.String(s.target);
        json.Key("state");
        json.String(Collect::StateName(s.state));
        json.Key("serial");
        if (s.serial.empty())
            json.Null();
        else
            json.String(s.serial);
        TimeField(json, "lastPass", s.lastPass);
        json.Key("lastDownload");
        if (s.lastDownload == 0) {
            json.Null();
        } else {
            json.BeginObject();
            TimeField(json, "time", s.lastDownload);
            json.Key("series");
            json.Number(s.lastDownloadSeries);
            json.EndObject();
        }
        json.Key("lastError");
        if (s.lastError == 0) {
            json.Null();
        } else {
            json.BeginObject();
            TimeField(json, "time", s.lastError);
            json.Key("text");
            json.String(s.lastErrorText);
            json.EndObject();
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text() + "\n";
}

CWatchReporter::CWatchReporter(bool json, std::string statusPath) : m_json(json), m_statusPath(std::move(statusPath)) {}

void CWatchReporter::SetSnapshot(Snapshot snapshot)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_snapshot = std::move(snapshot);
}

void CWatchReporter::OnCollectEvent(const Collect::SEvent& event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (event.kind == EEvent::Error && event.step == Collect::EStep::Archive)
        m_archiveFailed = true;
    if (event.kind == EEvent::Error && event.step == Collect::EStep::Save)
        m_saveFailed = true;
    const std::string line = m_json ? EventJson(event) : EventLine(event);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    WriteStatusLocked();
}

void CWatchReporter::Note(const std::u16string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_json) {
        CJsonWriter json;
        json.BeginObject();
        TimeField(json, "time", std::time(nullptr));
        json.Key("event");
        json.String("note");
        json.Key("text");
        json.String(text);
        json.EndObject();
        std::fprintf(stderr, "%s\n", json.Text().c_str());
    } else {
        std::fprintf(stderr, "brelmora-cli: %s\n", U8(text).c_str());
    }
    std::fflush(stderr);
}

void CWatchReporter::WriteStatus()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    WriteStatusLocked();
}

void CWatchReporter::WriteStatusLocked()
{
    if (m_statusPath.empty() || !m_snapshot)
        return;
    const std::string content = StatusJson(m_snapshot(), std::time(nullptr));
    try {
        AtomicFile::WriteBytes(Platform::FromUtf8(m_statusPath), reinterpret_cast<const uint8_t*>(content.data()),
                               content.size());
        m_statusFailed = false;
    } catch (const Platform::CFileException& e) {
        // Said once until it works again; the watch goes on.
        if (!m_statusFailed)
            std::fprintf(stderr, "%s: %s\n", m_statusPath.c_str(),
                         U8(Platform::FormatU(Text(kWatchStatusFailed).c_str(),
                                              Platform::DescribeError(e.GetOsError())))
                             .c_str());
        m_statusFailed = true;
    }
}

} // namespace Cli
