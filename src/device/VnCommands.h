// SPDX-License-Identifier: GPL-3.0-or-later
// CVnCommands: the instrument's wire protocol over one attached stream.
//
// Two layers share the line: the binary block layer (request frames whose
// first byte carries the length, answers introduced by a count byte, optional
// checksums; see BlockFrame.h) and the text layer (a DLE byte, a command line
// ending in CR, an answer line).  Every exchange catches stream exceptions and
// reports failure through its result; nothing is retried here except Resync.
//
// Cancellation: when an abort hook is set, every wait on the line (reads and
// pauses) runs in slices of at most kCancelSliceMs and asks the hook between
// slices; a hook answering true ends the exchange as failed within one slice.
// This is how the device thread is stopped without being killed while an
// exchange is blocked in a read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Platform {
class CFileException;
}

namespace StreamIO {
class CIoStream;
}

namespace Device {

struct SExtendedHeader;

// Results of ReadDataBlock.
enum : int {
    RDB_OK = 0,
    RDB_BAD_ARGUMENT = 1,
    RDB_FAILED = 6,
    RDB_BUFFER_TOO_SMALL = 12,
    RDB_CHECKSUM = 13,
};

// Local failures of WriteDataBlock and the long write (results 1..239 are the
// number of answer bytes, 0 success without data, 240..255 instrument errors).
enum : int {
    WDB_CHECKSUM = 250,
    WDB_FAILED = 252,
    WDB_BAD_ARGUMENT = 254,
};

// What made the last exchange fail, for messages that name the cause.
enum class ELinkFailure {
    None,
    Timeout,          // the instrument stopped answering within the timeout
    Checksum,         // an answer arrived with a wrong checksum
    HangUp,           // the line ended, or the stream reported the connection lost
    InstrumentError,  // the instrument answered with an error code (240..255)
    Cancelled,        // the abort hook asked to stop, or the transfer was cancelled
    Refused,          // the request was not valid (nothing sent)
    InvalidHandle,    // the stream was not open
    StreamError,      // the stream failed with another error (GetLastStreamError)
};

// The failure a stream's file exception with error number `error` means:
// hang-up for a lost device or connection (1167, 31, 109, and the Winsock
// network, reset, abort, shutdown, refused and time-out codes: a lost
// connection that could not be made again), cancelled for 995,
// invalid handle for 6, any other number a stream error.
ELinkFailure ClassifyStreamError(uint32_t error);

constexpr uint8_t DLE = 0x10;
// 50 ms: the desktop program repaints its progress window between slices,
// and it must repaint at least every 100 ms during a download.
constexpr int kCancelSliceMs = 50;
// Long answers must bring a tenth of the line rate within every window of
// this length, or they end as a time-out.
constexpr int kRateWindowMs = 5000;
constexpr size_t TEXT_ANSWER_SIZE = 1024;       // answer buffer of the text layer
constexpr size_t DIRECTORY_ANSWER_MAX = 1000000;
constexpr uint32_t PACKET_MAX = 80000;

class CVnCommands {
public:
    using AbortHook = bool (*)(void* user);
    // Receives progress reports (position in percent, phase, expected wait ms).
    using ProgressSink = std::function<void(int position, int phase, int expectedMs)>;
    // Receives the bytes of a long answer read so far and its announced total.
    using TransferSink = std::function<void(uint32_t received, uint32_t total)>;

    explicit CVnCommands(StreamIO::CIoStream* stream, AbortHook hook = nullptr, void* hookUser = nullptr);
    ~CVnCommands();

    CVnCommands(const CVnCommands&) = delete;
    CVnCommands& operator=(const CVnCommands&) = delete;

    StreamIO::CIoStream* GetStream() const { return m_stream; }
    void SetAbortHook(AbortHook hook, void* user);
    // True when the abort hook asks to stop.
    bool IsAborted() const;
    void SetProgressSink(ProgressSink sink) { m_progress = std::move(sink); }
    void SetTransferSink(TransferSink sink) { m_transfer = std::move(sink); }

    // Long answers are read in pieces of this size (between 1 KiB and
    // 256 KiB, about 1/256 of the answer), so progress is reported often
    // enough to show on a slow line.
    static uint32_t ReadPieceSize(uint32_t total);

    // The timeouts the current exchange runs with.  (With an abort hook the
    // stream itself is given slices of them while waiting.)
    int GetReadTimeout() const { return m_readTimeout; }
    int GetWriteTimeout() const { return m_writeTimeout; }

