// SPDX-License-Identifier: GPL-3.0-or-later
#include "collect/CollectPass.h"

#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "collect/CollectStrings.h"
#include "data/AtomicFile.h"
#include "data/PaperData.h"
#include "data/PaperDoc.h"
#include "device/Callback.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"
#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/VnArchive.h"

namespace Collect {

namespace {

using Platform::LoadString;

// Set on the device for the whole pass: every exchange asks it between its
// waits, so a stop request ends even the identification of a silent
// instrument within 100 ms.
class CStopReceiver : public Device::CCallback {
public:
    explicit CStopReceiver(IPassHost& host) : m_host(host) { progressEnabled = false; }
    void OnDeviceFound(std::unique_ptr<Device::CVnDevice>) override {}
    void OnStatusText(const std::u16string&) override {}
    void OnFinished(const std::u16string&, uint32_t) override {}
    void OnProgress(int, int, int) override {}
    bool IsCancelRequested() override { return m_host.StopRequested(); }

private:
    IPassHost& m_host;
};

class CCritical {
public:
    explicit CCritical(IPassHost& host) : m_host(host) { m_host.EnterCritical(); }
    ~CCritical() { m_host.LeaveCritical(); }
    CCritical(const CCritical&) = delete;
    CCritical& operator=(const CCritical&) = delete;

private:
    IPassHost& m_host;
};

SEvent MakeEvent(EEvent kind, const SCollectTarget& target, const std::u16string& serial)
{
    SEvent e;
    e.kind = kind;
    e.target = target.name;
    e.serial = serial;
    e.time = std::time(nullptr);
    return e;
}

bool Exists(const std::string& path)
{
    return Platform::StatPath(path).Exists();
}

// Opens the target's stream; null with the cause in `cause`.
std::unique_ptr<StreamIO::CIoStream> OpenTarget(const SCollectTarget& target, Device::CVeltranoDevice& device,
                                                std::u16string& cause)
{
    if (target.link.kind == StreamIO::ELinkKind::Serial) {
        const std::string path = DevicePathOf(target);
        if (path.empty() || !Exists(path)) {
            cause = LoadString(kNoDeviceFile);
            return nullptr;
        }
        if (target.fromScan && Platform::IsSystemConsole(path)) {
            cause = LoadString(kSystemConsole);
            return nullptr;
        }
    }
    uint32_t error = Platform::ERROR_SUCCESS;
    std::unique_ptr<StreamIO::CIoStream> stream;
    try {
        const bool serial = target.link.kind == StreamIO::ELinkKind::Serial;
        stream = StreamIO::OpenStream(target.link, StreamIO::SF_READ | StreamIO::SF_WRITE,
                                      serial ? &device.GetSerialSettings() : nullptr);
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_OPEN_FAILED;
    } catch (const std::exception&) {
        error = Platform::ERROR_OPEN_FAILED;
    }
    if (!stream && error == Platform::ERROR_SUCCESS)
        error = Platform::ERROR_OPEN_FAILED;
    if (!stream)
        cause = Platform::FormatU(LoadString(kCannotOpen).c_str(), Platform::DescribeError(error));
    return stream;
}

// The number of series the instrument holds now and the counter of the last
// one, read again through the series exchange.
bool ReadHeldSeries(std::unique_ptr<Device::CVeltranoDevice>& device, int& count, uint16_t& lastCounter,
                    std::u16string& cause)
{
    Device::SPaperDownload again;
    switch (Device::ReadDownloadSeries(device, again)) {
    case Device::ETransferResult::NoSeries:
        count = 0;
        lastCounter = 0;
        return true;
    case Device::ETransferResult::Ok: {
        CPaperData held;
        if (!held.ParseSeries(again.series.data(), again.series.size(), false, false, false)) {
            cause = LoadString(kStreamCut);
            return false;
        }
        count = held.GetCount();
        lastCounter = count > 0 ? held.GetCounter(count - 1) : 0;
        return true;
    }
    default:
        cause = Platform::FormatU(LoadString(kRecheckFailed).c_str(),
                                  Platform::ToUtf8(Device::DescribeDownload(again)).c_str());
        return false;
    }
}

void WriteProjectFile(const CPaperDoc& doc, const std::string& path)
{
    AtomicFile::Write(Platform::FromUtf8(path), [&doc](StreamIO::CIoStream& stream) {
        StreamIO::CVnArchive archive(stream.GetId(), 0);
        doc.WriteProject(archive);
        archive.Flush();   // writes the buffer and flushes the file to the disk
    });
}

// A name in `dir` for the project of this download that no file has yet.
std::string FreeProjectPath(const std::string& dir, const std::u16string& serial, std::time_t when)
{
    const std::string name = ProjectFileName(serial, when);
    const std::string stem = dir + "/" + name.substr(0, name.size() - 4);
    std::string path = stem + ".vnr";
    for (int n = 2; Exists(path); ++n)
        path = stem + "-" + std::to_string(n) + ".vnr";
    return path;
}

// Ends the link.  The stop receiver is taken off first so that "remote mode
// off" still goes out after a stop request: an instrument left in remote
// mode may not measure.
void Hangup(std::unique_ptr<Device::CVeltranoDevice>& device)
{
    if (device)
        device->DetachCallback();
    Device::Disconnect(device);
}

} // namespace

std::string ProjectFileName(const std::u16string& serial, std::time_t when)
{
    std::string name;
    for (const char c : Platform::ToUtf8(serial)) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
                           c == '.' || c == '+';
        name += plain ? c : '_';
    }
    if (name.empty() || name[0] == '.')
        name.insert(0, "_");
    std::tm local {};
    ::localtime_r(&when, &local);
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d-%02d%02d%02d.vnr", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name + stamp;
}

