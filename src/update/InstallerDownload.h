// SPDX-License-Identifier: GPL-3.0-or-later
// The download of an installer in steps, so a front end can keep its window
// alive between them: each Step moves one chunk (the installer's size
// / 10000, at least 4 KiB) from the server into a temporary file beside the
// target.  Only a complete download, of exactly the listed size and
// matching the checksum the folder publishes (when it does), is renamed to
// the target; a failed or abandoned download leaves no file behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "update/FtpLink.h"
#include "update/Sha256.h"
#include "update/UpdateSelection.h"

namespace Update {

// The bound on a slow transfer, the rule the instrument transfers follow:
// less than a tenth of the minimum rate within any window of this length
// ends the download.
struct SRateRule {
    uint32_t minBytesPerSecond = 10 * 1024;
    int windowMs = 10000;
};

class CInstallerDownload {
public:
    enum EStep { stepRunning, stepComplete, stepFailed };

    static constexpr size_t kMinChunk = 4096;
    static constexpr size_t kMaxChecksumFile = 4096;

    CInstallerDownload(CFtpLink& link, SInstallerChoice choice);
    // Abandons an unfinished download (its temporary file is removed).
    ~CInstallerDownload();
    CInstallerDownload(const CInstallerDownload&) = delete;
    CInstallerDownload& operator=(const CInstallerDownload&) = delete;

    // Makes the temporary file in the target's folder.  False when that
    // folder cannot be written (no write permission, or no write bit at
    // all, which binds the superuser too); LocalError then holds the errno.
    bool CreateLocal(const std::u16string& target);
    int LocalError() const { return m_localErrno; }

    // Reads the published checksum, when the folder has one, and opens the
    // installer on the server.
    bool Open();

    // Moves one chunk, waiting at most `waitMs` for data.  Fails when the
    // transfer breaks the rate rule.
    EStep Step(int waitMs = 50);

    // A stricter rate rule (tests use short windows): a window longer than
    // the default's or a rate below it is never taken, so the rule cannot
    // be loosened.
    void TightenRateRule(const SRateRule& rule);
    const SRateRule& RateRule() const { return m_rule; }

    // Ends the download: the temporary file is removed, the transfer dropped.
    void Abort();

    uint64_t Downloaded() const { return m_downloaded; }
    uint64_t Size() const { return m_choice.installer.size; }
    size_t ChunkSize() const;
    // 0..100.
    int Percent() const;
    // 22017 with the megabytes downloaded ("%0.2f").
    std::u16string AmountText() const;
    const std::u16string& Target() const { return m_target; }
    const SInstallerChoice& Choice() const { return m_choice; }
    // The download was compared with a published checksum and matched.
    bool IsVerified() const { return m_verified; }
    // Why the download failed: 22018 and, on the next line, what failed.
    const std::u16string& ErrorText() const { return m_errorText; }

private:
    EStep Fail(const std::u16string& detail);
    // False when the window just ended brought too few bytes.
    bool KeepsTheRate();
    EStep Complete();
    void RemoveTemporary();

    CFtpLink& m_link;
    SInstallerChoice m_choice;
    std::unique_ptr<CFtpFile> m_remote;
    std::u16string m_target;
    std::string m_temp;
    int m_fd = -1;
    int m_localErrno = 0;
    uint64_t m_downloaded = 0;
    CSha256 m_hash;
    std::string m_expectedHash;
    bool m_verified = false;
    bool m_finished = false;
    std::vector<uint8_t> m_buffer;
    std::u16string m_errorText;

    using Clock = std::chrono::steady_clock;
    struct SSample {
        Clock::time_point time;
        uint64_t bytes;
    };
    SRateRule m_rule;
    std::deque<SSample> m_samples;   // bytes downloaded over the last window
};

} // namespace Update
