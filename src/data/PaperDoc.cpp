// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc: views, marks, the project commands (open, save, close) and the
// entry points of the instrument download.
#include "data/PaperDoc.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "data/DataStrings.h"
#include "data/ProjectOpenFailure.h"
#include "data/ProjectPaths.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/VnArchive.h"

const char16_t CPaperDoc::kHeaderText[] = u"Vantor Brelmora project file";

namespace {

constexpr char16_t kProjectExtension[] = u"vnr";
constexpr char16_t kProjectPattern[] = u"*.vnr";

uint64_t ProjectFileSize(const std::u16string& path)
{
    return Platform::StatPath(Platform::ToUtf8(path)).size;
}

} // namespace

CPaperDoc::CPaperDoc()
    : m_writerVersion{BRELMORA_VERSION_MAJOR, BRELMORA_VERSION_MINOR, BRELMORA_VERSION_PATCH,
                      BRELMORA_VERSION_TWEAK}
{
    m_current.SetChangeSink(this);
    m_summary.SetChangeSink(this);
}

CPaperDoc::~CPaperDoc() = default;

std::u16string CPaperDoc::LoadText(uint32_t id) const { return Platform::LoadString(id); }

IDocumentUi::Answer CPaperDoc::Ask(uint32_t id) const
{
    return m_ui != nullptr ? m_ui->AskYesNoCancel(LoadText(id)) : IDocumentUi::answerNo;
}

void CPaperDoc::Message(int kind, const std::u16string& text) const
{
    if (m_ui != nullptr)
        m_ui->ShowMessage(kind, text);
}

SFileDialogRequest CPaperDoc::ProjectDialog(const std::u16string& initialName, bool save) const
{
    SFileDialogRequest request;
    request.filter = LoadText(DataStrings::kProjectFilter);
    request.defaultExtension = kProjectExtension;
    request.initialName = initialName;
    request.overwritePrompt = save;
    request.projectPath = m_path;
    return request;
}

