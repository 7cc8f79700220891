// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the connection layer's tests: the simulated Veltrano on a
// pseudo-terminal mapped as a COM port in the test's registry, a scripted
// front end of the connection driver, and the real wizard model run the way
// a front end runs it.
#pragma once

#ifdef BRELMORA_HAVE_SIM

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "connection/CallQueue.h"
#include "connection/ConnectionUi.h"
#include "connection/ConnectionWizard.h"
#include "connection/WizardSettings.h"
#include "device/DeviceThread.h"
#include "device/VnDevice.h"
#include "platform/ComPorts.h"
#include "platform/Text.h"
#include "sim/FaultModes.h"
#include "sim/SeriesGenerator.h"
#include "sim/VeltranoSimulator.h"
#include "support/SimulatedPort.h"

namespace ConnectionTest {

constexpr int kPort = 43;

// Questions and messages as a front end met them.
struct SPrompted {
    int kind = 0;
    std::u16string text;
};

// Answers what a scripted front end is asked: questions from a list (then
// `otherwise`), messages recorded.
class CScriptedPrompt : public IPrompt {
public:
    void ShowMessage(int kind, const std::u16string& text) override { messages.push_back({kind, text}); }
    Answer AskYesNoCancel(const std::u16string& text) override { return Ask(questionYesNoCancel, text); }
    Answer Ask(QuestionKind kind, const std::u16string& text) override
    {
        questions.push_back({kind, text});
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        return otherwise;
    }

    std::vector<Answer> answers;
    Answer otherwise = answerCancel;
    std::vector<SPrompted> messages;
    std::vector<SPrompted> questions;
};

// Runs the wizard model as a front end does: the port page with `port`
// entered and scanning off, Next, the result page until the search ended,
// then Finish when an instrument was listed.  The search runs on the device
// thread; its notifications come through a call queue drained here.
inline std::unique_ptr<Device::CVnDevice> RunWizardModel(CConnWizardSettings& settings, IPrompt& prompt, uint32_t port)
{
    CCallQueue queue;
    CConnectionWizard wizard(settings, prompt, queue.Poster());
    wizard.ActivatePortPage();
    wizard.SetScan(false);
    wizard.SetComPort(port);
    wizard.PortPageNext();
    wizard.ActivateResultPage();
    queue.RunPending();   // the posted start
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (wizard.IsSearching() && std::chrono::steady_clock::now() < deadline)
        queue.WaitAndRun(50);
    EXPECT_FALSE(wizard.IsSearching());
    const bool finished = wizard.GetDeviceCount() > 0 && wizard.Finish();
    wizard.LeaveResultPage();
    return finished ? wizard.TakeDevice() : nullptr;
}

// The driver's front end: the wizard is the model above on kPort unless a
// test puts another in place; progress, redraws and the timer are recorded.
class CScriptedUi : public IConnectionUi {
public:
    using Wizard = std::function<std::unique_ptr<Device::CVnDevice>(CConnWizardSettings&)>;

    void ShowMessage(int kind, const std::u16string& text) override { prompt.ShowMessage(kind, text); }
    Answer AskYesNoCancel(const std::u16string& text) override { return prompt.AskYesNoCancel(text); }
    Answer Ask(QuestionKind kind, const std::u16string& text) override { return prompt.Ask(kind, text); }

    std::unique_ptr<Device::CVnDevice> RunConnectionWizard(CConnWizardSettings& settings,
                                                           const SWizardStart& start) override
    {
        ++wizardRuns;
        caption = start.caption;
        wizardSettings = settings;
        if (wizard)
            return wizard(settings);
        CScriptedPrompt pagePrompt;
        return RunWizardModel(settings, pagePrompt, kPort);
    }
    void ShowProgress() override
    {
        progressVisible = true;
        ++progressShown;
    }
    void SetProgress(int percent, uint32_t received, uint32_t total) override
    {
        progress.push_back({percent, received, total});
    }
    void HideProgress() override { progressVisible = false; }
    bool IsCancelRequested() override { return cancelWhen && cancelWhen(*this); }
    void Redraw() override { ++redraws; }
    void SetKeepAliveTimer(bool running) override { keepAlive = running; }

    struct SProgress {
        int percent;
        uint32_t received;
        uint32_t total;
    };

    CScriptedPrompt prompt;   // the driver's questions and messages
    Wizard wizard;
    int wizardRuns = 0;
    std::u16string caption;
    CConnWizardSettings wizardSettings;   // as the wizard got them
    int progressShown = 0;
    bool progressVisible = false;
    std::vector<SProgress> progress;
    std::function<bool(CScriptedUi&)> cancelWhen;
    int redraws = 0;
    bool keepAlive = false;
};

// The simulated Veltrano on kPort.
class SimulatedLine : public ::testing::Test {
protected:
    // `adjust`, when given, changes the instrument's content before it starts.
    void Start(const char* faultList = "", size_t series = 12, std::vector<std::string> names = {"PM1 NP 001", "PM2 LWC"},
               uint32_t baud = 0, const std::function<void(Sim::SSimContent&)>& adjust = {})
    {
        StopSim();
        Sim::SFaults faults;
        std::string error;
        if (faultList[0] != '\0') {
            ASSERT_TRUE(Sim::ParseFaults(faultList, faults, error)) << error;
        }
        Sim::SSimContent content;
        content.series = Sim::GenerateSeries(series, 23);
        content.names = std::move(names);
        if (adjust)
            adjust(content);
        instrument = std::make_shared<Sim::CInstrument>(content, faults, 7);
        Sim::SLineOptions line;
        line.baud = baud;
        line.log = [this](const std::string& note) {
            std::lock_guard<std::mutex> guard(m_logLock);
            m_log.push_back(note);
        };
        m_sim = TestEnv::ServeOnComPort(kPort, instrument, line, error);
        ASSERT_TRUE(m_sim) << error;
    }

    // The line goes away (as when the cable is pulled) and the port points
    // to a path that does not exist, never to a device of this machine.
    void StopSim() { TestEnv::StopComPortSimulator(kPort, m_sim); }

    void TearDown() override
    {
        StopSim();
        Device::StopDeviceThread();
    }

    std::vector<std::string> Log()
    {
        std::lock_guard<std::mutex> guard(m_logLock);
        return m_log;
    }
    bool Logged(const std::string& part)
    {
        for (const std::string& line : Log())
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
    void ClearLog()
    {
        std::lock_guard<std::mutex> guard(m_logLock);
        m_log.clear();
    }

    std::shared_ptr<Sim::CInstrument> instrument;

private:
    std::unique_ptr<Sim::CVeltranoSimulator> m_sim;
    std::mutex m_logLock;
    std::vector<std::string> m_log;
};

} // namespace ConnectionTest

#endif // BRELMORA_HAVE_SIM
