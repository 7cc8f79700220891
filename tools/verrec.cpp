// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time generator of version records.
//
// Reads a small text description of a version record and writes it in the
// binary layout of a Windows version resource, either as a file or as a C++
// source whose arrays land in named ELF sections of the program or library
// that compiles it:
//
//   brelmora-verrec --blob OUT.bin DESCRIPTION
//   brelmora-verrec --cpp OUT.cpp DESCRIPTION [--section NAME FILE]...
//
// --cpp puts the record into the section ".brelmora_version"; each
// --section adds another section holding FILE's bytes unchanged (the string
// table of a language library).
//
// The description is UTF-8, one statement per line; '#' starts a comment line:
//
//   FILEVERSION     1.8.1.0          fixed record (up to four dotted parts)
//   PRODUCTVERSION  1.8
//   FILETYPE        APP | DLL | <number>
//   FILEFLAGS / FILEOS / FILESUBTYPE <number>
//   TRANSLATION     0x0407 1200      language id and code page (repeatable)
//   BLOCK           040704B0         starts a string table with that key
//   VALUE <Name>    <text>           a string of the current table
//
// VALUE lines before any BLOCK go to the table of the first TRANSLATION
// ("040904B0" when there is none).
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ExecutableResources.h"
#include "platform/Text.h"
#include "platform/VersionResourceWriter.h"

namespace {

bool ParseNumber(const std::string& text, uint32_t& value)
{
    if (text.empty())
        return false;
    size_t used = 0;
    try {
        const unsigned long long v = std::stoull(text, &used, 0);
        if (used != text.size() || v > 0xFFFFFFFFull)
            return false;
        value = static_cast<uint32_t>(v);
    } catch (...) {
        return false;
    }
    return true;
}

// "a.b.c.d" with fewer parts allowed; each part 0..65535.
bool ParseVersion(const std::string& text, uint64_t& value)
{
    value = 0;
    std::istringstream in(text);
    std::string part;
    int count = 0;
    while (std::getline(in, part, '.')) {
        uint32_t v;
        if (++count > 4 || part.find_first_not_of("0123456789") != std::string::npos || !ParseNumber(part, v) ||
            v > 0xFFFF)
            return false;
        value |= static_cast<uint64_t>(v) << (48 - 16 * (count - 1));
    }
    return count > 0;
}

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return std::string();
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// Splits "WORD rest" at the first run of blanks.
void SplitWord(const std::string& line, std::string& word, std::string& rest)
{
    const size_t end = line.find_first_of(" \t");
    word = line.substr(0, end);
    rest = end == std::string::npos ? std::string() : Trim(line.substr(end));
}

bool ReadDescription(const std::string& path, Platform::VersionRecordLayout& layout)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot open\n";
        return false;
    }
    layout = Platform::VersionRecordLayout();
    layout.fixedInfo = Platform::MakeFixedFileInfo(0, 0, Platform::VFT_APP);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const char* what) {
        std::cerr << path << ":" << lineNo << ": " << what << "\n";
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        std::string word, rest;
        SplitWord(line, word, rest);
        uint64_t version = 0;
        uint32_t number = 0;
        if (word == "FILEVERSION" || word == "PRODUCTVERSION") {
            if (!ParseVersion(rest, version))
                return fail("expected a version such as 1.8.1.0");
            uint32_t& ms = word == "FILEVERSION" ? layout.fixedInfo.dwFileVersionMS : layout.fixedInfo.dwProductVersionMS;
            uint32_t& ls = word == "FILEVERSION" ? layout.fixedInfo.dwFileVersionLS : layout.fixedInfo.dwProductVersionLS;
            ms = static_cast<uint32_t>(version >> 32);
            ls = static_cast<uint32_t>(version);
        } else if (word == "FILETYPE") {
            if (rest == "APP")
                layout.fixedInfo.dwFileType = Platform::VFT_APP;
            else if (rest == "DLL")
                layout.fixedInfo.dwFileType = Platform::VFT_DLL;
            else if (!ParseNumber(rest, layout.fixedInfo.dwFileType))
                return fail("expected APP, DLL or a number");
        } else if (word == "FILEFLAGS" || word == "FILEOS" || word == "FILESUBTYPE") {
            if (!ParseNumber(rest, number))
                return fail("expected a number");
            (word == "FILEFLAGS" ? layout.fixedInfo.dwFileFlags
                                 : word == "FILEOS" ? layout.fixedInfo.dwFileOS : layout.fixedInfo.dwFileSubtype) = number;
        } else if (word == "TRANSLATION") {
            std::string language, codePage;
            SplitWord(rest, language, codePage);
            uint32_t l, c;
            if (!ParseNumber(language, l) || !ParseNumber(codePage, c) || l > 0xFFFF || c > 0xFFFF)
                return fail("expected a language id and a code page");
            layout.translations.push_back({static_cast<uint16_t>(l), static_cast<uint16_t>(c)});
        } else if (word == "BLOCK") {
            if (rest.size() != 8 || rest.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return fail("expected an 8-digit hex key such as 040904B0");
            layout.tables.push_back({Platform::FromUtf8(rest), {}});
        } else if (word == "VALUE") {
            std::string name, text;
            SplitWord(rest, name, text);
            if (name.empty())
                return fail("expected VALUE <Name> <text>");
            if (layout.tables.empty())
                layout.tables.push_back({std::u16string(), {}});
            layout.tables.back().strings.emplace_back(Platform::FromUtf8(name), Platform::FromUtf8(text));
        } else {
            return fail("unknown statement");
        }
    }
    for (Platform::VersionStringTable& table : layout.tables)
        if (table.key.empty())
            table.key = layout.translations.empty() ? std::u16string(u"040904B0")
                                                  : Platform::StringTableKey(layout.translations.front());
    return true;
}

