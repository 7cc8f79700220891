// SPDX-License-Identifier: GPL-3.0-or-later
// Ports a search must leave alone or explain: the terminal carrying the
// system console is never opened by a scan, a ttyS port without a UART is
// absent, and a COM number mapped to a folder is "not a serial port".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "DeviceTestSupport.h"
#include "device/DeviceTypes.h"
#include "device/SearchJobs.h"
#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "sim/VeltranoSimulator.h"
#include "streamio/IoStream.h"
#include "streamio/serial/Rs232Stream.h"
#include "support/TestEnv.h"

using namespace Device;
namespace fs = std::filesystem;

namespace {

// A sysfs tree of the test's own, in place while it lives.
class CFakeSysfs {
public:
    CFakeSysfs() : m_root(TestEnv::TempDir() + "/sysfs")
    {
        fs::remove_all(m_root);
        fs::create_directories(m_root + "/class/tty/console");
        Platform::SetSysfsRoot(m_root);
    }
    ~CFakeSysfs() { Platform::SetSysfsRoot("/sys"); }

    void Write(const std::string& file, const std::string& text)
    {
        fs::create_directories(fs::path(m_root + "/" + file).parent_path());
        std::ofstream(m_root + "/" + file) << text << "\n";
    }

private:
    std::string m_root;
};

bool HasStatus(CRecordingCallback& callback, const std::u16string& part)
{
    for (const std::u16string& line : callback.status) {
        if (line.find(part) != std::u16string::npos)
            return true;
    }
    return false;
}

} // namespace

TEST(SearchPorts, AScanNeverOpensTheSystemConsole)
{
    Sim::CVeltranoSimulator sim(std::make_shared<Sim::CInstrument>(Sim::SSimContent{}));
    std::string error;
    const std::string pty = sim.ServePty(&error);
    ASSERT_FALSE(pty.empty()) << error;
    ASSERT_EQ(Platform::SetComPortDevicePath(2, pty), 0u);

    CFakeSysfs sysfs;
    // The console is on the pseudo-terminal's line ("pts/N" reads as "N").
    sysfs.Write("class/tty/console/active", "tty0 " + fs::path(pty).filename().string());
    EXPECT_TRUE(Platform::IsSystemConsole(pty));
    EXPECT_TRUE(Platform::IsSystemConsole("/dev/console"));
    EXPECT_FALSE(Platform::IsSystemConsole("/dev/ttyS5"));

    SSearchParams params;
    params.deviceType = TYPE_VELTRANO;
    params.portKind = PORT_SERIAL;
    params.scanAllComPorts = true;
    params.stopAtFirstFound = true;
    CRecordingCallback scan;
    JobSearch(scan, params);
    EXPECT_TRUE(scan.found.empty());
    EXPECT_TRUE(HasStatus(scan, u"the system console: not searched."));

    // Asked for by number, the port is the user's choice and is opened.
    params.scanAllComPorts = false;
    params.comPort = 2;
    CRecordingCallback chosen;
    JobSearch(chosen, params);
    EXPECT_EQ(chosen.found.size(), 1u);
    sim.Stop();
    Platform::SetComPortDevicePath(2, "/nonexistent/brelmora-test/COM2");
}

TEST(SearchPorts, MissingUartsAreAbsentAndFoldersAreNoPorts)
{
    CFakeSysfs sysfs;
    sysfs.Write("class/tty/ttyS3/type", "0");
    sysfs.Write("class/tty/ttyS4/type", "4");
    // Without a mapping the default devices count, the missing UART not.
    ASSERT_EQ(Platform::RemoveComPortDevicePath(4), 0u);
    ASSERT_EQ(Platform::RemoveComPortDevicePath(5), 0u);
    EXPECT_EQ(Platform::ComPortDevicePath(4), "");
    EXPECT_EQ(Platform::ComPortDevicePath(5), "/dev/ttyS4");
    Platform::SetComPortDevicePath(4, "/nonexistent/brelmora-test/COM4");
    Platform::SetComPortDevicePath(5, "/nonexistent/brelmora-test/COM5");

    const std::string folder = TestEnv::TempDir() + "/not-a-port";
    fs::create_directories(folder);
    ASSERT_EQ(Platform::SetComPortDevicePath(6, folder), 0u);
    uint32_t error = 0;
    try {
        StreamIO::OpenStream(u"COM6:", StreamIO::SF_READ | StreamIO::SF_WRITE);
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError();
    }
    EXPECT_EQ(error, Platform::ERROR_OPEN_FAILED);
    const std::u16string text = StreamIO::CRs232Stream::DescribeOpenError(6, error);
    EXPECT_NE(text.find(u"is not a serial port"), std::u16string::npos) << Platform::ToUtf8(text);
    EXPECT_EQ(text.find(u"dialout"), std::u16string::npos);
    Platform::SetComPortDevicePath(6, "/nonexistent/brelmora-test/COM6");
}

TEST(SearchPorts, APortThatCannotBeOpenedIsExplainedOnTheNextLine)
{
    Sim::CVeltranoSimulator sim(std::make_shared<Sim::CInstrument>(Sim::SSimContent{}));
    std::string error;
    const std::string pty = sim.ServePty(&error);
    ASSERT_FALSE(pty.empty()) << error;
    ASSERT_EQ(Platform::SetComPortDevicePath(3, pty), 0u);

    // Another program holds the port.
    auto holder = StreamIO::OpenStream(u"COM3:", StreamIO::SF_READ | StreamIO::SF_WRITE);
    SSearchParams params;
    params.deviceType = TYPE_VELTRANO;
    params.portKind = PORT_SERIAL;
    params.scanAllComPorts = false;
    params.comPort = 3;
    CRecordingCallback busy;
    JobSearch(busy, params);
    EXPECT_TRUE(busy.found.empty());
    ASSERT_GE(busy.status.size(), 3u);
    EXPECT_EQ(busy.status[1], u"could not open port.");
    EXPECT_EQ(busy.status[2].find(u"COM3 is in use by another program"), 0u) << Platform::ToUtf8(busy.status[2]);
    holder.reset();

    // No such device.
    Platform::SetComPortDevicePath(3, "/nonexistent/brelmora-test/COM3");
    CRecordingCallback missing;
    JobSearch(missing, params);
    ASSERT_GE(missing.status.size(), 3u);
    EXPECT_EQ(missing.status[2].find(u"COM3 was not found on this computer"), 0u);

    // Not permitted: the line names the group and the command that joins it
    // (root may open anything, so this part needs an ordinary user).
    const std::u16string denied = StreamIO::CRs232Stream::DescribeOpenError(3, Platform::ERROR_ACCESS_DENIED);
    EXPECT_NE(denied.find(u"\"dialout\""), std::u16string::npos);
    EXPECT_NE(denied.find(u"sudo usermod -a -G dialout $USER"), std::u16string::npos);
    if (geteuid() != 0) {
        const std::string locked = TestEnv::TempDir() + "/no-permission";
        std::ofstream(locked) << "";
        fs::permissions(locked, fs::perms::none);
        Platform::SetComPortDevicePath(3, locked);
        CRecordingCallback forbidden;
        JobSearch(forbidden, params);
        ASSERT_GE(forbidden.status.size(), 3u);
        EXPECT_NE(forbidden.status[2].find(u"dialout"), std::u16string::npos);
    }
    sim.Stop();
    Platform::SetComPortDevicePath(3, "/nonexistent/brelmora-test/COM3");
}
