// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc::WriteProject to a file.
//
// A save must never destroy the project it replaces: AtomicFile writes the
// document to a new temporary file in the target's folder, flushes it to the
// disk and only then renames it over the target.  On any failure the old
// file stays as it was, the user is told which file could not be written
// and why, and the change mark stays set.
#include "data/AtomicFile.h"
#include "data/DataStrings.h"
#include "data/PaperDoc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/VnArchive.h"

bool CPaperDoc::WriteProject(const std::u16string& path)
{
    try {
        AtomicFile::Write(path, [this](StreamIO::CIoStream& stream) {
            StreamIO::CVnArchive archive(stream.GetId(), 0);
            WriteProject(archive);
            archive.Flush();   // writes the buffer and flushes the file to the disk
        });
    } catch (const Platform::CFileException& e) {
        Message(IDocumentUi::messageError,
                Platform::FormatU(LoadText(DataStrings::kSaveFailed).c_str(),
                                  Platform::ToUtf8(path).c_str(), Platform::DescribeError(e.GetOsError())));
        return false;
    }
    m_changeMark = false;
    return true;
}
