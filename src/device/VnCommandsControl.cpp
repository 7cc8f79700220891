// SPDX-License-Identifier: GPL-3.0-or-later
// CVnCommands: the control blocks (hardware id, remote mode, operation-mode
// change, resynchronisation).
#include "device/VnCommands.h"

#include <exception>

#include "device/BlockFrame.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace Device {

namespace {
constexpr int kControlTimeoutMs = 4000;
}

bool CVnCommands::ControlCommand(uint8_t a, uint8_t b, int expected, uint8_t* answer, int& result)
{
    const uint8_t request[2] = {a, b};
    result = SendBlockCommand(BLOCK_CONTROL, 2, request, expected, kControlTimeoutMs, answer);
    return result == expected;
}

int64_t CVnCommands::GetHardwareId()
{
    uint8_t answer[4] = {};
    if (SendBlockCommand(BLOCK_HARDWARE_ID, 0, nullptr, 4, kControlTimeoutMs, answer) != 4)
        return -1;
    return static_cast<int64_t>(static_cast<uint32_t>(answer[0]) | (static_cast<uint32_t>(answer[1]) << 8) |
                                (static_cast<uint32_t>(answer[2]) << 16) | (static_cast<uint32_t>(answer[3]) << 24));
}

bool CVnCommands::SetRemoteMode(bool on, int ms)
{
    uint8_t answer[1] = {};
    int result = 0;
    if (on) {
        const unsigned seconds = ms > 0 ? (static_cast<unsigned>(ms) + 999u) / 1000u : 0u;
        return ControlCommand(0x10, static_cast<uint8_t>(seconds % 255u), 1, answer, result);
    }
    return ControlCommand(0x11, 0x00, 1, answer, result);
}

bool CVnCommands::SendControl12()
{
    int result = 0;
    return ControlCommand(0x12, 0xD0, 0, nullptr, result);
}

bool CVnCommands::ChangeOperationMode(uint8_t mode, int factorPercent)
{
    if (factorPercent == 0)
        factorPercent = 100;
    const uint8_t c = mode & 0x0F;
    const bool reopen = (mode & 0x10) != 0;
    uint8_t answer[3] = {};
    int result = 0;

    // 1. The instrument must know the mode.
    if (!ControlCommand(0x00, c, 1, answer, result) || answer[0] != 1)
        return false;
    // 2. Already in that mode?
    if (!ControlCommand(0x01, c, 1, answer, result))
        return false;
    try {
        if (answer[0] == 1) {
            if (reopen) {
                m_stream->Close();
                ForgetStreamTimeouts();
                if (!m_stream->Reopen())
                    return false;
            }
            return true;
        }
        // 3. The announced switching time.
        uint32_t waitMs = 0;
        if (c != 0) {
            if (!ControlCommand(0x03, c, 3, answer, result))
                return false;
            waitMs = static_cast<uint32_t>(answer[0]) | (static_cast<uint32_t>(answer[1]) << 8) |
                     (static_cast<uint32_t>(answer[2]) << 16);
            if (waitMs == 0)
                return false;
        }
        // 4. Switch; no answer is awaited.
        if (!ControlCommand(0x02, c, 0, nullptr, result))
            return false;
        // 5. Wait for the instrument to come back.
        if (c == 0 || (mode & 0x2F) == 0x21)
            return true;
        if (waitMs > 100)
            ReportProgress(0, 1, static_cast<int>(waitMs + 100));
        if (reopen) {
            if (!Pause(100))
                return false;
            m_stream->Close();
            ForgetStreamTimeouts();
        }
        const int64_t scaled = static_cast<int64_t>(factorPercent) * waitMs / 100;
        if (!Pause(static_cast<int>(scaled)))
            return false;
        if (reopen) {
            ForgetStreamTimeouts();
            if (!m_stream->Reopen())
                return false;
        }
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return false;
    }
    // 6. Confirm the new mode.
    const uint8_t confirm = (mode & 0x1F) == 0x14 ? 12 : c;
    return ControlCommand(0x01, confirm, 1, answer, result) && answer[0] == 1;
}

bool CVnCommands::Resync()
{
    static const uint8_t kFrame[10] = {0xC8, BLOCK_RESYNC, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0};
    ResetFailure();
    if (m_stream == nullptr)
        return false;
    try {
        SetLineTimeouts(2500, 500);
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!WriteAll(kFrame, sizeof kFrame))
                return false;
            if (!Pause(50))
                return false;
            for (int i = 0; i < 3; ++i) {
                uint8_t b = 0;
                if (ReadRaw(&b, 1) != 1)
                    break;
                if (b == 0xF0) {
                    ResetFailure();
                    return true;
                }
            }
            if (m_failure == ELinkFailure::Cancelled || m_failure == ELinkFailure::HangUp)
                return false;
        }
        return false;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return false;
    }
}

} // namespace Device
