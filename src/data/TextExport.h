// SPDX-License-Identifier: GPL-3.0-or-later
// The text export file: the byte-order mark FF FE, then the text as UTF-16
// little-endian code units, no terminating NUL.  The same text is written
// whatever the file's extension (.txt or .csv).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TextExport {

// The file's bytes for `text`.
std::vector<uint8_t> Encode(const std::u16string& text);

// Writes the export file at `path`, replacing an existing file.  The bytes
// go to a temporary file beside it first, which is then renamed over the
// target, so a failed export never leaves a cut-short file behind.  Throws
// Platform::CFileException (error number and file name) on failure.
void WriteFile(const std::u16string& path, const std::u16string& text);

} // namespace TextExport
