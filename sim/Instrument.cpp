// SPDX-License-Identifier: GPL-3.0-or-later
#include "Instrument.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Checksums.h"
#include "SeriesGenerator.h"

namespace Sim {

namespace {

// The series data beyond which the "large" fault adds series.
constexpr size_t LARGE_SERIES_BYTES = 65536;

// The switching time the instrument announces for an operation-mode change.
constexpr uint32_t MODE_SWITCH_MS = 250;

SReply Single(uint8_t countByte, std::string note)
{
    SReply r;
    r.bytes.push_back(countByte);
    r.note = std::move(note);
    return r;
}

std::string Hex(uint8_t b)
{
    char s[8];
    std::snprintf(s, sizeof s, "0x%02X", b);
    return s;
}

} // namespace

CInstrument::CInstrument(SSimContent content, SFaults faults, uint32_t seed)
    : m_content(std::move(content)), m_faults(faults), m_seed(seed), m_rng(seed),
      m_echo(m_content.echo)
{
    // The list keeps no gaps and at most 50 names of 12 characters.
    std::erase(m_content.names, std::string());
    if (m_content.names.size() > NAME_SLOTS)
        m_content.names.resize(NAME_SLOTS);
    for (std::string& name : m_content.names)
        if (name.size() > NAME_TEXT_SIZE)
            name.resize(NAME_TEXT_SIZE);
    ApplyLargeFault();
}

void CInstrument::ApplyLargeFault()
{
    if (m_faults.largeSeries)
        GrowSeriesBeyond(m_content.series, LARGE_SERIES_BYTES, m_seed);
}

void CInstrument::SetFaults(const SFaults& faults)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults = faults;
    // Silence counts the requests from the moment the fault is set.
    m_requests = 0;
    m_textSilenced = false;
    ApplyLargeFault();
}

SFaults CInstrument::GetFaults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

void CInstrument::SetChecksum(EChecksum kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_checksum = kind;
}

SSimContent CInstrument::GetContent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SSimContent c = m_content;
    c.echo = m_echo;
    return c;
}

std::vector<std::string> CInstrument::GetNames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_content.names;
}

size_t CInstrument::GetSeriesCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_content.series.size();
}

bool CInstrument::GetOption88() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_content.option88;
}

bool CInstrument::GetEcho() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_echo;
}

bool CInstrument::GetRemoteMode() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_remote;
}

uint8_t CInstrument::GetOperationMode() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mode;
}

bool CInstrument::GetClock(uint32_t& count) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    count = m_clock;
    return m_clockSet;
}

uint64_t CInstrument::GetRequestCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

SReply CInstrument::Handle(const SRequest& request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SReply reply;
    if (request.kind == SRequest::None)
        return reply;

    bool silent;
    if (request.kind == SRequest::Text) {
        silent = m_textSilenced;
    } else {
        ++m_requests;
        silent = m_faults.silenceAfter >= 0 &&
                 m_requests > static_cast<uint64_t>(m_faults.silenceAfter);
        if (request.kind == SRequest::Dle)
            m_textSilenced = silent;
    }

    if (request.kind == SRequest::Dle) {
        reply.bytes.push_back(DLE_REPLY);
        reply.note = "DLE";
    } else if (request.kind == SRequest::Text) {
        reply = HandleText(request);
    } else {
        m_loseThisAnswer = false;
        reply = HandleFrame(request.block, request.data);
        if (m_loseThisAnswer) {
            reply.bytes.clear();
            reply.note += " (answer lost)";
            return reply;
        }
    }

    if (silent) {
        reply.bytes.clear();
        reply.hangUpAfter = SIZE_MAX;
        reply.note += " (silent)";
        return reply;
    }
    if (m_faults.garbageBytes > 0 && !reply.bytes.empty()) {
        std::vector<uint8_t> garbage(m_faults.garbageBytes);
        for (uint8_t& b : garbage)
            b = static_cast<uint8_t>(m_rng());
        reply.bytes.insert(reply.bytes.begin(), garbage.begin(), garbage.end());
        if (reply.hangUpAfter != SIZE_MAX)
            reply.hangUpAfter += garbage.size();
        reply.note += " (after " + std::to_string(garbage.size()) + " garbage bytes)";
    }
    if (m_faults.trickleMs > 0 && reply.bytes.size() > 1 && reply.trickleMs == 0) {
        reply.trickleMs = m_faults.trickleMs;
        reply.note += " (trickled, " + std::to_string(m_faults.trickleMs) + " ms a byte)";
    }
    return reply;
}

