// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc: copy and paste of series through the private clipboard format.
//
// Both directions pass through the RAM file "RAM:ClipRamStream", so the
// archive code that writes and reads project files makes and takes the
// clipboard data.
//
// Clipboard data comes from outside the program (another instance, or any
// program that put bytes under our format name).  A paste is therefore all
// or nothing: the stream is first read into a scratch document, and the
// series are appended only when the whole stream parsed.
#include <exception>
#include <memory>

#include "data/Clipboard.h"
#include "data/ClipboardData.h"
#include "data/ClipboardStrings.h"
#include "data/PaperDoc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/VnArchive.h"

using StreamIO::CIoStream;
using StreamIO::CVnArchive;

namespace {

constexpr uint32_t kClipStreamFlags = StreamIO::SF_READ | StreamIO::SF_WRITE | StreamIO::SF_CREATE_ALWAYS;

std::unique_ptr<CIoStream> OpenClipStream()
{
    return StreamIO::OpenStream(ClipboardData::kRamStreamName, kClipStreamFlags);
}

// Reads the stream's whole content from its beginning.
std::vector<uint8_t> ReadWhole(CIoStream& stream)
{
    stream.SetPosition(0);
    std::vector<uint8_t> bytes(stream.GetLength());
    size_t done = 0;
    while (done < bytes.size()) {
        const uint32_t got = stream.Read(bytes.data() + done, static_cast<uint32_t>(bytes.size() - done));
        if (got == 0)
            Platform::ThrowFileException(stream.GetError(), stream.GetName());
        done += got;
    }
    return bytes;
}

void WriteWhole(CIoStream& stream, const uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const uint32_t written = stream.Write(data + done, static_cast<uint32_t>(size - done));
        if (written == 0)
            Platform::ThrowFileException(Platform::ERROR_WRITE_FAULT, stream.GetName());
        done += written;
    }
}

} // namespace

bool CPaperDoc::CopyToClipboard(const std::vector<uint8_t>& selection)
{
    // A selection must say something about every series; a shorter one
    // would make the writer read past it.
    if (selection.size() != static_cast<size_t>(m_current.GetCount()))
        return false;
    // An empty selection still selects (nothing): never hand the writer a
    // null pointer, which would mean "the whole document".
    static const uint8_t kNothing = 0;
    const uint8_t* selected = selection.empty() ? &kNothing : selection.data();

    std::vector<uint8_t> bytes;
    try {
        std::unique_ptr<CIoStream> stream = OpenClipStream();
        {
            CVnArchive archive(stream->GetId(), 0);
            WriteProject(archive, selected);
            archive.Close();
        }
        const std::vector<uint8_t> project = ReadWhole(*stream);
        bytes = ClipboardData::Pack(project.data(), project.size());
    } catch (const std::exception&) {
        // The copy ends without clipboard data.
        return false;
    }
    Clipboard::Process().SetData(ClipboardData::kFormatName, bytes);
    return true;
}

bool CPaperDoc::CanPaste() const
{
    IClipboard& clipboard = Clipboard::Process();
    if (!clipboard.HasFormat(ClipboardData::kFormatName))
        return false;
    const std::vector<uint8_t> bytes = clipboard.GetData(ClipboardData::kFormatName);
    const ClipboardData::SPayload payload = ClipboardData::Unpack(bytes);
    // Only the length decides; damaged data is refused with a message when
    // it is pasted.
    return payload.status != ClipboardData::SPayload::empty && payload.status != ClipboardData::SPayload::noLength;
}

bool CPaperDoc::PasteFromClipboard()
{
    IClipboard& clipboard = Clipboard::Process();
    if (!clipboard.HasFormat(ClipboardData::kFormatName))
        return false;
    const std::vector<uint8_t> bytes = clipboard.GetData(ClipboardData::kFormatName);
    const ClipboardData::SPayload payload = ClipboardData::Unpack(bytes);
    switch (payload.status) {
    case ClipboardData::SPayload::ok:
        break;
    case ClipboardData::SPayload::empty:
        return false;
    case ClipboardData::SPayload::noLength:
        Message(IDocumentUi::messageError, LoadText(ClipboardStrings::kDamaged));
        return false;
    case ClipboardData::SPayload::tooLong:
        Message(IDocumentUi::messageError,
                Platform::FormatU(LoadText(ClipboardStrings::kLengthTooLarge).c_str(), payload.length,
                                  static_cast<unsigned>(payload.available)));
        return false;
    }

    return MergeProjectBytes(payload.stream, payload.size);
}

bool CPaperDoc::AppendProject(const CPaperDoc& other)
{
    // The other document's current series as the project bytes a copy
    // would make, merged by the paste's own path.
    if (!other.m_current.HasSeries())
        return false;
    const std::vector<uint8_t> every(static_cast<size_t>(other.m_current.GetCount()), 1);
    std::vector<uint8_t> project;
    try {
        std::unique_ptr<CIoStream> stream = OpenClipStream();
        {
            CVnArchive archive(stream->GetId(), 0);
            other.WriteProject(archive, every.data());
            archive.Close();
        }
        project = ReadWhole(*stream);
    } catch (const std::exception&) {
        Message(IDocumentUi::messageError, LoadText(ClipboardStrings::kPasteFailed));
        return false;
    }
    return MergeProjectBytes(project.data(), project.size());
}

bool CPaperDoc::MergeProjectBytes(const uint8_t* bytes, size_t size)
{
    std::unique_ptr<CIoStream> stream;
    try {
        stream = OpenClipStream();
        WriteWhole(*stream, bytes, size);
    } catch (const std::exception&) {
        Message(IDocumentUi::messageError, LoadText(ClipboardStrings::kPasteFailed));
        return false;
    }

    // Trial read: the whole stream must parse, series blocks included,
    // before anything is added.
    try {
        stream->SetPosition(0);
        CPaperDoc scratch;
        CVnArchive archive(stream->GetId(), CVnArchive::load);
        if (!scratch.ReadProject(archive, true).complete)
            archive.ThrowInvalidData();
    } catch (const Platform::CFileException&) {
        Message(IDocumentUi::messageError, LoadText(ClipboardStrings::kDamaged));
        return false;
    } catch (const std::exception&) {
        Message(IDocumentUi::messageError, LoadText(ClipboardStrings::kPasteFailed));
        return false;
    }

    // The same bytes again, into this document: they parse as they did.
    // Should it still fail (memory), the series appended are taken out.
    const int before = m_current.GetCount();
    try {
        stream->SetPosition(0);
        CVnArchive archive(stream->GetId(), CVnArchive::load);
        ReadProject(archive, true);
    } catch (const std::exception&) {
        while (m_current.GetCount() > before)
            m_current.DeleteSeries(m_current.GetCount() - 1);
        Message(IDocumentUi::messageError, LoadText(ClipboardStrings::kPasteFailed));
        NotifyViews(nullptr, -1);
        return false;
    }
    stream.reset();

    m_current.Sort(m_current.GetSortMode());
    m_changeMark = true;
    NotifyViews(nullptr, -1);
    return true;
}
