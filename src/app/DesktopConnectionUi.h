// SPDX-License-Identifier: GPL-3.0-or-later
// CDesktopConnectionUi: the desktop program's front end of the connection
// driver.  The wizard is CDevSelectSheet; messages and questions are the
// program's message boxes; the series read shows a modal progress window
// with a Cancel button; the keep-alive is a timer of 5000 ms.
//
// While the series read blocks the user-interface thread, the driver asks
// IsCancelRequested at least every 100 ms: the pending events are handled
// there and the progress window is painted again, so the window stays
// painted and its Cancel button works.  The progress window is modal, so
// no other command can start meanwhile.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "connection/ConnectionUi.h"

class CDevSelectSheet;
#include <QProgressDialog>
class QTimer;
class QWidget;

class CDesktopConnectionUi : public QObject, public IConnectionUi {
    Q_OBJECT
public:
    explicit CDesktopConnectionUi(QWidget* window);
    ~CDesktopConnectionUi() override;

    // What a keep-alive tick runs (the main frame calls the driver).
    void SetKeepAliveHandler(std::function<void()> handler) { m_keepAlive = std::move(handler); }
    // Adjusts the wizard's record before the sheet opens (the demo mode
    // points it at its port with scanning off).
    void SetWizardPreset(std::function<void(CConnWizardSettings&)> preset) { m_preset = std::move(preset); }
    // The port page's Help button.
    void SetHelpHandler(std::function<void()> handler) { m_help = std::move(handler); }

    // The progress window while it is shown.
    QProgressDialog* ProgressWindow() const { return m_progress; }
    QTimer* KeepAliveTimer() const { return m_timer; }
    // Runs `observer` whenever the wizard opens (tests drive the modal
    // sheet from it).
    void SetSheetObserver(std::function<void(CDevSelectSheet&)> observer) { m_sheetObserver = std::move(observer); }

    // IPrompt.
    void ShowMessage(int kind, const std::u16string& text) override;
    Answer AskYesNoCancel(const std::u16string& text) override;
    Answer Ask(QuestionKind kind, const std::u16string& text) override;

    // IConnectionUi.
    std::unique_ptr<Device::CVnDevice> RunConnectionWizard(CConnWizardSettings& settings,
                                                           const SWizardStart& start) override;
    void ShowProgress() override;
    void SetProgress(int percent, uint32_t received, uint32_t total) override;
    void HideProgress() override;
    bool IsCancelRequested() override;
    void Redraw() override;
    void SetKeepAliveTimer(bool running) override;

private:
    QWidget* m_window;
    QTimer* m_timer = nullptr;
    QPointer<QProgressDialog> m_progress;
    CDevSelectSheet* m_sheet = nullptr;
    std::function<void()> m_keepAlive;
    std::function<void(CConnWizardSettings&)> m_preset;
    std::function<void()> m_help;
    std::function<void(CDevSelectSheet&)> m_sheetObserver;
    uint32_t m_shownReceived = UINT32_MAX;
};
