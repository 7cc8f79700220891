// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated Veltrano: its stored content, its state between requests and
// the answer it gives to each request of the block and text layers.  No I/O
// here: the line server feeds requests in and writes the answers out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "FaultModes.h"
#include "FrameReader.h"
#include "SimContent.h"

namespace Sim {

// Block numbers and the request codes of the paper block.
enum : uint8_t {
    BLOCK_PAPER = 0xD2,
    BLOCK_HWID = 0xF1,
    BLOCK_CONTROL = 0xF4,
    BLOCK_RESYNC = 0xF6,
    BLOCK_PROGRAM = 0xF8,

    REQ_READ_NAMES = 0x00,
    REQ_WRITE_NAME = 0x01,
    REQ_INSERT_NAME = 0x02,
    REQ_DELETE_NAMES = 0x03,
    REQ_SET_CLOCK = 0x06,
    REQ_SERIES = 0x10,
    REQ_DELETE_ALL = 0x11,
    REQ_INFO_BLOCK = 0x30,
    REQ_OPTION = 0x88,
};

// Count byte values of the answers.
enum : uint8_t {
    COUNT_EXTENDED = 0xEF,
    ERR_UNKNOWN_REQUEST = 0xF1,   // block or request code this instrument does not know
    ERR_BAD_PARAMETER = 0xF2,     // request too short or a value out of range
    ERR_SLOT = 0xF3,              // series-name slot beyond the list's capacity
    ERR_LIST_FULL = 0xF4,         // no room to insert a series name
    RESYNC_ANSWER = 0xF0,
    DLE_REPLY = 0x06,
};

// Checksum kinds of the extended header.
enum class EChecksum : uint8_t { None = 0, Crc8 = 1, Crc16 = 2, Crc32 = 4 };

struct SReply {
    std::vector<uint8_t> bytes;
    // Close the line after this many bytes of `bytes` went out (hang-up fault).
    size_t hangUpAfter = SIZE_MAX;
    // Send the bytes one at a time with this pause between them (the
    // trickle fault); 0 sends them as the line takes them.
    int trickleMs = 0;
    // The bytes before this one go out at once, the rest trickle.
    size_t trickleFrom = 0;
    // One line for the log: what was asked and answered.
    std::string note;
};

class CInstrument {
public:
    explicit CInstrument(SSimContent content, SFaults faults = {}, uint32_t seed = 1);

    // The answer to one request; empty bytes when none is due.  Thread-safe:
    // several lines may share one instrument.
    SReply Handle(const SRequest& request);

    void SetFaults(const SFaults& faults);
    SFaults GetFaults() const;
    void SetChecksum(EChecksum kind);

    // Snapshots of the state, for tests and the log.
    SSimContent GetContent() const;
    std::vector<std::string> GetNames() const;
    size_t GetSeriesCount() const;
    bool GetOption88() const;
    bool GetEcho() const;
    bool GetRemoteMode() const;
    uint8_t GetOperationMode() const;
    // The clock as last set (seconds since 2000-01-01), and whether it was.
    bool GetClock(uint32_t& count) const;
    uint64_t GetRequestCount() const;

    // A series measured now: stored after the others (its counter, when 0,
    // follows the last one's).
    void AddSeries(SSimSeries series);

private:
    SReply HandleText(const SRequest& request);
    SReply HandleFrame(uint8_t block, const std::vector<uint8_t>& data);
    SReply HandlePaper(const std::vector<uint8_t>& data);
    SReply HandleControl(const std::vector<uint8_t>& data);
    SReply SeriesAnswer();
    void AddSeriesLocked(SSimSeries series);
    SReply NamesAnswer();
    SReply WriteName(const std::vector<uint8_t>& data, bool insert);
    SReply DeleteNames(const std::vector<uint8_t>& data);

    // Count byte and data: the short form up to 238 bytes unless `extended`,
    // else the extended header with the configured checksum.
    std::vector<uint8_t> Answer(const uint8_t* data, size_t size, bool extended) const;
    std::string TextAnswer(const std::string& command, const std::string& answer) const;
    void ApplyLargeFault();

    mutable std::mutex m_mutex;
    SSimContent m_content;
    SFaults m_faults;
    uint32_t m_seed;
    std::mt19937 m_rng;
    EChecksum m_checksum = EChecksum::Crc32;
    bool m_echo;
    bool m_remote = false;
    uint8_t m_mode = 8;            // operation mode: 8 = normal measuring mode
    bool m_clockSet = false;
    uint32_t m_clock = 0;
    uint64_t m_requests = 0;
    bool m_textSilenced = false;   // the DLE of the current text command went unanswered
    bool m_namesChangeLost = false;  // the lose-answer/lose-request fault has struck
    bool m_loseThisAnswer = false;   // the request being handled goes unanswered
    bool m_measuredAfterDownload = false;  // the measure-after-download fault has struck
};

} // namespace Sim
