// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliCommon.h"

#include <cstdio>
#include <cstdlib>

#include "CliStrings.h"
#include "SafetyCliStrings.h"
#include "StandardOutput.h"
#include "data/AtomicFile.h"
#include "data/OutputTarget.h"
#include "data/PaperDoc.h"
#include "platform/ErrorCodes.h"
#include "platform/ExecutableResources.h"
#include "platform/FileException.h"
#include "platform/FileIdentity.h"
#include "platform/FileMessage.h"
#include "platform/SettingsStore.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/LanguageLibrary.h"

namespace Cli {

IDocumentUi::Answer CTerminalUi::AskYesNoCancel(const std::u16string&)
{
    return answerNo;
}

void CTerminalUi::ShowMessage(int, const std::u16string& text)
{
    m_messages.push_back(text);
}

bool CTerminalUi::AskOpenPath(const SFileDialogRequest&, std::u16string&)
{
    return false;
}

bool CTerminalUi::AskSavePath(const SFileDialogRequest&, std::u16string&)
{
    return false;
}

void CTerminalUi::Flush(const std::string& file)
{
    for (const std::u16string& text : m_messages)
        std::fprintf(stderr, "%s\n", Platform::FileMessageLine(file, text).c_str());
    m_messages.clear();
}

void PrintError(const std::string& file, const std::u16string& text)
{
    std::fprintf(stderr, "%s: %s\n", file.c_str(), Platform::ToUtf8(text).c_str());
}

std::u16string Text(uint32_t id)
{
    return Platform::LoadString(id);
}

bool OpenProject(CPaperDoc& doc, CTerminalUi& ui, const std::string& path)
{
    doc.SetUi(&ui);
    const bool ok = doc.OpenProject(Platform::FromUtf8(path));
    ui.Flush(path);
    return ok;
}

namespace {
std::string g_tracePath;
}

void SetTracePath(const std::string& path)
{
    g_tracePath = path;
}

const std::string& TracePath()
{
    return g_tracePath;
}

int CheckDistinctFiles(const std::string& input, const std::vector<std::string>& outputs)
{
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].empty())
            continue;
        // The settings file and its lock are the program's own.
        if (OutputTarget::IsSettingsFile(outputs[i])) {
            PrintError(outputs[i], Text(kOutputIsSettings));
            return exitUsage;
        }
        if (Platform::IsSameFile(input, outputs[i])) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kOutputIsInput).c_str(), outputs[i].c_str()));
            return exitUsage;
        }
        for (size_t j = 0; j < i; ++j) {
            if (Platform::IsSameFile(outputs[j], outputs[i])) {
                PrintError("brelmora-cli", Platform::FormatU(Text(kOutputTwice).c_str(), outputs[j].c_str(),
                                                             outputs[i].c_str()));
                return exitUsage;
            }
        }
    }
    return exitOk;
}

int OpenProjectForOutput(CPaperDoc& doc, CTerminalUi& ui, const std::string& path, bool acceptDamaged)
{
    if (!OpenProject(doc, ui, path))
        return exitNotAProject;
    if (!doc.WasLoadedComplete() && !acceptDamaged) {
        PrintError(path, Text(kProjectDamagedExit));
        return exitNotAProject;
    }
    return exitOk;
}

int WriteExport(const std::string& target, const std::vector<uint8_t>& bytes)
{
    if (target == "-") {
        OutBytes(bytes.data(), bytes.size());
        return exitOk;   // a failure is reported when the command ends
    }
    try {
        AtomicFile::WriteBytes(Platform::FromUtf8(target), bytes.data(), bytes.size());
    } catch (const Platform::CFileException& e) {
        PrintError(target, Platform::FormatU(Text(kCannotWrite).c_str(), Platform::DescribeError(e.GetOsError())));
        return exitCannotWrite;
    }
    return exitOk;
}

CSettingsLanguage::CSettingsLanguage() : m_previous(Platform::GetLanguageStrings())
{
    const std::u16string program = Platform::FromUtf8(Platform::OwnExecutablePath());
    const SLanguageChoice choice = ChooseLanguage(CSettingsStore::Peek(program).languageFile, program);
    if (choice.kind == SLanguageChoice::library)
        Platform::SetLanguageStrings(choice.table);
}

CSettingsLanguage::~CSettingsLanguage()
{
    Platform::SetLanguageStrings(m_previous);
}

uint32_t ReadDtFormatSetting()
{
    return CSettingsStore::PeekDateTimeFormat();
}

std::optional<uint32_t> ParseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.c_str() + (hex ? 2 : 0);
    if (*begin == '\0' || *begin == '-' || *begin == '+' || *begin == ' ')
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(begin, &end, hex ? 16 : 10);
    if (errno != 0 || end == begin || *end != '\0' || v > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<uint32_t>(v);
}

} // namespace Cli
