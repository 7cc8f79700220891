// SPDX-License-Identifier: GPL-3.0-or-later
// CVnCommands: line access (timeouts, cancellable reads) and the block layer.
#include "device/VnCommands.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

#include "device/BlockFrame.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace Device {

namespace {

using Clock = std::chrono::steady_clock;

int64_t ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

// A read that comes back short long before its timeout did not time out:
// the line ended (hang-up, end of data).
bool EndedEarly(Clock::time_point started, int timeoutMs)
{
    if (timeoutMs < 0)
        return true;
    if (timeoutMs < 20)
        return false;
    return ElapsedMs(started) < timeoutMs / 2;
}

constexpr size_t kDiscardChunk = 4096;
constexpr uint32_t kFirstChunk = 64u << 10;
constexpr uint32_t kGrowChunk = 1u << 20;

} // namespace

CVnCommands::CVnCommands(StreamIO::CIoStream* stream, AbortHook hook, void* hookUser)
    : m_stream(stream), m_abortHook(hook), m_hookUser(hookUser)
{
}

CVnCommands::~CVnCommands() = default;

void CVnCommands::SetAbortHook(AbortHook hook, void* user)
{
    m_abortHook = hook;
    m_hookUser = user;
}

bool CVnCommands::IsAborted() const
{
    return m_abortHook != nullptr && m_abortHook(m_hookUser);
}

ELinkFailure ClassifyStreamError(uint32_t error)
{
    switch (error) {
    case Platform::ERROR_DEVICE_NOT_CONNECTED:
    case Platform::ERROR_GEN_FAILURE:
    case Platform::ERROR_BROKEN_PIPE:
    case Platform::WSAENETDOWN:
    case Platform::WSAENETUNREACH:
    case Platform::WSAENETRESET:
    case Platform::WSAECONNABORTED:
    case Platform::WSAECONNRESET:
    case Platform::WSAENOTCONN:
    case Platform::WSAESHUTDOWN:
    case Platform::WSAETIMEDOUT:
    case Platform::WSAECONNREFUSED:
    case Platform::WSAEHOSTDOWN:
    case Platform::WSAEHOSTUNREACH:
        return ELinkFailure::HangUp;
    case Platform::ERROR_OPERATION_ABORTED:
        return ELinkFailure::Cancelled;
    case Platform::ERROR_INVALID_HANDLE:
        return ELinkFailure::InvalidHandle;
    default:
        return ELinkFailure::StreamError;
    }
}

void CVnCommands::ResetFailure()
{
    m_failure = ELinkFailure::None;
    m_instrumentError = 0;
    m_streamError = 0;
}

void CVnCommands::FailOnStream(const Platform::CFileException& e)
{
    if (m_failure == ELinkFailure::None)
        m_streamError = e.GetOsError();
    Fail(ClassifyStreamError(e.GetOsError()));
}

void CVnCommands::Fail(ELinkFailure reason)
{
    // The first cause is the one worth telling.
    if (m_failure == ELinkFailure::None)
        m_failure = reason;
}

void CVnCommands::SetLineTimeouts(int readMs, int writeMs)
{
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
    ApplyStreamTimeouts(readMs, writeMs);
}

void CVnCommands::ApplyStreamTimeouts(int readMs, int writeMs)
{
    if (m_streamTimeoutsKnown && m_streamRead == readMs && m_streamWrite == writeMs)
        return;
    m_stream->SetTimeouts(readMs, writeMs);
    m_streamTimeoutsKnown = true;
    m_streamRead = readMs;
    m_streamWrite = writeMs;
}

void CVnCommands::ForgetStreamTimeouts()
{
    m_streamTimeoutsKnown = false;
}

uint32_t CVnCommands::ReadRaw(uint8_t* dst, uint32_t count)
{
    return ReadFor(dst, count, m_readTimeout, true);
}

