// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DownloadArchiver.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

#include "app/AppMessages.h"
#include "app/ArchiveWindowCommand.h"
#include "archive/ArchiveError.h"
#include "archive/CollectionSnapshot.h"
#include "archive/LabArchive.h"
#include "controls/MessageBox.h"
#include "data/PaperData.h"
#include "data/PaperDoc.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/archive/ArchiveViewStrings.h"

namespace DownloadArchiver {

namespace {

std::atomic<int> g_running{0};

} // namespace

int Running()
{
    return g_running.load();
}

void UseTemporaryArchive()
{
    static std::unique_ptr<QTemporaryDir> folder;
    if (folder)
        return;
    folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid())
        return;
    ArchiveWindowCommand::SetProcessArchive(folder->filePath(QStringLiteral("demo-archive.sqlite")).toStdU16String());
}

void Start(const CPaperDoc& doc, const std::u16string& source, bool download, QWidget* parent)
{
    auto original = std::make_shared<Archive::SCollectionSnapshot>(Archive::TakeSnapshot(doc.GetOriginal()));
    auto current = std::make_shared<Archive::SCollectionSnapshot>(Archive::TakeSnapshot(doc.GetCurrent()));
    if (original->series.empty() && current->series.empty())
        return;
    const std::optional<std::u16string> address = ArchiveWindowCommand::ProcessArchive();
    QPointer<QWidget> owner(parent);
    ++g_running;
    std::thread([original, current, source, download, address, owner] {
        QString failure;
        try {
            CPaperData o, c;
            Archive::RestoreSnapshot(*original, o);
            Archive::RestoreSnapshot(*current, c);
            auto archive =
                Archive::CLabArchive::Open(Archive::ResolveArchiveLocation(address), Archive::CLabArchive::EMode::Write);
            archive->Import(o, c, download ? Archive::DownloadSource(source) : Archive::SImportSource{source, {}});
        } catch (const Archive::CArchiveError& e) {
            failure = QString::fromUtf8(e.what());
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            qApp,
            [failure, owner] {
                --g_running;
                if (!failure.isEmpty())
                    AppMessages::ShowMessage(Gui::messageError,
                                             Platform::FormatU(Platform::LoadString(ArchiveViewStrings::kArchivingFailed).c_str(),
                                                               failure.toUtf8().constData()));
            },
            Qt::QueuedConnection);
    }).detach();
}

void AfterDownload(const CPaperDoc& doc, QWidget* parent)
{
    if (ArchiveWindowCommand::ProcessArchive() || Archive::ArchiveDownloadsSetting())
        Start(doc, u"the instrument", true, parent);
}

} // namespace DownloadArchiver
