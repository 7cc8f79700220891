// SPDX-License-Identifier: GPL-3.0-or-later
// The device option model against the simulated Veltrano.
#ifdef BRELMORA_HAVE_SIM

#include "ConnectionTestSupport.h"

#include "connection/DeviceOption.h"
#include "connection/PaperConnection.h"
#include "streamio/IoStream.h"

using namespace ConnectionTest;

namespace {

class DeviceOption : public SimulatedLine {
protected:
    void SetUp() override { StreamIO::Initialize(); }
    void TearDown() override
    {
        connection.reset();
        SimulatedLine::TearDown();
        StreamIO::Shutdown();
    }
    void Connect()
    {
        connection = std::make_unique<CPaperConnection>(ui);
        connection->SetWizardSettingsKey(std::u16string());
    }

    CScriptedUi ui;
    std::unique_ptr<CPaperConnection> connection;
};

} // namespace

TEST_F(DeviceOption, OpensOnlyWithAnInstrumentAndSwitchesBothWays)
{
    // No instrument on the line: the wizard gives none, nothing opens.
    Connect();
    CDeviceOption option(*connection);
    bool on = true;
    EXPECT_FALSE(option.Open(on));
    EXPECT_FALSE(on);
    EXPECT_EQ(ui.wizardRuns, 1);
    EXPECT_EQ(option.Switch(true), CDeviceOption::ESwitch::NoDevice);

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(option.Open(on));
    EXPECT_FALSE(on);
    EXPECT_EQ(option.Switch(true), CDeviceOption::ESwitch::Switched);
    EXPECT_TRUE(instrument->GetOption88());
    ASSERT_TRUE(option.Read(on));
    EXPECT_TRUE(on);
    EXPECT_EQ(option.Switch(false), CDeviceOption::ESwitch::Switched);
    EXPECT_FALSE(instrument->GetOption88());

    // The instrument went away: switching fails on the line, and opening
    // checks the held one, drops it and asks the wizard again.
    StopSim();
    EXPECT_EQ(option.Switch(true), CDeviceOption::ESwitch::Failed);
    EXPECT_TRUE(option.IsLineFailure());
    EXPECT_EQ(option.FailureText().rfind(u"The transfer failed", 0), 0u);
    const int runs = ui.wizardRuns;
    EXPECT_FALSE(option.Open(on));
    EXPECT_EQ(ui.wizardRuns, runs + 1);
    EXPECT_EQ(connection->GetDevice(), nullptr);
}

TEST_F(DeviceOption, OldFirmwareRefusesSwitchingOn)
{
    ASSERT_NO_FATAL_FAILURE(Start("", 2, {}, 0, [](Sim::SSimContent& c) { c.option88Supported = false; }));
    Connect();
    CDeviceOption option(*connection);
    bool on = true;
    ASSERT_TRUE(option.Open(on));   // the read fails: shown as off
    EXPECT_FALSE(on);
    EXPECT_EQ(option.Switch(true), CDeviceOption::ESwitch::NotSupported);
    EXPECT_EQ(option.GetLastFailure(), Device::ELinkFailure::InstrumentError);
    EXPECT_FALSE(option.IsLineFailure());
    // Switching off is not what old firmware is told about; the read-back
    // shows what it kept.
    EXPECT_EQ(option.Switch(false), CDeviceOption::ESwitch::Switched);
    EXPECT_FALSE(option.Read(on));
    EXPECT_FALSE(on);
    EXPECT_NE(connection->GetDevice(), nullptr);
}

#endif // BRELMORA_HAVE_SIM
