// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DesktopConnectionUi.h"

#include <QApplication>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "app/AppMessages.h"
#include "device/VnDevice.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/connection/ConnectionViewStrings.h"
#include "views/connection/DevSelectSheet.h"

namespace {

using namespace ConnectionViewStrings;

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

} // namespace

CDesktopConnectionUi::CDesktopConnectionUi(QWidget* window) : m_window(window)
{
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("KeepAlive60000"));
    m_timer->setInterval(kKeepAlivePeriodMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_keepAlive)
            m_keepAlive();
    });
}

CDesktopConnectionUi::~CDesktopConnectionUi()
{
    delete m_progress.data();
}

void CDesktopConnectionUi::ShowMessage(int kind, const std::u16string& text)
{
    AppMessages::ShowMessage(kind, text);
}

IPrompt::Answer CDesktopConnectionUi::AskYesNoCancel(const std::u16string& text)
{
    return AppMessages::AskYesNoCancel(text);
}

IPrompt::Answer CDesktopConnectionUi::Ask(QuestionKind kind, const std::u16string& text)
{
    return AppMessages::Ask(kind, text);
}

std::unique_ptr<Device::CVnDevice> CDesktopConnectionUi::RunConnectionWizard(CConnWizardSettings& settings,
                                                                             const SWizardStart& start)
{
    if (m_preset)
        m_preset(settings);
    CDevSelectSheet sheet(settings, *this, start, m_window);
    connect(&sheet, &CDevSelectSheet::helpRequested, this, [this] {
        if (m_help)
            m_help();
    });
    m_sheet = &sheet;
    if (m_sheetObserver)
        m_sheetObserver(sheet);
    const int result = sheet.RunModal();
    m_sheet = nullptr;
    return result == CDevSelectSheet::kFinishResult ? sheet.TakeDevice() : nullptr;
}

void CDesktopConnectionUi::ShowProgress()
{
    delete m_progress.data();
    auto* progress = new QProgressDialog(m_window);
    progress->setObjectName(QStringLiteral("DownloadProgress"));
    progress->setWindowTitle(Text(kProgressCaption));
    progress->setLabelText(Text(kProgressText));
    auto* cancel = new QPushButton(Text(kProgressCancel), progress);
    cancel->setObjectName(QStringLiteral("CancelDownload"));
    cancel->setToolTip(Text(kProgressCancelTip));
    progress->setCancelButton(cancel);
    progress->setRange(0, 100);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setWindowModality(Qt::ApplicationModal);
    progress->setMinimumWidth(progress->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
    m_progress = progress;
    m_shownReceived = UINT32_MAX;
    progress->show();
}

void CDesktopConnectionUi::SetProgress(int percent, uint32_t received, uint32_t total)
{
    if (!m_progress)
        return;
    if (total > 0 && received != m_shownReceived) {
        m_shownReceived = received;
        const QLocale locale;
        QString text = Text(kProgressBytes);
        text.replace(text.indexOf(QStringLiteral("%s")), 2, locale.toString(received));
        text.replace(text.indexOf(QStringLiteral("%s")), 2, locale.toString(total));
        m_progress->setLabelText(text);
    }
    m_progress->setValue(percent);
}

void CDesktopConnectionUi::HideProgress()
{
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
    }
    m_progress = nullptr;
}

bool CDesktopConnectionUi::IsCancelRequested()
{
    if (!m_progress)
        return false;
    // Painted at every poll, whether or not data came.
    m_progress->update();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_progress && m_progress->wasCanceled();
}

void CDesktopConnectionUi::Redraw()
{
    if (m_progress)
        m_progress->repaint();
    if (m_window != nullptr && m_window->isVisible())
        m_window->repaint();
}

void CDesktopConnectionUi::SetKeepAliveTimer(bool running)
{
    if (running)
        m_timer->start();
    else
        m_timer->stop();
}
