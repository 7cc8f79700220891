// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/AutoUpdate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMetaObject>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/ShellOpen.h"
#include "app/update/PageDownload.h"
#include "app/update/PageSearch.h"
#include "platform/DialogFolder.h"
#include "platform/StringTable.h"
#include "update/UpdateStrings.h"

namespace {

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

QString OwnFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

CAutoUpdate::CAutoUpdate(QWidget* owner)
    : CAutoUpdate(owner, Update::SProgramIdentity::OfThisProgram(), Update::CurrentUpdateServer(), OwnFolder())
{
}

CAutoUpdate::CAutoUpdate(QWidget* owner, Update::SProgramIdentity program, Update::SFtpServer server,
                         QString programFolder)
    : QDialog(owner),
      m_program(std::move(program)),
      m_server(server),
      m_programFolder(std::move(programFolder)),
      m_link(server),
      m_check(m_program, server)
{
    setObjectName(QStringLiteral("AutoUpdate"));
    if (!m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');
    m_link.SetPrompt(&m_prompt);

    m_pages = new QStackedWidget(this);
    m_search = new CPageSearch(*this);
    m_download = new CPageDownload(*this);
    m_pages->addWidget(m_search);
    m_pages->addWidget(m_download);

    m_back = new QPushButton(this);
    m_next = new QPushButton(this);
    m_finish = new QPushButton(this);
    m_cancel = new QPushButton(this);
    m_next->setDefault(true);
    connect(m_next, &QPushButton::clicked, this, &CAutoUpdate::GoToDownload);
    connect(m_finish, &QPushButton::clicked, this, &CAutoUpdate::reject);
    connect(m_cancel, &QPushButton::clicked, this, &CAutoUpdate::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addSpacing(12);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);
    setMinimumSize(480, 300);

    Retranslate();
    SetWizardButtons(buttonsNone);
}

CAutoUpdate::~CAutoUpdate()
{
    m_check.Stop();
    EndRun();
}

void CAutoUpdate::Retranslate()
{
    setWindowTitle(Text(Update::IDS_SHEET_CAPTION));
    m_next->setText(Text(Update::IDS_BUTTON_NEXT));
    m_back->setText(Text(Update::IDS_BUTTON_BACK));
    m_finish->setText(Text(Update::IDS_BUTTON_FINISH));
    m_cancel->setText(Text(Update::IDS_BUTTON_CANCEL));
    m_search->Retranslate();
    m_download->Retranslate();
}

void CAutoUpdate::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
    QDialog::changeEvent(event);
}

void CAutoUpdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
}

void CAutoUpdate::SetTimeouts(const Update::SFtpTimeouts& timeouts)
{
    m_link.SetTimeouts(timeouts);
    m_check.SetTimeouts(timeouts);
}

bool CAutoUpdate::StartUpdateCheck(uint32_t messageId)
{
    return m_check.Start(messageId, [this](uint32_t id, uint64_t packed) {
        // From the check's thread: handed to the user-interface thread.  The
        // destructor joins the thread before this object goes.
        QMetaObject::invokeMethod(
            this,
            [this, id, packed] {
                if (m_versionReport)
                    m_versionReport(id, CVersion(packed));
            },
            Qt::QueuedConnection);
    });
}

void CAutoUpdate::StopUpdateCheck()
{
    m_check.Stop();
}

void CAutoUpdate::SetWizardButtons(int flags)
{
    m_buttons = flags;
    const bool finish = (flags & buttonsFinish) != 0;
    m_back->setEnabled(false);
    m_next->setVisible(!finish);
    m_next->setEnabled((flags & buttonsNext) != 0);
    m_finish->setVisible(finish);
    if (finish)
        m_finish->setDefault(true);
}

int CAutoUpdate::CurrentPage() const
{
    return m_pages->currentIndex();
}

bool CAutoUpdate::RunWizard()
{
    BeginRun();
    const int result = exec();
    EndRun();
    return result == QDialog::Accepted;
}

void CAutoUpdate::BeginRun()
{
    // A background check still running would only repeat what the wizard
    // does: it is cancelled (it ends at its next wait).
    m_check.Stop();
    m_running = true;
    setResult(QDialog::Rejected);
    // The language may have changed since the last run.
    Retranslate();
    m_link.ResetCancel();
    m_link.SetShowErrors(m_showErrors);
    m_choice = Update::SInstallerChoice();
    m_pages->setCurrentWidget(m_search);
    SetWizardButtons(buttonsNone);
    QMetaObject::invokeMethod(this, [this] { m_search->Activate(); }, Qt::QueuedConnection);
}

void CAutoUpdate::GoToDownload()
{
    if ((m_buttons & buttonsNext) == 0 || !m_choice.found)
        return;
    m_pages->setCurrentWidget(m_download);
    m_download->Activate();
}

void CAutoUpdate::EndRun()
{
    // Every wait of a step still running ends at once; then the pages drop
    // what they hold and the connection is closed.
    m_link.Cancel();
    m_search->Stop();
    m_download->Stop();
    m_link.Close();
    m_link.ResetCancel();
    m_running = false;
}

void CAutoUpdate::reject()
{
    EndRun();
    QDialog::reject();
}

void CAutoUpdate::FinishLaunched()
{
    m_link.Close();
    accept();
}

QString CAutoUpdate::AskSavePath(const QString& suggestedName)
{
    if (m_askSavePath)
        return m_askSavePath(suggestedName);
    QFileDialog dialog(this, Text(Update::IDS_SAVE_AS_TITLE));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("exe"));
    dialog.setNameFilter(Text(Update::IDS_SAVE_AS_FILTER));
    // Where every file dialog of the program opens: the folder last used,
    // else the home folder.
    dialog.setDirectory(QString::fromStdU16String(Platform::DialogStartFolder(std::u16string())));
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    Platform::RememberDialogFolder(dialog.selectedFiles().first().toStdU16String());
    return dialog.selectedFiles().first();
}

bool CAutoUpdate::Launch(const QString& path)
{
    if (m_launch)
        return m_launch(path);
    return ShellOpen::OpenLocalFile(path.toStdU16String());
}
