// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the command-line front end: exit codes, messages on
// standard error, the document's question/message interface for a terminal,
// and the settings the commands read.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/DocumentInterfaces.h"
#include "platform/StringTable.h"

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
    exitArchive = 9,         // the archive cannot be opened, read or written
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

// Opens a project whose content is printed or exported: exitOk, or
// exitNotAProject when it cannot be read, and also when it opened only with
// the damage warning unless `acceptDamaged` (a script must not take a part
// of a project for the whole).  Messages go to standard error.
int OpenProjectForOutput(CPaperDoc& doc, CTerminalUi& ui, const std::string& path, bool acceptDamaged);

// Writes an export: to standard output for "-", else replacing the file
// all or nothing.  Returns exitOk, or exitCannotWrite after saying why.
int WriteExport(const std::string& target, const std::vector<uint8_t>& bytes);

// While it lives, the string table speaks the language library the
// settings choose, as the desktop program does, so exports made here hold
// the desktop's bytes; the messages of the command line keep their
// language outside it.
class CSettingsLanguage {
public:
    CSettingsLanguage();
    ~CSettingsLanguage();
    CSettingsLanguage(const CSettingsLanguage&) = delete;
    CSettingsLanguage& operator=(const CSettingsLanguage&) = delete;

private:
    std::shared_ptr<const Platform::StringMap> m_previous;
};

// The "DTFormat" value of the settings key in the registry store; 0 when
// absent or unreadable.
uint32_t ReadDtFormatSetting();

// The wire trace's file (empty without a trace), set by main before the
// command runs: it is an output like any other.
void SetTracePath(const std::string& path);
const std::string& TracePath();

// The first pair of `outputs` (or an output and `input`) that name the same
// file, also through another spelling, a symbolic or a hard link: prints
// which and returns exitUsage.  Empty names are skipped; exitOk when all
// differ.
int CheckDistinctFiles(const std::string& input, const std::vector<std::string>& outputs);

// A number given on the command line, decimal or 0x-hexadecimal.
std::optional<uint32_t> ParseNumber(const std::string& text);

} // namespace Cli
