// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/PaperTransfer.h"

#include <exception>

#include "device/Callback.h"
#include "device/DeviceStrings.h"
#include "device/VeltranoDevice.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace Device {

namespace {

void KeepFailure(CVeltranoDevice& device, SPaperDownload& out)
{
    if (CVnCommands* commands = device.GetCommands()) {
        out.failure = commands->GetLastFailure();
        out.instrumentError = commands->GetLastInstrumentError();
        out.streamError = commands->GetLastStreamError();
    }
}

} // namespace

bool ReadDownloadInfo(CVeltranoDevice& device, SPaperDownload& out)
{
    out = SPaperDownload{};
    std::vector<uint8_t> block;
    const int infoResult = device.ReadInfoBlock(block);
    if (infoResult != static_cast<int>(INFO_BLOCK_SIZE) || block.size() != INFO_BLOCK_SIZE) {
        KeepFailure(device, out);
        out.result = ETransferResult::NoDeviceAnswer;
        return false;
    }
    out.infoBlock = std::move(block);
    return true;
}

void SetDownloadClock(CVeltranoDevice& device, SPaperDownload& out)
{
    out.clockResult = device.SetClockToNow();
}

ETransferResult ReadDownloadSeries(std::unique_ptr<CVeltranoDevice>& device, SPaperDownload& out, CCallback* progress)
{
    out.series.clear();
    if (!device) {
        out.result = ETransferResult::CommFailure;
        out.failure = ELinkFailure::HangUp;
        return out.result;
    }
    const bool ownCallback = progress != nullptr && device->SetCallback(progress);
    const int seriesResult = device->ReadSeriesData(out.series);
    if (ownCallback)
        device->DetachCallback();
    if (seriesResult != RDB_OK) {
        KeepFailure(*device, out);
        out.series.clear();
        Disconnect(device);
        out.result = ETransferResult::CommFailure;
        return out.result;
    }
    if (out.series.empty()) {
        out.result = ETransferResult::NoSeries;
        return out.result;
    }
    if (out.series.size() == 1 && out.series[0] == 1) {
        out.series.clear();
        Disconnect(device);
        out.result = ETransferResult::CannotTransfer;
        return out.result;
    }
    out.result = ETransferResult::Ok;
    return out.result;
}

ETransferResult DownloadSeries(std::unique_ptr<CVeltranoDevice>& device, SPaperDownload& out, CCallback* progress)
{
    out = SPaperDownload{};
    if (!device) {
        out.result = ETransferResult::NoDeviceAnswer;
        return out.result;
    }
    if (!ReadDownloadInfo(*device, out))
        return out.result;
    SetDownloadClock(*device, out);
    return ReadDownloadSeries(device, out, progress);
}

bool DeleteAllSeries(CVeltranoDevice& device)
{
    return device.DeleteAllSeries();
}

bool CheckAlive(std::unique_ptr<CVeltranoDevice>& device)
{
    if (!device)
        return false;
    SDeviceInfo scratch;
    if (device->Identify(scratch))
        return true;
    device->SetRemoteMode(false, 0);
    device.reset();
    return false;
}

bool Disconnect(std::unique_ptr<CVeltranoDevice>& device)
{
    if (!device)
        return true;
    const bool answered = device->SetRemoteMode(false, 0);
    if (StreamIO::CIoStream* stream = device->GetStream()) {
        try {
            stream->Close();
        } catch (const std::exception&) {
            // The device goes away either way.
        }
    }
    device.reset();
    return answered;
}

std::u16string DescribeFailure(ELinkFailure failure, uint8_t instrumentError, uint32_t streamError)
{
    switch (failure) {
    case ELinkFailure::Timeout:
        return Platform::LoadString(IDS_FAIL_TIMEOUT);
    case ELinkFailure::Checksum:
        return Platform::LoadString(IDS_FAIL_CHECKSUM);
    case ELinkFailure::HangUp:
        return Platform::LoadString(IDS_FAIL_HANGUP);
    case ELinkFailure::InstrumentError:
        return Platform::FormatU(Platform::LoadString(IDS_FAIL_INSTRUMENT).c_str(), static_cast<int>(instrumentError));
    case ELinkFailure::Cancelled:
        return Platform::LoadString(IDS_FAIL_CANCELLED);
    case ELinkFailure::InvalidHandle:
        return Platform::LoadString(IDS_FAIL_NOT_OPEN);
    case ELinkFailure::StreamError:
        if (streamError == 0)
            return Platform::LoadString(IDS_FAIL_STREAM);
        return Platform::FormatU(Platform::LoadString(IDS_FAIL_STREAM_ERROR).c_str(), static_cast<unsigned>(streamError));
    default:
        return Platform::LoadString(IDS_FAIL_PROTOCOL);
    }
}

std::u16string DescribeDownload(const SPaperDownload& download)
{
    switch (download.result) {
    case ETransferResult::NoSeries:
        return Platform::LoadString(IDS_NO_SERIES);
    case ETransferResult::CannotTransfer:
        return Platform::LoadString(IDS_CANNOT_TRANSFER) + u"\n" + Platform::LoadString(IDS_CANNOT_TRANSFER_HINT);
    case ETransferResult::CommFailure:
        return DescribeFailure(download.failure, download.instrumentError, download.streamError);
    default:
        return std::u16string();
    }
}

} // namespace Device
