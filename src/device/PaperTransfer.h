// SPDX-License-Identifier: GPL-3.0-or-later
// The Veltrano transfers shared by the desktop program and the command line:
// the download exchanges (information block, clock, all series), the deletion
// of all series, the keep-alive check and the disconnection.  No user
// interface here: results come back as codes, and the texts for them are
// available from the string table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/VnCommands.h"

namespace Device {

class CCallback;
class CVeltranoDevice;

enum class ETransferResult {
    Ok,              // information block and series came
    NoDeviceAnswer,  // the information block did not come as 128 bytes (still connected)
    NoSeries,        // the instrument holds no series
    CannotTransfer,  // the instrument's firmware cannot transfer series (disconnected)
    CommFailure,     // the series read failed (disconnected); see failure
};

struct SPaperDownload {
    std::vector<uint8_t> infoBlock;  // DEVICE_INFO_T, 128 bytes
    std::vector<uint8_t> series;     // the series byte stream, cut to its length
    int clockResult = 0;             // result of the clock exchange (not checked)
    ETransferResult result = ETransferResult::NoDeviceAnswer;
    ELinkFailure failure = ELinkFailure::None;
    uint8_t instrumentError = 0;     // 240..255 when the instrument refused
    uint32_t streamError = 0;        // the stream's error number (StreamError)
};

// Runs the download: ReadDownloadInfo, then (when the block came whole)
// SetDownloadClock and ReadDownloadSeries.  On CommFailure and
// CannotTransfer the device is disconnected and `device` is null afterwards.
ETransferResult DownloadSeries(std::unique_ptr<CVeltranoDevice>& device, SPaperDownload& out,
                               CCallback* progress = nullptr);

// The download's steps, for callers that act between them (the connection
// driver stores the information block before the series are read).
// Exchange 1: the information block.  True when exactly 128 bytes came;
// otherwise `out` says NoDeviceAnswer with what failed.  Resets `out`.
bool ReadDownloadInfo(CVeltranoDevice& device, SPaperDownload& out);
// Exchange 2: the clock set to the local time (its result is only kept).
void SetDownloadClock(CVeltranoDevice& device, SPaperDownload& out);
// Exchange 3: every series, with `progress` (may be null) set as the
// device's callback for the duration; it sees the bytes received and may
// cancel.  Sets and returns Ok, NoSeries, CannotTransfer or CommFailure (a
// cancelled read is a CommFailure with failure Cancelled); on the last two
// the device is disconnected and nothing of the series is kept.
ETransferResult ReadDownloadSeries(std::unique_ptr<CVeltranoDevice>& device, SPaperDownload& out,
                                   CCallback* progress = nullptr);

// The delete exchange: true when the instrument confirmed.
bool DeleteAllSeries(CVeltranoDevice& device);

// Identifies the held instrument again.  When it does not answer, its
// remote mode is switched off, it is deleted (closing its stream) and
// `device` becomes null.  No device: false.
bool CheckAlive(std::unique_ptr<CVeltranoDevice>& device);

// Switches remote mode off, closes the stream and deletes the device.
// Returns false when the instrument did not answer "remote mode off" (it
// is disconnected all the same); true without a device.
bool Disconnect(std::unique_ptr<CVeltranoDevice>& device);

// The user's message for a download outcome: the texts of "no series" and
// "cannot transfer", and for a communication failure a text that says what
// failed.  Empty for Ok and NoDeviceAnswer.
std::u16string DescribeDownload(const SPaperDownload& download);

// A text that says what made a transfer fail; a stream error names its
// error number when one is given.
std::u16string DescribeFailure(ELinkFailure failure, uint8_t instrumentError = 0, uint32_t streamError = 0);

} // namespace Device