uint32_t CVnCommands::ReadFor(uint8_t* dst, uint32_t count, int timeout, bool failShort)
{
    if (count == 0)
        return 0;
    if (m_abortHook == nullptr) {
        ApplyStreamTimeouts(timeout, m_writeTimeout);
        const Clock::time_point started = Clock::now();
        const uint32_t n = m_stream->Read(dst, count);
        if (n < count) {
            // Without failShort, a read that brought something is fine
            // however early it returned (the loop reads on).
            if ((failShort || n == 0) && EndedEarly(started, timeout <= 0 ? -1 : timeout))
                Fail(ELinkFailure::HangUp);
            else if (failShort)
                Fail(ELinkFailure::Timeout);
        }
        return n;
    }

    // A timeout of 0 waits without limit, as on the serial line.
    const bool unlimited = timeout <= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeout);
    uint32_t got = 0;
    while (got < count) {
        if (IsAborted()) {
            Fail(ELinkFailure::Cancelled);
            break;
        }
        int slice = kCancelSliceMs;
        if (!unlimited) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                if (failShort)
                    Fail(ELinkFailure::Timeout);
                break;
            }
            slice = static_cast<int>(std::min<int64_t>(slice, left));
        }
        ApplyStreamTimeouts(slice, m_writeTimeout);
        const Clock::time_point started = Clock::now();
        const uint32_t n = m_stream->Read(dst + got, count - got);
        got += n;
        if (got < count && (failShort || n == 0) && EndedEarly(started, slice)) {
            Fail(ELinkFailure::HangUp);
            break;
        }
    }
    return got;
}

bool CVnCommands::ReadExact(uint8_t* dst, uint32_t count)
{
    return ReadRaw(dst, count) == count;
}

void CVnCommands::Discard(uint64_t count)
{
    if (m_scratch.size() < kDiscardChunk)
        m_scratch.resize(kDiscardChunk);
    while (count > 0) {
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(count, kDiscardChunk));
        const uint32_t n = ReadRaw(m_scratch.data(), want);
        count -= n;
        if (n < want)
            break;
    }
}

bool CVnCommands::WriteAll(const uint8_t* data, size_t count)
{
    if (count == 0)
        return true;
    const uint32_t n = m_stream->Write(data, static_cast<uint32_t>(count));
    if (n != count) {
        Fail(ELinkFailure::Timeout);
        return false;
    }
    return true;
}

bool CVnCommands::Pause(int ms)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    for (;;) {
        if (IsAborted()) {
            Fail(ELinkFailure::Cancelled);
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(left, kCancelSliceMs)));
    }
}

void CVnCommands::ReportProgress(int position, int phase, int expectedMs)
{
    if (m_progress)
        m_progress(position, phase, expectedMs);
}

uint32_t CVnCommands::ReadPieceSize(uint32_t total)
{
    return std::clamp<uint32_t>(total / 256, 1u << 10, 256u << 10);
}

uint32_t CVnCommands::MinimumBytesPerWindow() const
{
    uint32_t bps = m_stream->GetBytesPerSecond();
    if (bps == 0)
        bps = 16000;
    // A tenth of the line rate over the window.
    return std::max<uint32_t>(1, static_cast<uint32_t>(static_cast<uint64_t>(bps) * kRateWindowMs / 10000));
}

// The read loop of a long answer of `total` bytes: `room(got, want)` gives
// where the next read goes; `want` comes in as the piece to read and may be
// lowered.  Progress after each read.  Stops when everything came; when no
// byte came for a whole timeout; when data trickles in at less than a tenth
// of the line rate over a 5 s window (a stalled instrument would otherwise
// hold the program for the whole announced length's line time); or when
// the total time (when it is at least twice the timeout) has no more than
// one timeout left.  Each of the last three is a time-out.
template <class Room>
bool CVnCommands::ReadAnswerBody(uint32_t total, int timeoutMs, int totalMs, uint32_t& got, Room room)
{
    got = 0;
    const Clock::time_point started = Clock::now();
    const bool useTotal = totalMs > 0 && static_cast<int64_t>(totalMs) >= 2 * static_cast<int64_t>(timeoutMs);
    const uint32_t piece = ReadPieceSize(total);
    const uint32_t minimum = MinimumBytesPerWindow();
    Clock::time_point window = started;
    uint32_t gotAtWindow = 0;
    Clock::time_point lastData = started;
    while (got < total) {
        uint32_t want = std::min(total - got, piece);
        uint8_t* dst = room(got, want);
        // Each read ends at the window's end at the latest, so the rate is
        // judged on time.
        int64_t slice = kRateWindowMs - ElapsedMs(window);
        if (timeoutMs > 0)
            slice = std::min<int64_t>(slice, timeoutMs - ElapsedMs(lastData));
        const uint32_t n = ReadFor(dst, want, static_cast<int>(std::max<int64_t>(1, slice)), false);
        got += n;
        ReportProgress(static_cast<int>(static_cast<uint64_t>(got) * 100 / total), 1, 0);
        if (m_transfer)
            m_transfer(got, total);
        if (m_failure != ELinkFailure::None)
            break;   // hang-up or cancel
        if (n > 0)
            lastData = Clock::now();
        else if (timeoutMs > 0 && ElapsedMs(lastData) >= timeoutMs - 1) {
            Fail(ELinkFailure::Timeout);
            break;
        }
        if (got < total && ElapsedMs(window) >= kRateWindowMs) {
            if (got - gotAtWindow < minimum) {
                Fail(ELinkFailure::Timeout);
                break;
            }
            window = Clock::now();
            gotAtWindow = got;
        }
        if (got < total && useTotal && totalMs - ElapsedMs(started) <= timeoutMs) {
            Fail(ELinkFailure::Timeout);
            break;
        }
    }
    return got == total;
}

