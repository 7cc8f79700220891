// SPDX-License-Identifier: GPL-3.0-or-later
// The wizard model: the port page's kinds and controls, the port text of
// the result list, and the search against the simulated Veltrano with the
// end-of-search outcomes and the abort on leaving.
#include <gtest/gtest.h>

#include "connection/ConnectionWizard.h"
#include "connection/PortText.h"
#include "platform/Text.h"

#ifdef BRELMORA_HAVE_SIM
#include "ConnectionTestSupport.h"
#include "platform/ComPorts.h"
#endif

using Device::NPorts;

TEST(PortText, ComKeptIpWithoutItsPortSerialDeviceAsCom)
{
    using Connection::PortTextOfStream;
    EXPECT_EQ(PortTextOfStream(u"COM3:"), u"@ COM3");
    EXPECT_EQ(PortTextOfStream(u"COMPUTER.txt"), u"");   // a file, not a port
    EXPECT_EQ(PortTextOfStream(u"IP:192.168.1.20:3728"), u"@ IP:192.168.1.20");
    EXPECT_EQ(PortTextOfStream(u"\\\\.\\COM41"), u"@ COM41");
    EXPECT_EQ(PortTextOfStream(u"RAM:x"), u"");
    EXPECT_EQ(PortTextOfStream(u""), u"");
    EXPECT_EQ(Connection::SearchEntryText(u"Veltrano", u"VT-1", StreamIO::SLinkSpec::Ip("10.0.0.9")),
              u"Serial number: VT-1    @ IP:10.0.0.9");
    EXPECT_EQ(Connection::SearchEntryText(u"Veltrano", u"VT-1", StreamIO::SLinkSpec()), u"Serial number: VT-1    ");
}

TEST(PortPage, KindsInTheirOrderAndTheControlsOfEach)
{
    EXPECT_EQ(CConnectionWizard::OfferedKinds(7),
              (std::vector<NPorts>{Device::PORT_USB, Device::PORT_ETHERNET, Device::PORT_SERIAL}));
    EXPECT_EQ(CConnectionWizard::OfferedKinds(Device::PORT_SERIAL), std::vector<NPorts>{Device::PORT_SERIAL});
    EXPECT_EQ(CConnectionWizard::KindText(Device::PORT_ETHERNET), u"Ethernet");

    const auto serialScan = CConnectionWizard::PortControls(Device::PORT_SERIAL, true);
    EXPECT_TRUE(serialScan.scanBox && serialScan.stopAtFirstBox);
    EXPECT_FALSE(serialScan.comPortField || serialScan.ipField);
    const auto serialOne = CConnectionWizard::PortControls(Device::PORT_SERIAL, false);
    EXPECT_TRUE(serialOne.scanBox && serialOne.comPortField);
    EXPECT_FALSE(serialOne.stopAtFirstBox || serialOne.ipField);
    const auto usb = CConnectionWizard::PortControls(Device::PORT_USB, true);
    EXPECT_FALSE(usb.scanBox || usb.comPortField || usb.ipField || usb.stopAtFirstBox);
    const auto ethernet = CConnectionWizard::PortControls(Device::PORT_ETHERNET, false);
    EXPECT_TRUE(ethernet.ipField);
    EXPECT_FALSE(ethernet.scanBox || ethernet.comPortField || ethernet.stopAtFirstBox);
}

#ifdef BRELMORA_HAVE_SIM

using namespace ConnectionTest;

namespace {

class WizardSearch : public SimulatedLine {};

// The result page's search driven to its end.
void SearchToEnd(CConnectionWizard& wizard, CCallQueue& queue)
{
    wizard.ActivateResultPage();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
        queue.WaitAndRun(50);
    } while (wizard.IsSearching() && std::chrono::steady_clock::now() < deadline);
    ASSERT_FALSE(wizard.IsSearching());
}

} // namespace

