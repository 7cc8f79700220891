// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the desktop program's connection tests: the simulated Veltrano
// in the test process on a pseudo-terminal mapped as COM43 in the test's
// registry file, the main frame over it, and a driver that works the modal
// wizard with the keyboard the way a user would.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/BrelmoraApp.h"
#include "app/DesktopConnectionUi.h"
#include "app/MainFrame.h"
#include "connection/PaperConnection.h"
#include "connection/WizardSettings.h"
#include "data/PaperDoc.h"
#include "device/DeviceThread.h"
#include "platform/ComPorts.h"
#include "platform/Registry.h"
#include "sim/FaultModes.h"
#include "sim/SeriesGenerator.h"
#include "sim/VeltranoSimulator.h"
#include "views/connection/DevSelectSheet.h"
#include "gui/AppTestSupport.h"
#include "support/SimulatedPort.h"

namespace AppConnectionTest {

constexpr int kPort = 43;

// Runs steps one after the other from a timer while a modal window (the
// wizard, a message box) runs its own event loop.  A step returns true when
// it is done; it is tried again every 20 ms until then.
class CStepper : public QObject {
public:
    using Step = std::function<bool()>;

    void Add(Step step) { m_steps.push_back(std::move(step)); }
    void Start()
    {
        m_started.start();
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
        m_timer.start();
    }
    bool Finished() const { return m_next >= m_steps.size(); }
    size_t Done() const { return m_next; }

private:
    void Tick()
    {
        if (m_running || Finished())
            return;
        if (m_started.elapsed() > kGiveUpMs) {
            // A step that never comes true must not hang the test: the
            // modal windows are closed and the test fails.
            ADD_FAILURE() << "step " << m_next << " did not come true";
            m_next = m_steps.size();
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        m_running = true;
        if (m_steps[m_next]())
            ++m_next;
        m_running = false;
    }

    static constexpr int kGiveUpMs = 30000;
    QTimer m_timer;
    QElapsedTimer m_started;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_running = false;
};

// The widget keys go to: the focus widget of the active modal window, else
// that window.
inline QWidget* KeyTarget()
{
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeModalWidget();
}

inline void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (QWidget* target = KeyTarget())
        QTest::keyClick(target, key, modifiers);
}

class AppConnection : public AppTest::CShellTest {
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        ClearWizardSettings();
        m_dir = std::make_unique<AppTest::CProgramFolder>("connection");
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(m_dir->Program());
        m_app->ReadSettings();
        m_app->LoadLanguageLibrary();
        m_frame = std::make_unique<CMainFrame>(*m_app);
        m_frame->show();
        m_frame->ConnectionUi().SetSheetObserver([this](CDevSelectSheet& sheet) {
            ++m_wizardRuns;
            if (m_onSheet)
                m_onSheet(sheet);
        });
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        m_dir.reset();
        StopSim();
        Device::StopDeviceThread();
        CShellTest::TearDown();
    }

    static void ClearWizardSettings()
    {
        Platform::CRegKey key;
        if (key.Open(u"Software\\Vantor") == Platform::ERROR_SUCCESS)
            key.RecurseDeleteKey(u"VnUpgrade");
    }

    void Start(const char* faultList = "", size_t series = 12, uint32_t baud = 0)
    {
        StopSim();
        Sim::SFaults faults;
        std::string error;
        if (faultList[0] != '\0') {
            ASSERT_TRUE(Sim::ParseFaults(faultList, faults, error)) << error;
        }
        Sim::SSimContent content;
        content.series = Sim::GenerateSeries(series, 23);
        content.names = {"PM1 NP 001", "PM2 LWC"};
        m_instrument = std::make_shared<Sim::CInstrument>(content, faults, 7);
        Sim::SLineOptions line;
        line.baud = baud;
        m_sim = TestEnv::ServeOnComPort(kPort, m_instrument, line, error);
        ASSERT_TRUE(m_sim) << error;
    }

    // The line goes away, and the port points to a path that does not exist.
    void StopSim() { TestEnv::StopComPortSimulator(kPort, m_sim); }

    // The wizard's settings as a user left them last time: COM43, no scan.
    static void StoreWizardPort(uint32_t port = kPort)
    {
        CConnWizardSettings settings;
        settings.deviceType = 4;
        settings.portKind = Device::PORT_SERIAL;
        settings.scanAll = false;
        settings.comPort = port;
        settings.express = false;
        ASSERT_EQ(settings.Store(CConnWizardSettings::DefaultKey()), 0u);
    }

    // The next wizard is worked page by page: `onPortPage` (when given) runs
    // on the port page before Return goes on to the result page; there
    // `onResultPage` runs until it returns true (it ends the wizard).
    void WorkWizard(std::function<void(CDevSelectSheet&)> onPortPage,
                    std::function<bool(CDevSelectSheet&)> onResultPage)
    {
        m_onSheet = [this, onPortPage, onResultPage](CDevSelectSheet& sheet) {
            auto stepper = std::make_shared<CStepper>();
            CDevSelectSheet* s = &sheet;
            stepper->Add([s, onPortPage] {
                if (!s->isVisible() || s->currentId() != CDevSelectSheet::kPortPageId)
                    return false;
                if (onPortPage)
                    onPortPage(*s);
                Key(Qt::Key_Return);
                return true;
            });
            stepper->Add([s, onResultPage] {
                return s->currentId() == CDevSelectSheet::kResultPageId && onResultPage(*s);
            });
            m_stepper = stepper;
            stepper->Start();
        };
    }

    // The wizard is worked by keyboard: Return on the port page (Next),
    // Return on the result page once Finish is enabled.
    void FinishWizardByKeyboard()
    {
        WorkWizard({}, [](CDevSelectSheet& s) {
            if (!s.button(QWizard::FinishButton)->isEnabled())
                return false;
            Key(Qt::Key_Return);
            return true;
        });
    }

    SDownloadReport Download() { return m_frame->Connection().DownloadSeries(m_frame->GetDocument()); }
    CPaperConnection& Connection() { return m_frame->Connection(); }

    std::unique_ptr<AppTest::CProgramFolder> m_dir;
    std::unique_ptr<CBrelmoraApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
    std::shared_ptr<Sim::CInstrument> m_instrument;
    std::unique_ptr<Sim::CVeltranoSimulator> m_sim;
    std::function<void(CDevSelectSheet&)> m_onSheet;
    std::shared_ptr<CStepper> m_stepper;
    int m_wizardRuns = 0;
};

} // namespace AppConnectionTest