// Reads `total` bytes of a long answer into `buffer`.
bool CVnCommands::ReadLongAnswer(uint8_t* buffer, uint32_t total, int timeoutMs, int totalMs, uint32_t& got)
{
    return ReadAnswerBody(total, timeoutMs, totalMs, got, [&](uint32_t have, uint32_t&) { return buffer + have; });
}

// As ReadLongAnswer, into a vector that grows only with what arrives, so an
// announced length alone allocates little.
bool CVnCommands::ReadGrowing(std::vector<uint8_t>& buffer, uint32_t total, int timeoutMs, int totalMs)
{
    buffer.clear();
    uint32_t got = 0;
    const bool complete = ReadAnswerBody(total, timeoutMs, totalMs, got, [&](uint32_t have, uint32_t& want) {
        // Room ahead in steps of 64 KiB to 1 MiB, growing with what came.
        const size_t room = static_cast<size_t>(have) + std::clamp<uint32_t>(have, kFirstChunk, kGrowChunk);
        if (buffer.capacity() < static_cast<size_t>(have) + want)
            buffer.reserve(std::min<size_t>(room, total));
        buffer.resize(static_cast<size_t>(have) + want);
        return buffer.data() + have;
    });
    buffer.resize(got);
    return complete;
}

bool CVnCommands::AcceptBlockRequest(int length, int timeoutMs, bool dataMissing)
{
    if (length < 0 || length > MAX_REQUEST_DATA || timeoutMs < 0 || dataMissing) {
        Fail(ELinkFailure::Refused);
        return false;
    }
    return true;
}

bool CVnCommands::StartBlockExchange(uint8_t block, const uint8_t* request, int requestLength, int timeoutMs,
                                     uint8_t& count)
{
    m_stream->PurgeInput();
    SetLineTimeouts(timeoutMs, timeoutMs);
    const std::vector<uint8_t> frame = BuildRequestFrame(block, request, static_cast<size_t>(requestLength));
    if (!WriteAll(frame.data(), frame.size()))
        return false;
    count = 0;
    if (!ReadExact(&count, 1))
        return false;
    if (count >= COUNT_FIRST_ERROR) {
        m_instrumentError = count;
        Fail(ELinkFailure::InstrumentError);
    }
    return true;
}

bool CVnCommands::ReadExtendedHeader(SExtendedHeader& header)
{
    uint8_t head[4];
    if (!ReadExact(head, sizeof head))
        return false;
    header = DecodeExtendedHeader(head);
    return true;
}

void CVnCommands::ReadCut(uint8_t* buffer, uint32_t room, uint32_t total)
{
    ReadRaw(buffer, room);
    Discard(total - room);
}

