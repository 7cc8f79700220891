// SPDX-License-Identifier: GPL-3.0-or-later
// The search over Ethernet and USB: the simulator on its own loopback
// address at port 3728 is found with one attempt; an address where nobody
// listens says why at once; without a USB bus the USB search says so.
#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

#include "DeviceTestSupport.h"
#include "device/DeviceTypes.h"
#include "device/SearchJobs.h"
#include "device/VnDevice.h"
#include "platform/Text.h"
#include "sim/TcpSimulator.h"

using namespace Device;

namespace {

// 127.x.y.3, x.y from the process id: a loopback address no other test
// process uses, so port 3728 is free on it.
std::string OwnAddress()
{
    const unsigned pid = static_cast<unsigned>(::getpid());
    return "127." + std::to_string((pid >> 8) & 0xFF) + "." + std::to_string(pid & 0xFF) + ".3";
}

bool HasStatus(CRecordingCallback& callback, const std::u16string& part)
{
    for (const std::u16string& line : callback.status) {
        if (line.find(part) != std::u16string::npos)
            return true;
    }
    return false;
}

SSearchParams Params(NPorts kind, const std::string& address = {})
{
    SSearchParams params;
    params.deviceType = TYPE_VELTRANO;
    params.portKind = kind;
    params.ipAddress = Platform::FromUtf8(address);
    return params;
}

} // namespace

TEST(SearchNetwork, TheSimulatorIsFoundAtItsAddressAndAClosedPortSaysWhy)
{
    const std::string address = OwnAddress();
    auto instrument = std::make_shared<Sim::CInstrument>(Sim::SSimContent{});
    Sim::CTcpSimulator tcp(instrument);
    std::string error;
    ASSERT_TRUE(tcp.Start(address, Sim::DEFAULT_TCP_PORT, error)) << error;

    CRecordingCallback found;
    JobSearch(found, Params(PORT_ETHERNET, address));
    ASSERT_EQ(found.found.size(), 1u);
    EXPECT_EQ(found.found[0]->GetPortKind(), PORT_ETHERNET);
    EXPECT_EQ(found.ends, 1);
    EXPECT_TRUE(HasStatus(found, Platform::FromUtf8("Ethernet " + address)));
    found.found.clear();
    tcp.Stop();

    // Nobody listens any more: refused at once, one attempt.
    CRecordingCallback refused;
    const auto started = std::chrono::steady_clock::now();
    JobSearch(refused, Params(PORT_ETHERNET, address));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_TRUE(refused.found.empty());
    EXPECT_EQ(refused.ends, 1);
    EXPECT_TRUE(HasStatus(refused, u"could not open port.\nThe connection was refused."));
}

TEST(SearchNetwork, WithoutAUsbBusTheSearchSaysSoAndEnds)
{
    CRecordingCallback usb;
    JobSearch(usb, Params(PORT_USB));
    EXPECT_TRUE(usb.found.empty());
    EXPECT_EQ(usb.ends, 1);
    ASSERT_GE(usb.status.size(), 1u);
    EXPECT_EQ(usb.status[0], u"USB");
}
