// Shared pieces of the command-line front end: exit codes, messages on
// standard error, the document's question/message interface for a terminal,
// and the settings the commands read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/DocumentInterfaces.h"

class CPaperDoc;

namespace Cli {

enum ExitCode {
    exitOk = 0,
    exitUsage = 1,
    exitNotAProject = 2,
    exitCannotWrite = 3,
    exitNoInstrument = 4,
    exitNoSeries = 5,
    exitCannotTransfer = 6,
    exitCommunication = 7,
    exitUpdate = 8,          // the download server failed (update and firmware checks)
};

// The document's front end on a terminal: no questions are asked (every
// question is answered "No", dialogs are cancelled) and messages are kept
// until the command prints them.
class CTerminalUi : public IDocumentUi {
public:
    Answer AskYesNoCancel(const std::u16string& text) override;
    void ShowMessage(int kind, const std::u16string& text) override;
    bool AskOpenPath(const SFileDialogRequest& request, std::u16string& path) override;
    bool AskSavePath(const SFileDialogRequest& request, std::u16string& path) override;

    // Prints the kept messages to standard error, each prefixed with `file`
    // unless it names the file already, and forgets them.
    void Flush(const std::string& file);

private:
    std::vector<std::u16string> m_messages;
};

// Prints "<file>: <text>" on standard error.
void PrintError(const std::string& file, const std::u16string& text);

// A text of the string table, formatted with printf arguments (UTF-8 %s).
std::u16string Text(uint32_t id);

// Opens a project into `doc`; on failure prints the message naming the
// file and returns false.  Warnings (a damaged file opened with what could
// be read) are printed too.
bool OpenProject(CPaperDoc& doc, CTerminalUi& ui, const std::string& path);

// The "DTFormat" value of the settings key in the registry store; 0 when
// absent or unreadable.
uint32_t ReadDtFormatSetting();

// A number given on the command line, decimal or 0x-hexadecimal.
std::optional<uint32_t> ParseNumber(const std::string& text);

} // namespace Cli