int CVnCommands::ReadDataBlock(uint8_t block, uint8_t* buffer, int requestLength, uint32_t& outCount,
                               uint32_t bufferSize, int timeoutMs, int totalMs)
{
    ResetFailure();
    if (!AcceptBlockRequest(requestLength, timeoutMs, buffer == nullptr))
        return RDB_BAD_ARGUMENT;
    outCount = 0;
    if (m_stream == nullptr) {
        Fail(ELinkFailure::HangUp);
        return RDB_FAILED;
    }
    try {
        uint8_t count = 0;
        if (!StartBlockExchange(block, buffer, requestLength, timeoutMs, count))
            return RDB_FAILED;
        if (count == 0)
            return RDB_OK;
        if (count >= COUNT_FIRST_ERROR) {
            if (bufferSize > 0)
                buffer[0] = count;
            return RDB_FAILED;
        }
        if (count < COUNT_EXTENDED) {
            if (bufferSize < count) {
                ReadCut(buffer, bufferSize, count);
                outCount = count;
                return RDB_BUFFER_TOO_SMALL;
            }
            outCount = ReadRaw(buffer, count);
            return outCount == count ? RDB_OK : RDB_FAILED;
        }
        SExtendedHeader header;
        if (!ReadExtendedHeader(header))
            return RDB_FAILED;
        const uint32_t total = header.Total();
        if (bufferSize < total) {
            ReadCut(buffer, bufferSize, total);
            outCount = total;
            return RDB_BUFFER_TOO_SMALL;
        }
        uint32_t got = 0;
        const bool complete = ReadLongAnswer(buffer, total, timeoutMs, totalMs, got);
        outCount = got;
        if (!complete)
            return RDB_FAILED;
        if (!VerifyChecksum(header.kind, buffer, header.length, buffer + header.length)) {
            Fail(ELinkFailure::Checksum);
            return RDB_CHECKSUM;
        }
        return RDB_OK;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return RDB_FAILED;
    }
}

int CVnCommands::ReadAnnouncedBlock(uint8_t block, const uint8_t* request, int requestLength,
                                    std::vector<uint8_t>& answer, int timeoutMs, int totalMs)
{
    ResetFailure();
    answer.clear();
    if (!AcceptBlockRequest(requestLength, timeoutMs, request == nullptr && requestLength > 0))
        return RDB_BAD_ARGUMENT;
    if (m_stream == nullptr) {
        Fail(ELinkFailure::HangUp);
        return RDB_FAILED;
    }
    try {
        uint8_t count = 0;
        if (!StartBlockExchange(block, request, requestLength, timeoutMs, count))
            return RDB_FAILED;
        if (count == 0)
            return RDB_OK;
        if (count >= COUNT_FIRST_ERROR)
            return RDB_FAILED;
        if (count < COUNT_EXTENDED) {
            answer.resize(count);
            const uint32_t n = ReadRaw(answer.data(), count);
            answer.resize(n);
            return n == count ? RDB_OK : RDB_FAILED;
        }
        SExtendedHeader header;
        if (!ReadExtendedHeader(header))
            return RDB_FAILED;
        const uint32_t total = header.Total();
        if (totalMs > 0) {
            uint32_t bps = m_stream->GetBytesPerSecond();
            const int64_t lineMs = 2 * static_cast<int64_t>(TransferTimeout(total, 1, bps)) + timeoutMs;
            totalMs = static_cast<int>(std::min<int64_t>(std::max<int64_t>(totalMs, lineMs),
                                                         std::numeric_limits<int>::max()));
        }
        if (!ReadGrowing(answer, total, timeoutMs, totalMs))
            return RDB_FAILED;
        if (!VerifyChecksum(header.kind, answer.data(), header.length, answer.data() + header.length)) {
            Fail(ELinkFailure::Checksum);
            answer.clear();
            return RDB_CHECKSUM;
        }
        answer.resize(header.length);
        return RDB_OK;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return RDB_FAILED;
    }
}

int CVnCommands::WriteDataBlock(uint8_t block, int length, uint8_t* buffer, uint32_t answerSize, int timeoutMs)
{
    ResetFailure();
    if (!AcceptBlockRequest(length, timeoutMs, buffer == nullptr && (length > 0 || answerSize > 0)))
        return WDB_BAD_ARGUMENT;
    if (m_stream == nullptr) {
        Fail(ELinkFailure::HangUp);
        return WDB_FAILED;
    }
    try {
        // This exchange sets its timeouts before the purge; setting the same
        // values again in StartBlockExchange does not reach the stream.
        SetLineTimeouts(timeoutMs, timeoutMs);
        uint8_t count = 0;
        if (!StartBlockExchange(block, buffer, length, timeoutMs, count))
            return WDB_FAILED;
        if (count == 0)
            return 0;
        if (count >= COUNT_FIRST_ERROR)
            return count;
        if (count < COUNT_EXTENDED) {
            if (answerSize >= count)
                return ReadExact(buffer, count) ? static_cast<int>(count) : static_cast<int>(WDB_FAILED);
            ReadCut(buffer, answerSize, count);
            return count;
        }
        SExtendedHeader header;
        if (!ReadExtendedHeader(header))
            return WDB_FAILED;
        const uint32_t total = header.Total();
        if (answerSize < total) {
            ReadCut(buffer, answerSize, total);
            return static_cast<int>(answerSize);
        }
        if (!ReadExact(buffer, total))
            return WDB_FAILED;
        if (!VerifyChecksum(header.kind, buffer, header.length, buffer + header.length)) {
            Fail(ELinkFailure::Checksum);
            return WDB_CHECKSUM;
        }
        return static_cast<int>(header.length);
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return WDB_FAILED;
    }
}

