// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ArchiveWindowCommand.h"

#include <QPointer>
#include <QWidget>

#include "archive/ArchiveError.h"
#include "archive/ArchiveLocation.h"
#include "platform/Text.h"
#include "views/archive/ArchiveWindow.h"

namespace ArchiveWindowCommand {

namespace {

std::optional<std::u16string>& Address()
{
    static std::optional<std::u16string> address;
    return address;
}

} // namespace

void SetProcessArchive(const std::optional<std::u16string>& address)
{
    Address() = address;
}

std::optional<std::u16string> ProcessArchive()
{
    return Address();
}

void Show(QWidget* mainFrame, CPaperDoc* doc)
{
    static QPointer<CArchiveWindow> window;
    if (window) {
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
    Archive::SArchiveLocation location;
    try {
        location = Archive::ResolveArchiveLocation(Address());
    } catch (const Archive::CArchiveError& e) {
        // A wrong address in the settings: the window cannot know where to look.
        location.display = Platform::FromUtf8(e.what());
    }
    window = new CArchiveWindow(location, mainFrame);
    window->SetDocument(doc);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

} // namespace ArchiveWindowCommand
