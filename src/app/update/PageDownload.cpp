// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/PageDownload.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/AppMessages.h"
#include "app/update/AutoUpdate.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/UpdateStrings.h"

namespace {

QString Filled(uint32_t id, const QString& argument)
{
    return QString::fromStdU16String(
        Platform::FormatU(Platform::LoadString(id).c_str(), argument.toUtf8().constData()));
}

// How long one chunk step waits for data before it lets the window work.
constexpr int kStepWaitMs = 20;

} // namespace

CPageDownload::CPageDownload(CAutoUpdate& sheet)
    : CUpdatePage(sheet, QStringLiteral("PageDownload"), Update::IDS_DOWNLOAD_PAGE)
{
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_amount = new QLabel(this);
    QVBoxLayout* layout = Layout();
    layout->addSpacing(8);
    layout->addWidget(m_progress);
    layout->addWidget(m_amount);
    layout->addStretch(1);
}

CPageDownload::~CPageDownload()
{
    Stop();
}

QString CPageDownload::AmountText() const
{
    return m_amount->text();
}

int CPageDownload::Progress() const
{
    return m_progress->value();
}

bool CPageDownload::IsProgressShown() const
{
    return !m_progress->isHidden();
}

QString CPageDownload::TargetPath() const
{
    return m_target;
}

void CPageDownload::Activate()
{
    NewRun();
    m_finished = false;
    m_target.clear();
    m_sheet.SetWizardButtons(CAutoUpdate::buttonsNone);
    m_title->setText(Filled(Update::IDS_DOWNLOADING, QString::fromStdU16String(m_sheet.Choice().installer.name)));
    m_progress->setValue(0);
    m_progress->show();
    m_amount->clear();
    m_amount->show();
    Later([this] { StartStep(); });
}

void CPageDownload::Stop()
{
    StopRun();
    // An unfinished download leaves no file behind.
    m_download.reset();
}

void CPageDownload::StartStep()
{
    Update::CFtpLink& link = m_sheet.Link();
    const Update::SProgramIdentity program = m_sheet.Program();
    RunTask([&link, program] { return Update::ConnectForUpdate(link, program); },
            [this](bool ok) { StartConnected(ok); });
}

void CPageDownload::StartConnected(bool ok)
{
    if (!ok) {
        ShowError(QString::fromStdU16String(m_sheet.Link().GetErrorText()));
        return;
    }
    const Update::SInstallerChoice& choice = m_sheet.Choice();
    const QString name = QString::fromStdU16String(choice.installer.name);
    m_download = std::make_unique<Update::CInstallerDownload>(m_sheet.Link(), choice);
    QString target = m_sheet.ProgramFolder() + name;
    if (!m_download->CreateLocal(target.toStdU16String())) {
        // The program folder cannot take the installer: the user saves it
        // elsewhere, or the step ends.
        target = m_sheet.AskSavePath(name);
        if (target.isEmpty() || !m_download->CreateLocal(target.toStdU16String())) {
            m_download.reset();
            return;
        }
        m_title->setText(Filled(Update::IDS_DOWNLOADING, QFileInfo(target).fileName()));
    }
    m_target = target;
    m_progress->setValue(0);
    m_amount->setText(QStringLiteral("0"));
    Update::CInstallerDownload* download = m_download.get();
    RunTask([download] { return download->Open(); }, [this](bool opened) { DownloadOpened(opened); });
}

void CPageDownload::DownloadOpened(bool ok)
{
    if (!ok) {
        ShowError(QString::fromStdU16String(m_download->ErrorText()));
        return;
    }
    Later([this] { ChunkStep(); });
}

void CPageDownload::ChunkStep()
{
    if (!m_download)
        return;
    const Update::CInstallerDownload::EStep step = m_download->Step(kStepWaitMs);
    const int percent = m_download->Percent();
    if (m_progress->value() != percent)
        m_progress->setValue(percent);
    const QString amount = QString::fromStdU16String(m_download->AmountText());
    if (m_amount->text() != amount)
        m_amount->setText(amount);
    switch (step) {
    case Update::CInstallerDownload::stepRunning:
        Later([this] { ChunkStep(); });
        break;
    case Update::CInstallerDownload::stepComplete:
        m_sheet.Link().Close();
        Later([this] { LaunchStep(); });
        break;
    case Update::CInstallerDownload::stepFailed:
        ShowError(QString::fromStdU16String(m_download->ErrorText()));
        break;
    }
}

void CPageDownload::LaunchStep()
{
    if (!m_download)
        return;
    const Update::SInstallerChoice& choice = m_download->Choice();
    const std::u16string question = Platform::FormatU(
        Platform::LoadString(Update::IDS_LAUNCH_QUESTION).c_str(), m_target.toUtf8().constData(),
        std::to_string(choice.installer.size).c_str(), Platform::ToUtf8(m_sheet.Link().GetServer().Display()).c_str(),
        Platform::ToUtf8(Platform::LoadString(m_download->IsVerified() ? Update::IDS_LAUNCH_VERIFIED
                                                                       : Update::IDS_LAUNCH_UNVERIFIED))
            .c_str());
    m_sheet.SetWizardButtons(CAutoUpdate::buttonsFinish);
    if (AppMessages::Ask(IPrompt::questionYesNo, question) != AppMessages::answerYes) {
        m_title->setText(Filled(Update::IDS_LAUNCH_DECLINED, m_target));
        return;
    }
    if (!m_sheet.Launch(m_target)) {
        const QString text = Filled(Update::IDS_LAUNCH_FAILED, m_target);
        m_title->setText(text);
        AppMessages::ShowMessage(IPrompt::messageError, text.toStdU16String());
        return;
    }
    m_finished = true;
    m_sheet.FinishLaunched();
}

void CPageDownload::ShowError(const QString& text)
{
    m_title->setText(text);
    m_progress->hide();
    m_amount->hide();
    m_sheet.SetWizardButtons(CAutoUpdate::buttonsFinish);
    // The remote file and the connection are closed; a partial file goes.
    if (m_download)
        m_download->Abort();
    m_sheet.Link().Close();
}