int CVnCommands::WriteLongBlock(uint8_t block, int length, const uint8_t* data, int timeoutMs)
{
    ResetFailure();
    if (length < 0 || timeoutMs < 0 || (data == nullptr && length > 0)) {
        Fail(ELinkFailure::Refused);
        return WDB_BAD_ARGUMENT;
    }
    if (m_stream == nullptr) {
        Fail(ELinkFailure::HangUp);
        return WDB_FAILED;
    }
    try {
        m_stream->PurgeInput();
        const uint8_t head[2] = {LONG_WRITE_HEAD, block};
        if (!WriteAll(head, sizeof head))
            return WDB_FAILED;
        SetLineTimeouts(timeoutMs, timeoutMs);
        if (!WriteAll(data, static_cast<size_t>(length)))
            return WDB_FAILED;
        uint8_t answer = 0;
        if (!ReadExact(&answer, 1))
            return WDB_FAILED;
        if (answer == 0)
            return 0;
        if (answer >= COUNT_FIRST_ERROR) {
            m_instrumentError = answer;
            Fail(ELinkFailure::InstrumentError);
            return answer;
        }
        Fail(ELinkFailure::Refused);
        return WDB_FAILED;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return WDB_FAILED;
    }
}

int CVnCommands::SendBlockCommand(uint8_t block, int length, const uint8_t* data, int expected, int timeoutMs,
                                  uint8_t* answer)
{
    ResetFailure();
    if (length < 0 || length > 30 || expected < 0 || expected > 239 || (data == nullptr && length > 0) ||
        (answer == nullptr && expected > 0)) {
        Fail(ELinkFailure::Refused);
        return -1;
    }
    if (m_stream == nullptr) {
        Fail(ELinkFailure::HangUp);
        return -1;
    }
    try {
        m_stream->PurgeInput();
        const std::vector<uint8_t> frame = BuildRequestFrame(block, data, static_cast<size_t>(length));
        if (!WriteAll(frame.data(), frame.size()))
            return -1;
        if (expected == 0)
            return 0;
        SetLineTimeouts(timeoutMs, timeoutMs);
        uint8_t count = 0;
        if (!ReadExact(&count, 1))
            return -1;
        if (count >= COUNT_FIRST_ERROR) {
            m_instrumentError = count;
            Fail(ELinkFailure::InstrumentError);
            return -1;
        }
        if (count != expected) {
            Fail(ELinkFailure::Refused);
            return -1;
        }
        int got = 0;
        const int saved = m_readTimeout;
        while (got < expected) {
            if (ReadRaw(answer + got, 1) != 1)
                break;
            ++got;
            if (got == 1 && saved > 50)
                SetLineTimeouts(50, m_writeTimeout);
        }
        if (m_readTimeout != saved)
            SetLineTimeouts(saved, m_writeTimeout);
        return got;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return -1;
    }
}

int CVnCommands::TransferTimeout(uint32_t length, int factor, uint32_t bytesPerSecond)
{
    if (bytesPerSecond == 0)
        bytesPerSecond = 16000;
    const int64_t ms = static_cast<int64_t>(length) * std::max(factor, 0) * 1000 / bytesPerSecond + 200;
    return static_cast<int>(std::clamp<int64_t>(ms, 4000, std::numeric_limits<int>::max()));
}

int CVnCommands::SetTransferTimeout(uint32_t length, int factor)
{
    const int ms = TransferTimeout(length, factor, m_stream->GetBytesPerSecond());
    SetLineTimeouts(ms, ms);
    return ms;
}

} // namespace Device