    ELinkFailure GetLastFailure() const { return m_failure; }
    // The instrument's error code of the last exchange (240..255), else 0.
    uint8_t GetLastInstrumentError() const { return m_instrumentError; }
    // The error number of the stream's file exception that ended the last
    // exchange, else 0.
    uint32_t GetLastStreamError() const { return m_streamError; }

    // ---- block layer ----

    // Sends `requestLength` bytes taken from the front of `buffer` to `block`
    // and reads the answer into `buffer` (capacity `bufferSize`).  Results
    // RDB_*; `outCount` is the number of bytes read (data and checksum), or
    // the announced size when the buffer is too small.  A `totalMs` of at
    // least twice `timeoutMs` bounds the whole transfer of a long answer.
    int ReadDataBlock(uint8_t block, uint8_t* buffer, int requestLength, uint32_t& outCount, uint32_t bufferSize,
                      int timeoutMs = 2000, int totalMs = 0);

    // As ReadDataBlock, but the answer buffer is sized to the length the
    // instrument announces (up to the 24-bit maximum), growing only as data
    // arrives.  `answer` receives the data bytes without the checksum.  When
    // a total time is given it is raised, if needed, to twice the time the
    // announced length needs on this line, so that a long answer on a slow
    // line is not cut while data still flows.
    int ReadAnnouncedBlock(uint8_t block, const uint8_t* request, int requestLength, std::vector<uint8_t>& answer,
                           int timeoutMs, int totalMs);

    // Sends `length` request bytes from `buffer`; answer bytes overwrite
    // `buffer` (capacity `answerSize`).  Results: see WDB_*.
    int WriteDataBlock(uint8_t block, int length, uint8_t* buffer, uint32_t answerSize, int timeoutMs = 1000);

    // The long write for requests of 47 bytes or more: 0xC1, block, data;
    // one answer byte.  Returns 0 or the instrument's error code, else 252.
    int WriteLongBlock(uint8_t block, int length, const uint8_t* data, int timeoutMs = 1000);

    // Sends a short request (at most 30 bytes) and, when `expected` is not 0,
    // reads an answer of exactly that many bytes into `answer` (which holds
    // at least `expected` bytes).  Returns the number of bytes read, 0 when
    // no answer was awaited, -1 on failure.
    int SendBlockCommand(uint8_t block, int length, const uint8_t* data, int expected, int timeoutMs,
                         uint8_t* answer = nullptr);

    // Block 0xF1: the 32-bit hardware identifier, -1 on failure.
    int64_t GetHardwareId();
    // Block 0xF4 0x10/0x11: remote mode on (for `ms`) or off.
    bool SetRemoteMode(bool on, int ms);
    // Block 0xF4 0x12 0xD0, no answer awaited.
    bool SendControl12();
    // Operation-mode change to mode `mode`; `factorPercent` scales the
    // announced switching time (0 means 100).
    bool ChangeOperationMode(uint8_t mode, int factorPercent = 100);
    // Block 0xF6 resynchronisation, up to three tries.
    bool Resync();

    // ---- text layer ----

    // Sends DLE, the command and CR; reads the answer line.  Success when the
    // answer is empty or holds no '?'.  The answer is kept for GetAnswer.
    bool TextCommand(const std::string& command, int timeoutMs = 1000);
    const std::string& GetAnswer() const { return m_answer; }

    // Reads one line of at most size - 1 bytes (NUL-terminated).  Returns the
    // number of bytes stored, -1 when the read failed.
    int ReadLine(char* buffer, int size);

    bool GetEcho() const { return m_echo; }
    // Without probe, only sets the echo flag; with probe, asks the
    // instrument and switches its echo to the wanted state.
    bool InitEcho(bool wanted, bool probe);

    // The transfer timeout rule: length * factor * 1000 / bytes per second
    // (16000 when the line reports 0) + 200 ms, at least 4000 ms.
    static int TransferTimeout(uint32_t length, int factor, uint32_t bytesPerSecond);
    // Sets that timeout for reading and writing; returns it.
    int SetTransferTimeout(uint32_t length, int factor);

