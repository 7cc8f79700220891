// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/FtpListing.h"

#include <array>

#include "platform/Text.h"

namespace Update {

namespace {

struct SToken {
    size_t begin = 0;
    size_t end = 0;
};

// Splits at runs of blanks, keeping where each token starts, so the name
// (the rest of the line) keeps its own spaces.
std::vector<SToken> Tokens(std::string_view line, size_t maxTokens)
{
    std::vector<SToken> tokens;
    size_t i = 0;
    while (i < line.size() && tokens.size() < maxTokens) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        SToken t;
        t.begin = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        t.end = i;
        tokens.push_back(t);
    }
    return tokens;
}

std::string_view Text(std::string_view line, const SToken& t)
{
    return line.substr(t.begin, t.end - t.begin);
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A size of at most 2^53 bytes: larger numbers are no real file.
bool ReadSize(std::string_view text, uint64_t& size)
{
    if (!AllDigits(text) || text.size() > 16)
        return false;
    uint64_t v = 0;
    for (char c : text)
        v = v * 10 + static_cast<uint64_t>(c - '0');
    if (v > (uint64_t{1} << 53))
        return false;
    size = v;
    return true;
}

bool IsMonth(std::string_view text)
{
    static const std::array<const char*, 12> months = {"jan", "feb", "mar", "apr", "may", "jun",
                                                       "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3)
        return false;
    for (const char* m : months) {
        bool same = true;
        for (size_t i = 0; i < 3; ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            same = same && c == m[i];
        }
        if (same)
            return true;
    }
    return false;
}

bool IsDay(std::string_view text)
{
    if (!AllDigits(text) || text.size() > 2)
        return false;
    const int d = text.size() == 1 ? text[0] - '0' : (text[0] - '0') * 10 + (text[1] - '0');
    return d >= 1 && d <= 31;
}

// "12:34" or a year.
bool IsTimeOrYear(std::string_view text)
{
    if (text.size() == 4 && AllDigits(text))
        return true;
    const size_t colon = text.find(':');
    return colon != std::string_view::npos && colon >= 1 && colon <= 2 && AllDigits(text.substr(0, colon)) &&
           text.size() - colon - 1 == 2 && AllDigits(text.substr(colon + 1));
}

// Strict UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        size_t len = 0;
        uint32_t c = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            len = 2;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            c = b & 0x07;
        } else {
            return false;
        }
        if (i + len > text.size())
            return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char n = static_cast<unsigned char>(text[i + k]);
            if ((n & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (n & 0x3F);
        }
        if ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

bool AcceptName(std::string_view name, SFtpEntry& entry)
{
    if (name.empty() || name.size() > kMaxFtpNameBytes || name == "." || name == "..")
        return false;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\')
            return false;
    }
    if (!IsUtf8(name))
        return false;
    entry.rawName = std::string(name);
    entry.name = Platform::FromUtf8(name);
    return true;
}

// "-rw-r--r--   1 owner group   1234 Dec 09 01:53 name"; the owner or the
// group may be missing, so the size is found as the token before the date.
bool ParseUnixLine(std::string_view line, SFtpEntry& entry)
{
    const std::vector<SToken> t = Tokens(line, 9);
    if (t.size() < 5)
        return false;
    const std::string_view mode = Text(line, t[0]);
    if (mode.size() < 10 || mode[0] != '-')
        return false;
    for (size_t i = 2; i + 2 < t.size(); ++i) {
        if (!IsMonth(Text(line, t[i])) || !IsDay(Text(line, t[i + 1])) || !IsTimeOrYear(Text(line, t[i + 2])))
            continue;
        uint64_t size = 0;
        if (!ReadSize(Text(line, t[i - 1]), size))
            return false;
        // The name is everything after the one blank that follows the time.
        const size_t nameStart = t[i + 2].end + 1;
        if (nameStart >= line.size())
            return false;
        if (!AcceptName(line.substr(nameStart), entry))
            return false;
        entry.size = size;
        return true;
    }
    return false;
}

// "12-09-26  01:53AM       1234 name" (or "<DIR>" instead of the size).
bool ParseDosLine(std::string_view line, SFtpEntry& entry)
{
    const std::vector<SToken> t = Tokens(line, 3);
    if (t.size() < 3)
        return false;
    const std::string_view date = Text(line, t[0]);
    const std::string_view time = Text(line, t[1]);
    if (date.size() < 8 || date[2] != '-' || date[5] != '-' || !AllDigits(date.substr(0, 2)) ||
        !AllDigits(date.substr(3, 2)) || !AllDigits(date.substr(6)))
        return false;
    if (time.size() < 6 || time.find(':') == std::string_view::npos)
        return false;
    uint64_t size = 0;
    if (!ReadSize(Text(line, t[2]), size))
        return false;   // "<DIR>" or junk
    size_t nameStart = t[2].end;
    while (nameStart < line.size() && line[nameStart] == ' ')
        ++nameStart;
    if (nameStart >= line.size() || !AcceptName(line.substr(nameStart), entry))
        return false;
    entry.size = size;
    return true;
}

} // namespace

bool ParseListingLine(std::string_view line, SFtpEntry& entry)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty())
        return false;
    SFtpEntry parsed;
    const bool ok = (line[0] >= '0' && line[0] <= '9') ? ParseDosLine(line, parsed) : ParseUnixLine(line, parsed);
    if (ok)
        entry = std::move(parsed);
    return ok;
}

std::vector<SFtpEntry> ParseFtpListing(std::string_view listing)
{
    std::vector<SFtpEntry> entries;
    size_t pos = 0;
    while (pos < listing.size()) {
        size_t end = listing.find('\n', pos);
        if (end == std::string_view::npos)
            end = listing.size();
        SFtpEntry entry;
        if (ParseListingLine(listing.substr(pos, end - pos), entry))
            entries.push_back(std::move(entry));
        pos = end + 1;
    }
    return entries;
}

bool MatchesPattern(std::u16string_view name, std::u16string_view pattern)
{
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    // Iterative match with one back-track point for the last '*'.
    size_t n = 0, p = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || fold(pattern[p]) == fold(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace Update