std::string CInstrument::TextAnswer(const std::string& command, const std::string& answer) const
{
    // With echo on the instrument repeats the command, a blank, the answer and
    // CR LF; with echo off it sends the answer and CR.
    if (m_echo)
        return command + " " + answer + "\r\n";
    return answer + "\r";
}

SReply CInstrument::HandleText(const SRequest& request)
{
    const std::string& cmd = request.text;
    const SSimIdentity& id = m_content.identity;
    std::string answer;
    bool newEcho = m_echo;
    if (request.overlong) {
        answer = "?";
    } else if (cmd.empty()) {
        answer.clear();
    } else if (cmd == "@ID@") {
        char sig[16];
        std::snprintf(sig, sizeof sig, "%08X", id.signature);
        answer = id.typeName + ";" + id.hardwareRevision + ";" + id.serialNumber + ";" + sig + ";" +
                 id.applicationVersion + ";" + id.bootloaderVersion;
    } else if (cmd == "ID") {
        answer = id.typeName + ";" + id.applicationVersion + ";" + id.serialNumber;
    } else if (cmd == "EC?") {
        answer = m_echo ? "1" : "0";
    } else if (cmd == "EC0" || cmd == "EC1") {
        // Answered in the mode in force when the command came.
        answer = "OK";
        newEcho = cmd == "EC1";
    } else {
        answer = "?";
    }
    const std::string line = TextAnswer(cmd, answer);
    m_echo = newEcho;
    SReply r;
    r.bytes.assign(line.begin(), line.end());
    r.note = "text \"" + cmd.substr(0, 64) + "\" -> \"" + answer + "\"";
    return r;
}

std::vector<uint8_t> CInstrument::Answer(const uint8_t* data, size_t size, bool extended) const
{
    std::vector<uint8_t> out;
    if (size == 0 && !extended) {
        out.push_back(0);
        return out;
    }
    if (!extended && size <= 238) {
        out.reserve(1 + size);
        out.push_back(static_cast<uint8_t>(size));
        out.insert(out.end(), data, data + size);
        return out;
    }
    const uint8_t kind = static_cast<uint8_t>(m_checksum);
    out.reserve(5 + size + kind);
    out.push_back(COUNT_EXTENDED);
    out.push_back(kind);
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(static_cast<uint8_t>(size >> 8));
    out.push_back(static_cast<uint8_t>(size >> 16));
    out.insert(out.end(), data, data + size);
    uint32_t sum = 0;
    switch (m_checksum) {
    case EChecksum::Crc8:
        sum = Crc8Maxim(data, size);
        break;
    case EChecksum::Crc16:
        sum = Crc16Arc(data, size);
        break;
    case EChecksum::Crc32:
        sum = Crc32(data, size);
        break;
    case EChecksum::None:
        break;
    }
    if (m_faults.badChecksum)
        sum = ~sum;
    for (uint8_t i = 0; i < kind; ++i)
        out.push_back(static_cast<uint8_t>(sum >> (8 * i)));
    return out;
}

