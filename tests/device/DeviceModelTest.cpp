// SPDX-License-Identifier: GPL-3.0-or-later
// CVnDevice: factory, attaching streams, callbacks, error texts.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "device/KastelDevice.h"
#include "device/VeltranoDevice.h"
#include "device/VnCommands.h"
#include "platform/Text.h"

using namespace Device;

TEST(DeviceFactory, KnownTypesOnly)
{
    auto veltrano = CreateDevice(TYPE_VELTRANO);
    ASSERT_NE(veltrano, nullptr);
    EXPECT_NE(dynamic_cast<CVeltranoDevice*>(veltrano.get()), nullptr);
    EXPECT_EQ(veltrano->GetTypeName(), u"Veltrano");
    EXPECT_EQ(veltrano->GetFamilyCode(), 7u);
    EXPECT_EQ(veltrano->GetSupportedPorts(), PORT_SERIAL);
    auto argentor = CreateDevice(TYPE_ARGENTOR);
    ASSERT_NE(argentor, nullptr);
    EXPECT_EQ(dynamic_cast<CVeltranoDevice*>(argentor.get()), nullptr);
    EXPECT_EQ(GetTypeName(TYPE_ARGENTOR), u"Argentor");
    EXPECT_EQ(argentor->GetFamilyCode(), 5u);
    for (NTypes t : {-1, 0, 11, 12, 15, 18, 1000}) {
        EXPECT_EQ(CreateDevice(t), nullptr) << t;
        EXPECT_TRUE(GetTypeName(t).empty()) << t;
    }
    auto copy = veltrano->CreateNew();
    EXPECT_NE(dynamic_cast<CVeltranoDevice*>(copy.get()), nullptr);
}

TEST(DeviceAttach, RefusalsLeaveTheObjectUnchanged)
{
    CVeltranoDevice device;
    auto script = std::make_unique<CScriptStream>();
    CScriptStream* raw = script.get();
    std::unique_ptr<StreamIO::CIoStream> stream = std::move(script);
    EXPECT_FALSE(device.Attach(stream, 3));
    EXPECT_EQ(stream.get(), raw);   // still the caller's
    EXPECT_EQ(device.GetStream(), nullptr);
    EXPECT_EQ(device.GetPortKind(), PORT_NONE);

    raw->open = false;
    EXPECT_FALSE(device.Attach(stream, PORT_SERIAL));
    EXPECT_EQ(stream.get(), raw);
    raw->open = true;

    EXPECT_TRUE(device.Attach(stream, PORT_SERIAL));
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(device.GetStream(), raw);
    EXPECT_EQ(device.GetStreamName(), u"SCRIPT");
    ASSERT_NE(device.GetCommands(), nullptr);
    EXPECT_FALSE(device.GetCommands()->GetEcho());

    std::unique_ptr<StreamIO::CIoStream> second = std::make_unique<CScriptStream>();
    EXPECT_FALSE(device.Attach(second, PORT_USB));
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(device.GetStream(), raw);
    EXPECT_EQ(device.GetPortKind(), PORT_SERIAL);

    auto back = device.Detach();
    EXPECT_EQ(back.get(), raw);
    EXPECT_EQ(device.GetCommands(), nullptr);
    EXPECT_EQ(device.GetPortKind(), PORT_NONE);
}

TEST(DeviceAttach, CallbackAndPackageAreSetOnce)
{
    CVeltranoDevice device;
    CRecordingCallback a, b;
    EXPECT_TRUE(device.SetCallback(&a));
    EXPECT_FALSE(device.SetCallback(&b));
    EXPECT_EQ(device.GetCallback(), &a);
    device.ReportProgress(50, 1, 0);
    a.progressEnabled = false;
    device.ReportProgress(60, 1, 0);
    EXPECT_EQ(a.progress, (std::vector<int>{50}));
    EXPECT_EQ(device.DetachCallback(), &a);
    EXPECT_TRUE(device.SetCallback(&b));

    CScriptStream package;
    package.open = false;
    EXPECT_FALSE(device.AttachPackage(&package));
    package.open = true;
    EXPECT_TRUE(device.AttachPackage(&package));
    EXPECT_FALSE(device.AttachPackage(&package));
    EXPECT_EQ(device.DetachPackage(), &package);
}

TEST(DeviceAttach, OperationsWithoutStreamFail)
{
    CVeltranoDevice device;
    SDeviceInfo info;
    EXPECT_FALSE(device.Identify(info));
    EXPECT_FALSE(device.Ping());
    EXPECT_EQ(device.GetHardwareId(), -1);
    std::vector<std::u16string> names;
    EXPECT_FALSE(device.ReadStringList(names));
    EXPECT_FALSE(device.DeleteAllSeries());
    uint8_t buffer[4];
    uint32_t count = 0;
    EXPECT_NE(device.ReadDataBlock(0xD2, buffer, 0, count, 4), RDB_OK);
}

TEST(DeviceErrors, TextsAndRefusals)
{
    CVeltranoDevice device;
    const std::u16string advice = device.GetErrorText(3);
    EXPECT_EQ(advice.rfind(u"An error occurred during data upload process.", 0), 0u);
    EXPECT_NE(advice.find(u"contact a Vantor service centre."), std::u16string::npos);
    EXPECT_EQ(device.GetErrorText(9), u"The process was aborted by the user.");
    const std::u16string other = device.GetErrorText(42);
    EXPECT_EQ(other.rfind(u"An error (42) occurred during the device Update.", 0), 0u);

    EXPECT_TRUE(device.RemoteLogin());
    EXPECT_EQ(device.GetLastError().message, u"No remote login implemented.");
    EXPECT_EQ(device.GetLastError().code, 6u);
    device.ResetLastError();
    EXPECT_EQ(device.GetLastError().code, 0u);

    EXPECT_FALSE(device.ProgramEnter());
    EXPECT_FALSE(device.ProgramWriteImage());
    EXPECT_FALSE(device.GetLastError().message.empty());
}
