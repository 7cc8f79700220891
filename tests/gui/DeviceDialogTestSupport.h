// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the device dialogs' tests: the simulated Veltrano on a
// pseudo-terminal (see connection/ConnectionTestSupport.h), a connection
// driver whose wizard finds it, and the series names manager shown without
// its own event loop.
#pragma once

#ifdef BRELMORA_HAVE_SIM

#include <memory>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "connection/ConnectionTestSupport.h"
#include "connection/PaperConnection.h"
#include "streamio/IoStream.h"

namespace DeviceDialogTest {

inline std::vector<std::string> Numbered(int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i)
        names.push_back("Name " + std::to_string(i));
    return names;
}

class DeviceDialogLine : public ConnectionTest::SimulatedLine {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        StreamIO::Initialize();
    }
    void TearDown() override
    {
        DropDialogs();
        connection.reset();
        SimulatedLine::TearDown();
        StreamIO::Shutdown();
    }
    // Dialogs of a test go before the connection they use.
    virtual void DropDialogs() {}

    void MakeConnection()
    {
        connection = std::make_unique<CPaperConnection>(ui);
        connection->SetWizardSettingsKey(std::u16string());
    }

    ConnectionTest::CScriptedUi ui;
    std::unique_ptr<CPaperConnection> connection;
};

} // namespace DeviceDialogTest

#endif // BRELMORA_HAVE_SIM