SReply CInstrument::HandleFrame(uint8_t block, const std::vector<uint8_t>& data)
{
    switch (block) {
    case BLOCK_PAPER:
        return HandlePaper(data);
    case BLOCK_HWID: {
        const uint32_t v = m_content.identity.hardwareId;
        const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                  static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
        SReply r;
        r.bytes = Answer(bytes, 4, false);
        r.note = "hardware id";
        return r;
    }
    case BLOCK_CONTROL:
        return HandleControl(data);
    case BLOCK_RESYNC:
        // Whatever the pattern, the answer is the single byte 0xF0: it tells the
        // program that the line is in step again.
        return Single(RESYNC_ANSWER, "resync");
    default:
        return Single(ERR_UNKNOWN_REQUEST, "block " + Hex(block) + " not supported");
    }
}

SReply CInstrument::HandleControl(const std::vector<uint8_t>& data)
{
    if (data.size() < 2)
        return Single(ERR_BAD_PARAMETER, "control request too short");
    const uint8_t sub = data[0];
    const uint8_t arg = data[1];
    SReply r;
    const uint8_t one = 1;
    switch (sub) {
    case 0x10:
        m_remote = true;
        r.bytes = Answer(&one, 1, false);
        r.note = "remote mode on (" + std::to_string(arg) + " s)";
        return r;
    case 0x11:
        m_remote = false;
        m_loseThisAnswer = m_faults.loseRemoteOffAnswer;
        r.bytes = Answer(&one, 1, false);
        r.note = "remote mode off";
        return r;
    case 0x12:
        r.note = "control 0x12 " + Hex(arg) + " (no answer)";
        return r;
    case 0x00:
        // Every mode number 0..15 is known to this instrument.
        r.bytes = Answer(&one, 1, false);
        r.note = "mode " + std::to_string(arg & 0x0F) + " supported";
        return r;
    case 0x01: {
        const uint8_t in = (arg & 0x0F) == m_mode ? 1 : 0;
        r.bytes = Answer(&in, 1, false);
        r.note = "in mode " + std::to_string(arg & 0x0F) + ": " + std::to_string(in);
        return r;
    }
    case 0x03: {
        const uint8_t d[3] = {static_cast<uint8_t>(MODE_SWITCH_MS),
                              static_cast<uint8_t>(MODE_SWITCH_MS >> 8),
                              static_cast<uint8_t>(MODE_SWITCH_MS >> 16)};
        r.bytes = Answer(d, 3, false);
        r.note = "mode switching time";
        return r;
    }
    case 0x02:
        m_mode = arg & 0x0F;
        r.note = "mode changed to " + std::to_string(m_mode) + " (no answer)";
        return r;
    default:
        return Single(ERR_UNKNOWN_REQUEST, "control " + Hex(sub) + " not supported");
    }
}