void CPaperDoc::RegisterView(IDocumentView* view)
{
    if (view != nullptr && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CPaperDoc::UnregisterView(IDocumentView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CPaperDoc::NotifyViews(IDocumentView* sender, int seriesIndex)
{
    // A view may unregister itself (or another) while it is told.
    const std::vector<IDocumentView*> views = m_views;
    for (IDocumentView* view : views) {
        if (view == sender)
            continue;
        if (std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnDocumentChanged(seriesIndex);
    }
}

void CPaperDoc::OnDataChanged(bool userEdit)
{
    m_dataChanged = true;
    // Edits of stored values are kept from being lost silently: closing
    // asks to save them as it does for downloaded data.
    if (userEdit)
        m_changeMark = true;
}

bool CPaperDoc::TakeChangeMark()
{
    const bool mark = m_changeMark;
    m_changeMark = false;
    return mark;
}

bool CPaperDoc::OpenProject(const std::u16string& path)
{
    std::u16string chosen = path;
    if (chosen.empty()) {
        if (m_ui == nullptr || !m_ui->AskOpenPath(ProjectDialog(kProjectPattern, false), chosen) ||
            chosen.empty())
            return false;
    }
    if (!CloseProject())
        return false;

    // Only a regular file is read: a pipe, device or socket given as a
    // project would block in a read or never end.  The open does not block.
    std::u16string why;
    std::unique_ptr<StreamIO::CIoStream> stream;
    try {
        stream = StreamIO::OpenStream(ProjectPaths::StreamPath(chosen),
                                      StreamIO::SF_READ | StreamIO::SF_SHARE_READ | StreamIO::SF_REGULAR_FILE);
        if (ProjectFileSize(chosen) > ProjectOpenFailure::kMaxProjectSize)
            Platform::ThrowFileException(Platform::ERROR_FILE_TOO_LARGE, chosen);
    } catch (const Platform::CFileException& e) {
        why = ProjectOpenFailure::DescribeOpenError(chosen, e.GetOsError() ? e.GetOsError() : Platform::ERROR_OPEN_FAILED);
    }
    ReadResult result;
    if (why.empty()) {
        StreamIO::CVnArchive archive(stream->GetId(), StreamIO::CVnArchive::load);
        m_headingRead = false;
        try {
            result = ReadProject(archive, false);
        } catch (const std::exception&) {
            why = ProjectOpenFailure::DescribeDamage(chosen, archive.ReadOffset(), !m_headingRead);
        }
    }
    stream.reset();
    if (!why.empty()) {
        // The document keeps what was read before the error, without a path.
        Message(IDocumentUi::messageError, LoadText(DataStrings::kNotAProjectFile) + u"\n" + why);
        NotifyViews(nullptr, -1);
        return false;
    }
    m_path = chosen;
    m_changeMark = false;
    m_loaded = result;
    NotifyViews(nullptr, -1);
    if (!result.complete) {
        Message(IDocumentUi::messageWarning,
                Platform::FormatU(LoadText(DataStrings::kProjectDamaged).c_str(),
                                  Platform::ToUtf8(chosen).c_str()));
    }
    return true;
}

bool CPaperDoc::SaveProject()
{
    if (m_path.empty())
        return SaveProjectAs();
    return WriteProject(m_path);
}

bool CPaperDoc::SaveProjectAs()
{
    std::u16string chosen;
    if (m_ui == nullptr || !m_ui->AskSavePath(ProjectDialog(GetTitle(true), true), chosen) ||
        chosen.empty())
        return false;
    if (!WriteProject(chosen))
        return false;
    m_path = chosen;
    return true;
}

bool CPaperDoc::CloseProject()
{
    if (m_changeMark && m_current.HasSeries()) {
        switch (Ask(DataStrings::kSaveChanges)) {
        case IDocumentUi::answerCancel:
            return false;
        case IDocumentUi::answerYes:
            if (!SaveProject())
                return false;
            break;
        case IDocumentUi::answerNo:
            break;
        case IDocumentUi::answerRetry:
        case IDocumentUi::answerOk:
            // Not answers to this question: keep the project as it is.
            return false;
        }
    }
    m_current.Clear();
    m_summary.Clear();
    m_original.Clear();
    m_path.clear();
    m_changeMark = false;
    NotifyViews(nullptr, -1);
    return true;
}

std::u16string CPaperDoc::GetTitle(bool shortTitle) const
{
    if (m_path.empty())
        return m_current.HasSeries() ? LoadText(DataStrings::kUnnamed) : std::u16string();
    if (!shortTitle)
        return m_path;
    const size_t sep = m_path.find_last_of(u"/\\");
    std::u16string name = sep == std::u16string::npos ? m_path : m_path.substr(sep + 1);
    const size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos)
        name.resize(dot);
    return name;
}

void CPaperDoc::RestoreOriginal()
{
    m_current.CopyFrom(m_original);
    m_changeMark = true;
    NotifyViews(nullptr, -1);
}

bool CPaperDoc::StoreDownloadedInfo(const uint8_t* data, size_t size)
{
    const bool ok = m_original.SetInfoBlock(data, size);
    m_current.SetInfoBlock(data, size);
    m_changeMark = true;
    NotifyViews(nullptr, -1);
    return ok;
}

bool CPaperDoc::StoreDownloadedSeries(const uint8_t* data, size_t size)
{
    const bool ok = m_original.ParseSeries(data, size, false, false, false);
    m_current.ParseSeries(data, size, false, false, false);
    m_changeMark = true;
    NotifyViews(nullptr, -1);
    return ok;
}

void CPaperDoc::SetAllInSummary(bool value)
{
    for (int i = 0; i < m_current.GetCount(); ++i)
        m_current.SetInSummary(i, value);
    NotifyViews(nullptr, -1);
}

bool CPaperDoc::SetInSummary(int i, bool value)
{
    const bool previous = m_current.GetInSummary(i);
    m_current.SetInSummary(i, value);
    NotifyViews(nullptr, i);
    return previous;
}
