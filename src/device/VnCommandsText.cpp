// SPDX-License-Identifier: GPL-3.0-or-later
// CVnCommands: the text layer (DLE, command line, answer line) and the text
// commands of the file functions and of other instrument classes.
#include "device/VnCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "device/BlockFrame.h"
#include "platform/Text.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace Device {

namespace {

constexpr uint8_t CR = 0x0D;
constexpr uint8_t LF = 0x0A;
constexpr uint32_t kMaxFileLength = MAX_EXTENDED_LENGTH;

// Parses exactly eight hexadecimal digits.
bool ParseHex8(const std::string& text, size_t offset, uint32_t& value)
{
    if (text.size() < offset + 8)
        return false;
    value = 0;
    for (size_t i = offset; i < offset + 8; ++i) {
        const char ch = text[i];
        uint32_t digit = 0;
        if (ch >= '0' && ch <= '9')
            digit = static_cast<uint32_t>(ch - '0');
        else if (ch >= 'A' && ch <= 'F')
            digit = static_cast<uint32_t>(ch - 'A' + 10);
        else if (ch >= 'a' && ch <= 'f')
            digit = static_cast<uint32_t>(ch - 'a' + 10);
        else
            return false;
        value = (value << 4) | digit;
    }
    return true;
}

} // namespace

int CVnCommands::ReadLineInto(std::string& line, size_t maxBytes)
{
    line.clear();
    // The read timeout holds for the whole line, not for each byte: an
    // answer trickling in byte by byte must not run on for minutes.
    const auto started = std::chrono::steady_clock::now();
    const int timeout = m_readTimeout;
    while (line.size() < maxBytes) {
        uint8_t b = 0;
        int left = timeout;
        if (timeout > 0) {
            const auto spent =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
            left = static_cast<int>(std::max<int64_t>(1, timeout - spent));
            if (spent >= timeout) {
                if (!line.empty() && static_cast<uint8_t>(line.back()) == CR)
                    break;
                Fail(ELinkFailure::Timeout);
                return -1;
            }
        }
        if (ReadFor(&b, 1, left, true) != 1) {
            // A time-out ends the line only after a carriage return.
            if (!line.empty() && static_cast<uint8_t>(line.back()) == CR)
                break;
            return -1;
        }
        line.push_back(static_cast<char>(b));
        if (b == LF || (!m_echo && b == CR))
            break;
    }
    return static_cast<int>(line.size());
}

int CVnCommands::ReadLine(char* buffer, int size)
{
    if (buffer == nullptr || size < 1)
        return -1;
    buffer[0] = '\0';
    std::string line;
    int n = -1;
    try {
        n = ReadLineInto(line, static_cast<size_t>(size - 1));
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return -1;
    }
    if (n < 0)
        return -1;
    line.copy(buffer, line.size());
    buffer[line.size()] = '\0';
    return n;
}

bool CVnCommands::SendTextLine(const std::string& command, int timeoutMs, size_t maxLine, std::string& answer)
{
    answer.clear();
    m_stream->PurgeInput();
    const uint8_t dle = DLE;
    if (!WriteAll(&dle, 1))
        return false;
    SetLineTimeouts(timeoutMs, timeoutMs);
    uint8_t ignored = 0;
    if (!ReadExact(&ignored, 1))
        return false;
    std::string line = command;
    line.push_back(static_cast<char>(CR));
    if (!WriteAll(reinterpret_cast<const uint8_t*>(line.data()), line.size()))
        return false;
    std::string read;
    if (ReadLineInto(read, maxLine) <= 0)
        return false;
    if (command.empty())
        return true;
    if (read.find(static_cast<char>(LF)) != std::string::npos) {
        // With echo on the line repeats the command; the answer follows the
        // first blank.
        const size_t blank = read.find(' ');
        if (blank == std::string::npos || blank + 1 >= read.size())
            return false;
        read.erase(0, blank + 1);
    }
    const size_t cr = read.find(static_cast<char>(CR));
    if (cr != std::string::npos)
        read.erase(cr);
    answer = std::move(read);
    return true;
}

bool CVnCommands::TextCommand(const std::string& command, int timeoutMs)
{
    ResetFailure();
    m_answer.clear();
    if (m_stream == nullptr)
        return false;
    try {
        std::string answer;
        if (!SendTextLine(command, timeoutMs, TEXT_ANSWER_SIZE - 2, answer))
            return false;
        if (answer.size() >= TEXT_ANSWER_SIZE)
            return false;
        m_answer = std::move(answer);
        if (m_answer.find('?') != std::string::npos) {
            Fail(ELinkFailure::Refused);
            return false;
        }
        return true;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return false;
    }
}

bool CVnCommands::InitEcho(bool wanted, bool probe)
{
    if (!probe) {
        m_echo = wanted;
        return true;
    }
    ResetFailure();
    if (m_stream == nullptr)
        return false;
    try {
        SetLineTimeouts(8000, 4000);
        const uint8_t dle = DLE;
        if (!WriteAll(&dle, 1))
            return false;
        uint8_t ignored = 0;
        if (!ReadExact(&ignored, 1))
            return false;
        static const uint8_t kQuery[4] = {0x45, 0x43, 0x3F, CR};
        if (!WriteAll(kQuery, sizeof kQuery))
            return false;
        m_echo = false;
        std::string line;
        if (ReadLineInto(line, TEXT_ANSWER_SIZE - 2) < 0)
            return false;
        if (line.size() > 5 && line.find(static_cast<char>(CR)) != std::string::npos) {
            uint8_t b = 0;
            if (ReadExact(&b, 1) && b == LF)
                m_echo = true;
        }
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return false;
    }
    if (wanted && !m_echo) {
        if (!TextCommand("EC1", 4000))
            return false;
        m_echo = true;
    } else if (!wanted && m_echo) {
        if (!TextCommand("EC0", 4000))
            return false;
        m_echo = false;
    }
    return true;
}