bool ReadBinary(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot open\n";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string SymbolFor(const std::string& section)
{
    std::string symbol = "brelmora_section";
    for (char c : section)
        symbol += ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) ? c : '_';
    return symbol;
}

void WriteArray(std::ostream& out, const std::string& section, const std::vector<uint8_t>& bytes)
{
    // External linkage and "used" keep the otherwise unreferenced data.
    out << "extern \"C\" const unsigned char " << SymbolFor(section) << "[" << (bytes.empty() ? 1 : bytes.size())
        << "] __attribute__((section(\"" << section << "\"), used, aligned(4))) = {";
    for (size_t i = 0; i < bytes.size(); ++i)
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(bytes[i]) << ",";
    if (bytes.empty())
        out << "0";
    out << "\n};\n\n";
}

// Leaves an unchanged output alone so that dependants are not rebuilt.
bool WriteIfChanged(const std::string& path, const std::string& content)
{
    {
        std::ifstream old(path, std::ios::binary);
        std::stringstream oldContent;
        oldContent << old.rdbuf();
        if (old && oldContent.str() == content)
            return true;
    }
    std::ofstream out(path, std::ios::binary);
    out << content;
    return static_cast<bool>(out);
}

int Usage()
{
    std::cerr << "usage: brelmora-verrec --blob OUT DESCRIPTION\n"
                 "       brelmora-verrec --cpp OUT DESCRIPTION [--section NAME FILE]...\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    const std::string mode = argv[1];
    if (mode != "--blob" && mode != "--cpp")
        return Usage();
    const std::string outPath = argv[2];
    Platform::VersionRecordLayout layout;
    if (!ReadDescription(argv[3], layout))
        return 1;
    std::vector<uint8_t> record;
    if (!Platform::BuildVersionResource(layout, record)) {
        std::cerr << argv[3] << ": the version record exceeds 65535 bytes\n";
        return 1;
    }
    if (mode == "--blob") {
        if (argc != 4)
            return Usage();
        return WriteIfChanged(outPath, std::string(record.begin(), record.end())) ? 0 : 1;
    }

    std::ostringstream out;
    out << "// Generated by brelmora-verrec from " << argv[3] << "; do not edit.\n"
        << "// Data only: these sections are read from the file, never used by code.\n\n";
    WriteArray(out, Platform::kVersionSectionName, record);
    for (int i = 4; i < argc; i += 3) {
        if (std::string(argv[i]) != "--section" || i + 2 >= argc)
            return Usage();
        std::vector<uint8_t> bytes;
        if (!ReadBinary(argv[i + 2], bytes))
            return 1;
        WriteArray(out, argv[i + 1], bytes);
    }
    return WriteIfChanged(outPath, out.str()) ? 0 : 1;
}