SReply CInstrument::HandlePaper(const std::vector<uint8_t>& data)
{
    if (data.empty())
        return Single(ERR_BAD_PARAMETER, "paper request without code");
    SReply r;
    switch (data[0]) {
    case REQ_INFO_BLOCK: {
        const auto block = BuildInfoBlock(m_content);
        const size_t size = m_faults.shortInfo ? INFO_BLOCK_SIZE - 1 : INFO_BLOCK_SIZE;
        r.bytes = Answer(block.data(), size, false);
        r.note = "information block, " + std::to_string(size) + " bytes";
        return r;
    }
    case REQ_SET_CLOCK: {
        if (data.size() < 7)
            return Single(ERR_BAD_PARAMETER, "set clock: request too short");
        const int year = 2000 + data[1], month = data[2], day = data[3];
        const int hour = data[4], minute = data[5], second = data[6];
        if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
            second > 59)
            return Single(ERR_BAD_PARAMETER, "set clock: invalid date or time");
        m_clock = DateTimeToCount(year, month, day, hour, minute, second);
        m_clockSet = true;
        char note[64];
        std::snprintf(note, sizeof note, "clock set to %04d-%02d-%02d %02d:%02d:%02d", year, month,
                      day, hour, minute, second);
        return Single(0, note);
    }
    case REQ_SERIES:
        return SeriesAnswer();
    case REQ_DELETE_ALL: {
        const size_t n = m_content.series.size();
        m_content.series.clear();
        const uint8_t one = 1;
        r.bytes = Answer(&one, 1, false);
        r.note = "deleted " + std::to_string(n) + " series";
        return r;
    }
    case REQ_READ_NAMES:
        return NamesAnswer();
    case REQ_WRITE_NAME:
    case REQ_INSERT_NAME:
    case REQ_DELETE_NAMES: {
        // The names-change faults strike once.
        if (!m_namesChangeLost && (m_faults.loseNamesAnswer || m_faults.loseNamesRequest)) {
            m_namesChangeLost = true;
            m_loseThisAnswer = true;
            if (m_faults.loseNamesRequest) {
                r.note = "names change ignored";
                return r;
            }
        }
        if (data[0] == REQ_DELETE_NAMES)
            return DeleteNames(data);
        return WriteName(data, data[0] == REQ_INSERT_NAME);
    }
    case REQ_OPTION: {
        if (!m_content.option88Supported)
            return Single(ERR_UNKNOWN_REQUEST, "option request not supported");
        if (data.size() < 2)
            return Single(ERR_BAD_PARAMETER, "option request too short");
        if (data[1] == 0x03) {
            const uint8_t state = m_content.option88 ? 2 : 1;
            r.bytes = Answer(&state, 1, false);
            r.note = std::string("option is ") + (m_content.option88 ? "on" : "off");
            return r;
        }
        if (data[1] == 0x01 || data[1] == 0x02) {
            m_content.option88 = data[1] == 0x02;
            return Single(0, std::string("option switched ") + (m_content.option88 ? "on" : "off"));
        }
        return Single(ERR_BAD_PARAMETER, "option sub-request " + Hex(data[1]) + " unknown");
    }
    default:
        return Single(ERR_UNKNOWN_REQUEST, "paper request " + Hex(data[0]) + " not supported");
    }
}

SReply CInstrument::SeriesAnswer()
{
    SReply r;
    if (m_faults.cannotTransfer) {
        const uint8_t one = 1;
        r.bytes = Answer(&one, 1, false);
        r.note = "series: cannot transfer";
        return r;
    }
    if (m_faults.noSeries || m_content.series.empty()) {
        r.bytes = Answer(nullptr, 0, false);
        r.note = "series: none stored";
        return r;
    }
    if (m_faults.garbledSeries) {
        // What a peer sending "AAAA..." gives: the first byte, 0x41, is a
        // short answer's length.
        const std::vector<uint8_t> garbled(0x41, 'A');
        r.bytes = Answer(garbled.data(), garbled.size(), false);
        r.note = "series: 65 bytes \"A\"";
        return r;
    }
    // Only whole series that fit the 24-bit length go out.
    size_t total = 0, count = 0;
    for (const SSimSeries& s : m_content.series) {
        if (total + SeriesByteSize(s) > MAX_ANSWER_LENGTH)
            break;
        total += SeriesByteSize(s);
        ++count;
    }
    const std::vector<SSimSeries> part(m_content.series.begin(),
                                       m_content.series.begin() + static_cast<long>(count));
    std::vector<uint8_t> bytes = BuildSeriesBytes(part);
    if (m_faults.cutSeries && bytes.size() >= 2)
        bytes.resize(bytes.size() - 2);
    r.bytes = Answer(bytes.data(), bytes.size(), true);
    r.note = "series: " + std::to_string(count) + " series, " + std::to_string(bytes.size()) +
             " bytes";
    if (count < m_content.series.size())
        r.note += " (" + std::to_string(m_content.series.size() - count) +
                  " series left out: beyond the 24-bit length)";
    if (m_faults.hangUpInSeries) {
        r.hangUpAfter = 5 + bytes.size() / 2;
        r.note += ", hanging up after " + std::to_string(r.hangUpAfter) + " bytes";
    }
    if (m_faults.trickleSeriesMs > 0) {
        r.trickleMs = m_faults.trickleSeriesMs;
        r.trickleFrom = 5 + bytes.size() / 2;
        r.note += ", trickling from byte " + std::to_string(r.trickleFrom);
    }
    if (m_faults.measureAfterDownload && !m_measuredAfterDownload) {
        m_measuredAfterDownload = true;
        SSimSeries next = m_content.series.back();
        next.counter = 0;
        next.dateTime += 60;
        next.rollId = "MEASURED-LATE";
        AddSeriesLocked(next);
        r.note += ", then one more series measured";
    }
    return r;
}

