// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FirmwareUpgrade.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QWidget>

#include "app/AppMessages.h"
#include "app/AppStrings.h"
#include "controls/MessageBox.h"
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using Platform::LoadString;

namespace FirmwareUpgrade {

namespace {

void Report(uint32_t id, const std::u16string& path)
{
    AppMessages::ShowMessage(Gui::messageError,
                             Platform::FormatU(LoadString(id).c_str(), Platform::ToUtf8(path).c_str()));
}

} // namespace

bool PrepareRegistry(const std::u16string& pfad)
{
    Platform::CRegKey key;
    const std::u16string languageFile =
        pfad + LoadString(AppStrings::kPathSeparator) + LoadString(AppStrings::kUpgradeProgram);
    if (key.Create(LoadString(AppStrings::kUpgradeSettingsKey)) != Platform::ERROR_SUCCESS ||
        key.SetString(LoadString(AppStrings::kValuePfad), pfad) != Platform::ERROR_SUCCESS ||
        key.SetString(LoadString(AppStrings::kValueLanguageFile), languageFile) != Platform::ERROR_SUCCESS) {
        AppMessages::ShowError(LoadString(AppStrings::kRegistryWriteFailed));
        return false;
    }
    return true;
}

std::u16string ProgramPath(const std::u16string& programFolder)
{
    return programFolder + LoadString(AppStrings::kPathSeparator) + LoadString(AppStrings::kUpgradeProgram);
}

bool RunAndWait(const std::u16string& programFolder, QWidget* owner)
{
    const std::u16string path = ProgramPath(programFolder);
    const QFileInfo file(QString::fromStdU16String(path));
    if (!file.isFile()) {
        Report(AppStrings::kUpgradeProgramMissing, path);
        return false;
    }
    QProcess process;
    process.setProgram(file.absoluteFilePath());
    process.setArguments(QString::fromLatin1(kArguments).split(QLatin1Char(' ')));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted()) {
        Report(AppStrings::kUpgradeProgramFailed, path);
        return false;
    }
    // The owner stays painted but takes no input until the program ends.
    QPointer<QWidget> guard(owner);
    if (guard)
        guard->setEnabled(false);
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
    }
    if (guard)
        guard->setEnabled(true);
    return true;
}

} // namespace FirmwareUpgrade
