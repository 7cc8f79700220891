// SPDX-License-Identifier: GPL-3.0-or-later
// CDevSelectSheet: the connection wizard "Select and connect the device" as
// a QWizard with two pages, the port page (CPortSelectPage, "Choose
// communication type") and the search result page (CDevFoundPage, "Device
// search result and selection").  The pages show the connection layer's
// wizard model (CConnectionWizard) and pass every page event to it; the
// search runs on the device thread and its notifications arrive as queued
// calls on the user-interface thread.
//
// The welcome and device-type pages and the remote login are never shown by
// this program and are not built.
#pragma once

#include <QStringList>
#include <QWizard>
#include <QWizardPage>
#include <memory>

#include "connection/ConnectionUi.h"
#include "connection/ConnectionWizard.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace Device {
class CVnDevice;
}

class CDevSelectSheet;

class CPortSelectPage : public QWizardPage {
    Q_OBJECT
public:
    // The note above the port controls: `note` and its points, each point
    // indented by `indent` pixels also on its wrapped lines.
    static QString NoteHtml(const QString& note, const QStringList& points, int indent);
    explicit CPortSelectPage(CDevSelectSheet& sheet);

    void initializePage() override;
    bool validatePage() override;
    // Shows the model's values and control states.
    void Refresh();
    void Retranslate();

signals:
    void helpRequested();

private:
    CDevSelectSheet& m_sheet;
    bool m_refreshing = false;
    QLabel* m_intro = nullptr;
    QLabel* m_note = nullptr;
    QComboBox* m_kind = nullptr;
    QLabel* m_serialGroupTitle = nullptr;
    QCheckBox* m_scan = nullptr;
    QLabel* m_comPortLabel = nullptr;
    QSpinBox* m_comPort = nullptr;
    QLabel* m_ethernetGroupTitle = nullptr;
    QLabel* m_ipLabel = nullptr;
    QLineEdit* m_ip = nullptr;
    QCheckBox* m_stopAtFirst = nullptr;
    QPushButton* m_help = nullptr;
    QGroupBox* m_serialGroup = nullptr;
    QGroupBox* m_ethernetGroup = nullptr;
};

class CDevFoundPage : public QWizardPage {
    Q_OBJECT
public:
    explicit CDevFoundPage(CDevSelectSheet& sheet);

    void initializePage() override;
    void cleanupPage() override;
    bool isComplete() const override;
    bool validatePage() override;
    void Refresh();
    void Retranslate();

private:
    CDevSelectSheet& m_sheet;
    bool m_refreshing = false;
    QPlainTextEdit* m_status = nullptr;
    QLabel* m_selectLabel = nullptr;
    QComboBox* m_devices = nullptr;
    QLabel* m_infoLabel = nullptr;
    QPlainTextEdit* m_info = nullptr;
};

class CDevSelectSheet : public QWizard, public IConnectionWizardView {
    Q_OBJECT
public:
    enum { kPortPageId = CConnectionWizard::pagePort, kResultPageId = CConnectionWizard::pageResult };
    // What a sheet that ended with Finish returns (the other endings give 2).
    static constexpr int kFinishResult = 12325;
    static constexpr int kCancelResult = 2;

    // Works on `settings` (the caller loads and stores them); questions go
    // to `prompt`.  The sheet starts at the port page.
    CDevSelectSheet(CConnWizardSettings& settings, IPrompt& prompt, const SWizardStart& start,
                    QWidget* parent = nullptr);
    ~CDevSelectSheet() override;

    CConnectionWizard& Model() { return *m_model; }
    CPortSelectPage* PortPage() const { return m_portPage; }
    CDevFoundPage* ResultPage() const { return m_resultPage; }

    // Runs the sheet modally: kFinishResult or kCancelResult.
    int RunModal();
    // The device chosen with Finish (null otherwise).
    std::unique_ptr<Device::CVnDevice> TakeDevice();

    // IConnectionWizardView: the current page shows the model again.
    void OnWizardChanged() override;

    // Waits for the device thread to stop its search: the abort is asked
    // for at once and the wait goes in slices of 20 ms, painting the
    // windows between them (no user input is taken meanwhile).
    static bool AbortWaitPainting(int timeoutMs);

    void reject() override;

signals:
    void helpRequested();

private:
    void SetButtonTexts();

    std::unique_ptr<CConnectionWizard> m_model;
    CPortSelectPage* m_portPage = nullptr;
    CDevFoundPage* m_resultPage = nullptr;
    QString m_caption;
};