TEST_F(WizardSearch, TheVeltranoIsListedWithItsPortAndInformation)
{
    Start();
    CConnWizardSettings settings;
    settings.deviceType = Device::TYPE_VELTRANO;
    settings.portKind = Device::PORT_ETHERNET;   // not offered: the first kind is taken
    CScriptedPrompt prompt;
    CCallQueue queue;
    CConnectionWizard wizard(settings, prompt, queue.Poster());
    wizard.ActivatePortPage();
    EXPECT_FALSE(wizard.GetButtons().back);   // the sheet started here
    EXPECT_TRUE(wizard.GetButtons().next);
    ASSERT_EQ(wizard.GetKinds(), std::vector<NPorts>{Device::PORT_SERIAL});
    EXPECT_EQ(wizard.GetKindIndex(), 0);
    EXPECT_TRUE(wizard.GetScan());            // the defaults of the record
    EXPECT_FALSE(wizard.GetPortControls().comPortField);
    wizard.SetScan(false);
    wizard.SetComPort(kPort);
    EXPECT_TRUE(wizard.GetPortControls().comPortField);
    wizard.PortPageNext();
    EXPECT_EQ(settings.portKind, Device::PORT_SERIAL);
    EXPECT_EQ(settings.comPort, static_cast<uint32_t>(kPort));
    EXPECT_FALSE(settings.scanAll);

    const Device::SSearchParams params = wizard.BuildSearchParams();
    EXPECT_EQ(params.deviceType, Device::TYPE_VELTRANO);
    EXPECT_EQ(params.comPort, static_cast<uint32_t>(kPort));
    EXPECT_EQ(params.skipComPort, 0u);
    EXPECT_EQ(params.reconnectTimeoutMs, 0);

    wizard.ActivateResultPage();
    EXPECT_FALSE(wizard.IsSearching());   // started by the posted call, after the page is shown
    EXPECT_TRUE(wizard.GetButtons().finish);
    EXPECT_FALSE(wizard.GetButtons().finishEnabled);
    ASSERT_NO_FATAL_FAILURE(SearchToEnd(wizard, queue));

    ASSERT_EQ(wizard.GetDeviceCount(), 1u) << Platform::ToUtf8(wizard.GetStatusText());
    EXPECT_EQ(wizard.GetEntryText(0), u"Serial number: VT-20417    @ COM43");
    EXPECT_EQ(wizard.GetSelection(), 0);
    EXPECT_TRUE(wizard.IsListEnabled());
    EXPECT_NE(wizard.GetInfoText().find(u"Serial number:\tVT-20417"), std::u16string::npos);
    EXPECT_TRUE(wizard.GetButtons().finishEnabled);
    const auto& status = wizard.GetStatusLines();
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.front(), u"Serial COM43:");
    EXPECT_EQ(status.back(), u"Finished device search, found device(s):");
    EXPECT_TRUE(prompt.questions.empty());

    ASSERT_TRUE(wizard.Finish());
    std::unique_ptr<Device::CVnDevice> device = wizard.TakeDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->GetSerialNumber(), u"VT-20417");
}

TEST_F(WizardSearch, NothingFoundAsksRetryOrCancel)
{
    CConnWizardSettings settings;
    settings.deviceType = Device::TYPE_VELTRANO;
    settings.scanAll = false;
    settings.comPort = kPort;   // nothing serves it
    CScriptedPrompt prompt;
    prompt.answers = {IPrompt::answerRetry};
    CCallQueue queue;
    CConnectionWizard wizard(settings, prompt, queue.Poster());
    wizard.ActivatePortPage();
    wizard.PortPageNext();
    wizard.ActivateResultPage();
    // The first search ends, Retry starts the second, whose end is cancelled.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (prompt.questions.size() < 2 && std::chrono::steady_clock::now() < deadline)
        queue.WaitAndRun(50);
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(prompt.questions[0].kind, IPrompt::questionRetryCancel);
    EXPECT_EQ(prompt.questions[0].text,
              u"No device found.\r\n\r\nPlease make sure the device is switched on, connected to your PC and the "
              u"correct device type and communication interface have been selected.\r\n\r\nIf the device still "
              u"cannot be found, please ask your IT administrator for help or look for support on the Vantor web "
              u"site.\r\n\r\nRetry?");
    EXPECT_FALSE(wizard.IsSearching());
    EXPECT_EQ(wizard.GetDeviceCount(), 0u);
    EXPECT_EQ(wizard.GetStatusLines().back(), u"Finished device search, no device found.");
    EXPECT_EQ(std::count(wizard.GetStatusLines().begin(), wizard.GetStatusLines().end(), u"could not open port."), 2);
    EXPECT_TRUE(wizard.GetButtons().back);
    EXPECT_FALSE(wizard.GetButtons().finishEnabled);
    EXPECT_FALSE(wizard.Finish());
}

TEST_F(WizardSearch, LeavingThePageStopsTheSearchAndDropsWhatItStillSends)
{
    Start("silence-after=0");
    CConnWizardSettings settings;
    settings.deviceType = Device::TYPE_VELTRANO;
    settings.scanAll = false;
    settings.comPort = kPort;
    CScriptedPrompt prompt;
    CCallQueue queue;
    CConnectionWizard wizard(settings, prompt, queue.Poster());
    wizard.ActivatePortPage();
    wizard.PortPageNext();
    wizard.ActivateResultPage();
    queue.RunPending();
    ASSERT_TRUE(wizard.IsSearching());
    // Wait until the identification on the silent line is under way.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (wizard.GetStatusLines().empty() && std::chrono::steady_clock::now() < deadline)
        queue.WaitAndRun(20);
    const auto started = std::chrono::steady_clock::now();
    wizard.LeaveResultPage();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count(),
              CConnectionWizard::kAbortWaitMs);
    EXPECT_FALSE(wizard.IsSearching());
    const size_t lines = wizard.GetStatusLines().size();
    queue.RunPending();
    EXPECT_EQ(wizard.GetStatusLines().size(), lines);
    EXPECT_TRUE(prompt.questions.empty());

    // Back and Next again: a new search runs although the last was aborted.
    Start();
    ASSERT_NO_FATAL_FAILURE(SearchToEnd(wizard, queue));
    EXPECT_EQ(wizard.GetDeviceCount(), 1u);
}

#endif // BRELMORA_HAVE_SIM