SPassReport RunPass(const SCollectTarget& target, const SPassOptions& options, IPassHost& host)
{
    SPassReport report;
    CStopReceiver stop(host);
    auto device = std::make_unique<Device::CVeltranoDevice>();
    std::unique_ptr<StreamIO::CIoStream> stream = OpenTarget(target, *device, report.cause);
    if (!stream)
        return report;
    Device::SDeviceInfo info;
    if (!device->Attach(stream, static_cast<Device::NPorts>(target.link.kind))) {
        report.cause = LoadString(kNoAnswer);
        return report;
    }
    device->SetCallback(&stop);
    if (!device->Identify(info)) {
        report.result = host.StopRequested() ? EPassResult::Stopped : EPassResult::Absent;
        report.cause = LoadString(kNoAnswer);
        // Nothing answered, so nothing is in remote mode: the line is only
        // closed (asking a silent line to leave remote mode would wait out
        // another time-out).
        if (StreamIO::CIoStream* line = device->GetStream()) {
            try {
                line->Close();
            } catch (const std::exception&) {
            }
        }
        device.reset();
        return report;
    }
    report.serial = info.serialNumber;
    host.Report(MakeEvent(EEvent::Found, target, report.serial));

    // A failure from here on is the instrument going away (or the stop).
    const auto lost = [&](const std::u16string& cause) {
        report.result = host.StopRequested() ? EPassResult::Stopped : EPassResult::Lost;
        report.cause = cause;
        Hangup(device);
        return report;
    };
    // A failure that leaves nothing to store.
    const auto failEarly = [&](const std::u16string& cause) {
        SEvent e = MakeEvent(EEvent::Error, target, report.serial);
        e.cause = cause;
        host.Report(e);
        report.result = EPassResult::Failed;
        report.cause = cause;
        Hangup(device);
        return report;
    };
    Device::SPaperDownload download;
    if (!Device::ReadDownloadInfo(*device, download))
        return lost(Device::DescribeFailure(download.failure, download.instrumentError, download.streamError));
    Device::SetDownloadClock(*device, download);
    switch (Device::ReadDownloadSeries(device, download)) {
    case Device::ETransferResult::Ok:
        break;
    case Device::ETransferResult::NoSeries:
        report.result = EPassResult::Empty;
        Hangup(device);
        return report;
    case Device::ETransferResult::CannotTransfer:
        return failEarly(Device::DescribeDownload(download));
    default:
        return lost(Device::DescribeDownload(download));
    }

    CPaperDoc doc;
    doc.StoreDownloadedInfo(download.infoBlock.data(), download.infoBlock.size());
    const bool parsedWhole = doc.StoreDownloadedSeries(download.series.data(), download.series.size());
    const int count = doc.GetCurrent().GetCount();
    if (count == 0)
        return failEarly(LoadString(kNothingParsed));
    report.downloaded = count;
    SEvent downloaded = MakeEvent(EEvent::Downloaded, target, report.serial);
    downloaded.series = count;
    host.Report(downloaded);
    // What is not stored yet is still on the instrument: a stop now costs
    // nothing.
    if (host.StopRequested()) {
        report.result = EPassResult::Stopped;
        Hangup(device);
        return report;
    }

    bool safeToDelete = parsedWhole;
    const auto fail = [&](EStep step, const std::u16string& cause) {
        SEvent e = MakeEvent(EEvent::Error, target, report.serial);
        e.cause = cause;
        e.step = step;
        host.Report(e);
        report.result = EPassResult::Failed;
        report.cause = cause;
        safeToDelete = false;
    };
    report.result = EPassResult::Collected;
    if (!parsedWhole)
        fail(EStep::Transfer, LoadString(kStreamCut));
    if (options.sink != nullptr) {
        CCritical critical(host);
        try {
            SEvent archived = MakeEvent(EEvent::Archived, target, report.serial);
            archived.counts = options.sink->Store(doc.GetOriginal(), doc.GetCurrent(), target.name);
            archived.series = count;
            host.Report(archived);
        } catch (const std::exception& e) {
            fail(EStep::Archive, Platform::FormatU(LoadString(kArchiveFailed).c_str(), e.what()));
        }
    } else {
        safeToDelete = false;
    }
    if (!options.saveDir.empty()) {
        CCritical critical(host);
        doc.BuildSummary();
        // Two workers may download instruments of one serial number in the
        // same second: the free name is taken and written under one lock.
        static std::mutex saveLock;
        std::lock_guard<std::mutex> saving(saveLock);
        const std::string path = FreeProjectPath(options.saveDir, report.serial, std::time(nullptr));
        try {
            WriteProjectFile(doc, path);
            SEvent saved = MakeEvent(EEvent::Saved, target, report.serial);
            saved.file = path;
            saved.series = count;
            host.Report(saved);
        } catch (const Platform::CFileException& e) {
            fail(EStep::Save, Platform::FormatU(LoadString(kSaveFailed).c_str(), path.c_str(),
                                   Platform::DescribeError(e.GetOsError())));
        }
    }

    if (options.deleteAfterArchive && !host.StopRequested()) {
        SEvent kept = MakeEvent(EEvent::Kept, target, report.serial);
        kept.series = count;
        if (!safeToDelete) {
            kept.cause = LoadString(kNotDeletedAfterFailure);
            host.Report(kept);
        } else {
            CCritical critical(host);
            int held = 0;
            uint16_t lastCounter = 0;
            std::u16string cause;
            const CPaperData& got = doc.GetOriginal();
            if (!ReadHeldSeries(device, held, lastCounter, cause)) {
                kept.cause = cause;
                host.Report(kept);
                if (!device)
                    return lost(cause);
            } else if (held != count || lastCounter != got.GetCounter(count - 1)) {
                kept.heldNow = held;
                kept.cause = Platform::FormatU(LoadString(kHoldsOthers).c_str(), held, count);
                host.Report(kept);
            } else if (Device::DeleteAllSeries(*device)) {
                SEvent deleted = MakeEvent(EEvent::Deleted, target, report.serial);
                deleted.series = count;
                host.Report(deleted);
            } else {
                fail(EStep::Delete, LoadString(kDeleteRefused));
            }
        }
    }
    Hangup(device);
    return report;
}

} // namespace Collect
