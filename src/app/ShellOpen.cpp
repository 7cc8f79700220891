// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

#include "app/AppMessages.h"
#include "app/AppStrings.h"
#include "controls/MessageBox.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace ShellOpen {

namespace {

Opener g_opener;

bool Open(const QUrl& url)
{
    if (g_opener)
        return g_opener(url);
    if (QDesktopServices::openUrl(url))
        return true;
    // Without a desktop session: the freedesktop opener.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()});
}

void Report(uint32_t id, const std::u16string& what)
{
    AppMessages::ShowMessage(Gui::messageError,
                             Platform::FormatU(Platform::LoadString(id).c_str(), Platform::ToUtf8(what).c_str()));
}

} // namespace

void SetOpener(Opener opener)
{
    g_opener = std::move(opener);
}

std::u16string HelpFilePath(const std::u16string& pfad, const std::u16string& fileName)
{
    if (pfad.empty())
        return fileName;
    return pfad + Platform::LoadString(AppStrings::kPathSeparator) + fileName;
}

bool OpenLocalFile(const std::u16string& path)
{
    const QFileInfo file(QString::fromStdU16String(path));
    return file.isFile() && Open(QUrl::fromLocalFile(file.absoluteFilePath()));
}

bool OpenHelpFile(const std::u16string& pfad, const std::u16string& fileName)
{
    const std::u16string path = HelpFilePath(pfad, fileName);
    const QFileInfo file(QString::fromStdU16String(path));
    if (!file.isFile() || !Open(QUrl::fromLocalFile(file.absoluteFilePath()))) {
        Report(AppStrings::kFileNotOpened, path);
        return false;
    }
    return true;
}

bool OpenWebPage(const std::u16string& address)
{
    const QUrl url(QString::fromStdU16String(address), QUrl::TolerantMode);
    if (!url.isValid() || url.isEmpty() || !Open(url)) {
        Report(AppStrings::kWebPageNotOpened, address);
        return false;
    }
    return true;
}

} // namespace ShellOpen
