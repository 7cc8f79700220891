// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Demo.h"


#include "connection/WizardSettings.h"
#include "device/DeviceTypes.h"
#include "platform/ComPorts.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "sim/SeriesGenerator.h"
#include "sim/VeltranoSimulator.h"
#include "streamio/LinkSpec.h"
#include "views/connection/ConnectionViewStrings.h"

namespace {

constexpr size_t kDemoSeries = 24;
constexpr uint32_t kDemoSeed = 20417;

bool Exists(const std::string& path)
{
    return Platform::StatPath(path).Exists();
}

} // namespace

CDemoMode::CDemoMode() = default;

CDemoMode::~CDemoMode()
{
    Stop();
}

int CDemoMode::FindFreeComPort()
{
    for (int n = 1; n <= static_cast<int>(StreamIO::kLastNamedComPort); ++n) {
        if (Platform::HasProcessComPortDevicePath(n))
            continue;
        const std::string path = Platform::ComPortDevicePath(n);
        if (path.empty() || !Exists(path))
            return n;
    }
    return 0;
}

bool CDemoMode::Start(std::u16string& error)
{
    Stop();
    const int port = FindFreeComPort();
    if (port == 0) {
        error = Platform::LoadString(ConnectionViewStrings::kDemoNoPort);
        return false;
    }
    Sim::SSimContent content;
    content.series = Sim::GenerateSeries(kDemoSeries, kDemoSeed);
    content.names = {"PM1 NP 001", "PM1 NP 002", "PM2 LWC", "PM3 SC"};
    auto sim = std::make_unique<Sim::CVeltranoSimulator>(std::make_shared<Sim::CInstrument>(content));
    std::string why;
    const std::string path = sim->ServePty(&why);
    if (path.empty()) {
        error = Platform::FormatU(Platform::LoadString(ConnectionViewStrings::kDemoFailed).c_str(), why.c_str());
        return false;
    }
    Platform::SetProcessComPortDevicePath(port, path);
    m_sim = std::move(sim);
    m_comPort = port;
    return true;
}

void CDemoMode::Stop()
{
    if (m_sim) {
        m_sim->Stop();
        m_sim.reset();
    }
    if (m_comPort != 0)
        Platform::SetProcessComPortDevicePath(m_comPort, std::string());
    m_comPort = 0;
}

bool CDemoMode::IsRunning() const
{
    return m_sim && m_sim->IsRunning();
}

void CDemoMode::PresetWizard(CConnWizardSettings& settings) const
{
    settings.portKind = Device::PORT_SERIAL;
    settings.scanAll = false;
    settings.stopAtFirst = true;
    settings.comPort = static_cast<uint32_t>(m_comPort);
}