void CInstrument::AddSeries(SSimSeries series)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    AddSeriesLocked(std::move(series));
}

void CInstrument::AddSeriesLocked(SSimSeries series)
{
    if (series.counter == 0)
        series.counter = static_cast<uint16_t>(m_content.series.empty() ? 1 : m_content.series.back().counter + 1);
    m_content.series.push_back(std::move(series));
}

SReply CInstrument::NamesAnswer()
{
    std::vector<uint8_t> data;
    data.reserve(1 + NAME_ENTRY_SIZE * m_content.names.size());
    data.push_back(static_cast<uint8_t>(m_content.names.size()));
    for (const std::string& name : m_content.names) {
        uint8_t entry[NAME_ENTRY_SIZE] = {};
        std::memcpy(entry, name.data(), std::min(name.size(), NAME_TEXT_SIZE));
        data.insert(data.end(), entry, entry + NAME_ENTRY_SIZE);
    }
    SReply r;
    r.bytes = Answer(data.data(), data.size(), false);
    r.note = "name list, " + std::to_string(m_content.names.size()) + " names";
    return r;
}

SReply CInstrument::WriteName(const std::vector<uint8_t>& data, bool insert)
{
    const char* what = insert ? "insert name" : "write name";
    if (data.size() < 2 + NAME_TEXT_SIZE)
        return Single(ERR_BAD_PARAMETER, std::string(what) + ": request too short");
    const size_t slot = data[1];
    if (slot >= NAME_SLOTS)
        return Single(ERR_SLOT, std::string(what) + ": slot " + std::to_string(slot) +
                                    " beyond the list");
    const char* text = reinterpret_cast<const char*>(data.data() + 2);
    const std::string name(text, strnlen(text, NAME_TEXT_SIZE));
    std::vector<std::string>& names = m_content.names;
    std::string note = std::string(what) + " " + std::to_string(slot) + " \"" + name + "\"";
    // The list keeps no gaps: a name for a slot past the end is appended, an
    // empty name written to a slot removes it.
    if (insert) {
        if (name.empty())
            return Single(0, note + " (empty: ignored)");
        if (names.size() >= NAME_SLOTS)
            return Single(ERR_LIST_FULL, note + ": list full");
        names.insert(names.begin() + static_cast<long>(std::min(slot, names.size())), name);
    } else if (name.empty()) {
        if (slot < names.size())
            names.erase(names.begin() + static_cast<long>(slot));
    } else if (slot < names.size()) {
        names[slot] = name;
    } else {
        names.push_back(name);
    }
    return Single(0, note);
}

SReply CInstrument::DeleteNames(const std::vector<uint8_t>& data)
{
    if (data.size() < 9)
        return Single(ERR_BAD_PARAMETER, "delete names: request too short");
    uint64_t mask = 0;
    for (int i = 0; i < 8; ++i)
        mask |= static_cast<uint64_t>(data[1 + i]) << (8 * i);
    std::vector<std::string>& names = m_content.names;
    size_t removed = 0;
    for (size_t slot = names.size(); slot-- > 0;) {
        if (slot < 64 && (mask >> slot) & 1) {
            names.erase(names.begin() + static_cast<long>(slot));
            ++removed;
        }
    }
    char note[64];
    std::snprintf(note, sizeof note, "delete names, mask %016llX: %zu removed",
                  static_cast<unsigned long long>(mask), removed);
    return Single(0, note);
}

} // namespace Sim