    // Text commands of other instrument classes and of the file functions.
    bool ListDirectory(uint16_t directory, std::string& listing);
    bool LoadFile(const std::u16string& path, std::vector<uint8_t>& data);
    bool SaveFile(const std::u16string& path, const uint8_t* data, size_t length);
    bool MoveFile(const std::u16string& from, const std::u16string& to);
    bool DeleteFile(const std::u16string& path);
    // "SS": 1 and the packet when one was read, 0 when the instrument has
    // none, -1 on failure.
    int ReadPacketInfo(std::vector<uint8_t>& packet);
    bool QueryPower(std::string& answer);
    bool RemoteLogout();
    bool RemoteLogin(const std::u16string& user, const std::u16string& password, const uint32_t* value = nullptr);

    // A path for a file command: backslashes doubled, 8-bit (Latin-1; other
    // characters become '?').
    static std::string QuotePath(const std::u16string& path);

private:
    void ResetFailure();
    void Fail(ELinkFailure reason);
    // Records the failure a stream's file exception means.
    void FailOnStream(const Platform::CFileException& e);
    void SetLineTimeouts(int readMs, int writeMs);
    void ApplyStreamTimeouts(int readMs, int writeMs);
    void ForgetStreamTimeouts();
    // Reads up to `count` bytes within the current read timeout.
    uint32_t ReadRaw(uint8_t* dst, uint32_t count);
    // As ReadRaw with its own timeout; a read that ends short without a
    // hang-up counts as a time-out only when `failShort`.
    uint32_t ReadFor(uint8_t* dst, uint32_t count, int timeoutMs, bool failShort);
    // The fewest bytes a long answer must bring per rate window.
    uint32_t MinimumBytesPerWindow() const;
    bool ReadExact(uint8_t* dst, uint32_t count);
    // Reads and throws away `count` bytes (stops when the line is silent).
    void Discard(uint64_t count);
    bool WriteAll(const uint8_t* data, size_t count);
    // Pauses `ms`; false when cancelled.
    bool Pause(int ms);
    void ReportProgress(int position, int phase, int expectedMs);
    // DLE handshake, command and CR; then the answer line (at most maxLine
    // bytes) with the echo rule applied.
    bool SendTextLine(const std::string& command, int timeoutMs, size_t maxLine, std::string& answer);
    int ReadLineInto(std::string& line, size_t maxBytes);
    // Shared loop of ReadLongAnswer and ReadGrowing.
    template <class Room>
    bool ReadAnswerBody(uint32_t total, int timeoutMs, int totalMs, uint32_t& got, Room room);
    bool ReadLongAnswer(uint8_t* buffer, uint32_t total, int timeoutMs, int totalMs, uint32_t& got);
    bool ReadGrowing(std::vector<uint8_t>& buffer, uint32_t total, int timeoutMs, int totalMs);
    // The argument check of the block exchanges: refuses a request length
    // outside 0..MAX_REQUEST_DATA, a negative timeout or missing data.
    bool AcceptBlockRequest(int length, int timeoutMs, bool dataMissing);
    // The opening of a block exchange: purges the input, sets both line
    // timeouts, sends the request frame and reads the answer's count byte.
    // False when the line failed (the failure is recorded).  A count of
    // COUNT_FIRST_ERROR or more is recorded as the instrument's error and
    // left to the caller to answer.
    bool StartBlockExchange(uint8_t block, const uint8_t* request, int requestLength, int timeoutMs,
                            uint8_t& count);
    // Reads and decodes the four bytes after an extended count.
    bool ReadExtendedHeader(SExtendedHeader& header);
    // An answer of `total` bytes for a buffer of `room`: the front is read
    // into `buffer`, the rest thrown away.
    void ReadCut(uint8_t* buffer, uint32_t room, uint32_t total);
    bool ControlCommand(uint8_t a, uint8_t b, int expected, uint8_t* answer, int& result);

    StreamIO::CIoStream* m_stream;
    std::string m_answer;
    AbortHook m_abortHook = nullptr;
    void* m_hookUser = nullptr;
    bool m_echo = true;
    std::vector<uint8_t> m_scratch;
    ProgressSink m_progress;
    TransferSink m_transfer;

    int m_readTimeout = 1000;
    int m_writeTimeout = 1000;
    bool m_streamTimeoutsKnown = false;
    int m_streamRead = 0;
    int m_streamWrite = 0;

    ELinkFailure m_failure = ELinkFailure::None;
    uint8_t m_instrumentError = 0;
    uint32_t m_streamError = 0;
};

} // namespace Device