std::string CVnCommands::QuotePath(const std::u16string& path)
{
    std::string out;
    out.reserve(path.size() + 8);
    for (char16_t ch : path) {
        if (ch == u'\\')
            out += "\\\\";
        else if (ch < 0x100)
            out += static_cast<char>(ch);
        else
            out += '?';
    }
    return out;
}

bool CVnCommands::ListDirectory(uint16_t directory, std::string& listing)
{
    ResetFailure();
    listing.clear();
    if (m_stream == nullptr)
        return false;
    try {
        std::string answer;
        if (!SendTextLine(Platform::FormatA("DIRS %04X", directory), 120000, DIRECTORY_ANSWER_MAX, answer))
            return false;
        uint32_t length = 0;
        if (answer.size() < 9 || answer[8] != ';' || !ParseHex8(answer, 0, length))
            return false;
        if (answer.size() - 9 != length)
            return false;
        listing = answer.substr(9);
        if (!listing.empty() && listing.back() == ';')
            listing.pop_back();
        return true;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return false;
    }
}

bool CVnCommands::LoadFile(const std::u16string& path, std::vector<uint8_t>& data)
{
    data.clear();
    // The instrument answers the command with the file length ("%08X"); the
    // file's bytes follow the answer line.
    if (!TextCommand("LOAD \"" + QuotePath(path) + "\"", TransferTimeout(0, 1, 0)))
        return false;
    uint32_t length = 0;
    if (!ParseHex8(m_answer, 0, length) || length > kMaxFileLength)
        return false;
    try {
        const int timeout = SetTransferTimeout(length, 2);
        return ReadGrowing(data, length, timeout, 0);
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        data.clear();
        return false;
    }
}

bool CVnCommands::SaveFile(const std::u16string& path, const uint8_t* data, size_t length)
{
    if (length > kMaxFileLength || (data == nullptr && length > 0))
        return false;
    if (!TextCommand("SAVE \"" + QuotePath(path) + "\"", 6000))
        return false;
    // The length (32-bit little-endian) and the bytes follow; the instrument
    // confirms with one byte, 0 when the file was stored.
    try {
        SetTransferTimeout(static_cast<uint32_t>(length), 2);
        const uint8_t head[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                                 static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
        if (!WriteAll(head, sizeof head) || !WriteAll(data, length))
            return false;
        uint8_t answer = 0xFF;
        return ReadExact(&answer, 1) && answer == 0;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        return false;
    }
}

bool CVnCommands::MoveFile(const std::u16string& from, const std::u16string& to)
{
    return TextCommand("MOVF \"" + QuotePath(from) + "\";\"" + QuotePath(to) + "\"", 4000);
}

bool CVnCommands::DeleteFile(const std::u16string& path)
{
    return TextCommand("DELF \"" + QuotePath(path) + "\"", 4000);
}

int CVnCommands::ReadPacketInfo(std::vector<uint8_t>& packet)
{
    ResetFailure();
    packet.clear();
    if (m_stream == nullptr)
        return -1;
    try {
        m_stream->PurgeInput();
        const uint8_t dle = DLE;
        if (!WriteAll(&dle, 1))
            return -1;
        const int timeout = SetTransferTimeout(PACKET_MAX, 1);
        uint8_t ignored = 0;
        if (!ReadExact(&ignored, 1))
            return -1;
        static const uint8_t kCommand[3] = {'S', 'S', CR};
        if (!WriteAll(kCommand, sizeof kCommand))
            return -1;
        uint8_t status[2];
        if (!ReadExact(status, 2))
            return -1;
        if ((status[0] == 'S' && status[1] == 'S') || (status[0] == 's' && status[1] == 's')) {
            uint8_t rest[3];
            return ReadExact(rest, 3) ? 0 : -1;
        }
        if (status[0] != 0 || status[1] != 0)
            return -1;
        uint8_t head[4];
        if (!ReadExact(head, 4))
            return -1;
        const uint32_t length = static_cast<uint32_t>(head[0]) | (static_cast<uint32_t>(head[1]) << 8) |
                                (static_cast<uint32_t>(head[2]) << 16) | (static_cast<uint32_t>(head[3]) << 24);
        if (length > PACKET_MAX)
            return -1;
        return ReadGrowing(packet, length, timeout, 0) ? 1 : -1;
    } catch (const Platform::CFileException& e) {
        FailOnStream(e);
        packet.clear();
        return -1;
    }
}

bool CVnCommands::QueryPower(std::string& answer)
{
    const bool ok = TextCommand("GPOW", 2000);
    answer = m_answer;
    return ok;
}

bool CVnCommands::RemoteLogout()
{
    return TextCommand("RLGO", 4000);
}

bool CVnCommands::RemoteLogin(const std::u16string& user, const std::u16string& password, const uint32_t* value)
{
    std::string command = "RLGI \"" + QuotePath(user) + "\"; \"" + QuotePath(password) + "\"";
    if (value != nullptr)
        command += Platform::FormatA("; %08X", *value);
    return TextCommand(command, 4000);
}

} // namespace Device
