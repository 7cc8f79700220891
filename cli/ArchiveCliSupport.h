// SPDX-License-Identifier: GPL-3.0-or-later
// What the archive commands share: the --archive option, the find filters,
// opening the archive (exit 9 with the message when it fails).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/ArchiveError.h"
#include "archive/LabArchive.h"

class CPaperData;

namespace Cli {

struct SArchiveArgs {
    std::optional<std::u16string> archive;   // --archive URL
    Archive::SFindFilter filter;
    bool json = false;
    bool csv = false;
    bool acceptDamaged = false;
    std::vector<std::string> words;          // everything that is not an option
};

// Parses the options of an archive subcommand; `allowed` lists the options
// it takes besides --archive.  exitOk, or the exit status after the message.
int ParseArchiveArgs(const std::string& command, const std::vector<std::string>& args,
                     std::initializer_list<const char*> allowed, SArchiveArgs& out);

// Opens the archive; null after printing the message (the caller exits 9).
std::unique_ptr<Archive::CLabArchive> OpenArchive(const std::optional<std::u16string>& given,
                                                  Archive::CLabArchive::EMode mode);

// Prints the archive's message and gives exitArchive.
int ArchiveFailure(const Archive::CArchiveError& error);

} // namespace Cli
