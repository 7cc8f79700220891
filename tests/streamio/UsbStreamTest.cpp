// SPDX-License-Identifier: GPL-3.0-or-later
// The USB streams over scripted devices (this computer has no USB bus), the
// probe manager with its events, the device paths and the enumeration over a
// sysfs tree built in a temporary folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "UsbScriptedDevices.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/usb/HidReportDescriptor.h"
#include "streamio/usb/UsbDevicePath.h"
#include "streamio/usb/UsbEnumeration.h"
#include "streamio/usb/UsbHostStream.h"
#include "streamio/usb/UsbProbeStreams.h"
#include "support/TestEnv.h"

using namespace StreamIO;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kReadWrite = SF_READ | SF_WRITE;
const std::u16string kBulkPath = u"\\\\?\\usb#vid_3317&pid_0102#1-2:1.0#{00873fdf-61a8-11d1-aa5e-00c04fb1728b}";
const std::u16string kProbePath = u"\\\\?\\hid#vid_3317&pid_0201#hidraw0#{4d1e55b2-f16f-11cf-88cb-001111000030}";

long long MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// A bulk stream whose device is `device` (kept for the test to script).
std::unique_ptr<CUsbHostStream> BulkStream(CScriptedBulk*& device)
{
    return std::make_unique<CUsbHostStream>(
        [&device](const std::u16string&, uint32_t flags, std::unique_ptr<IUsbBulkDevice>& out) -> uint32_t {
            auto d = std::make_unique<CScriptedBulk>();
            d->readPipe = (flags & SF_READ) != 0;
            d->writePipe = (flags & SF_WRITE) != 0;
            device = d.get();
            out = std::move(d);
            return 0;
        });
}

// A probe manager of this test only: its own event names and one scripted
// probe behind kProbePath.
class ProbeFixture : public ::testing::Test {
protected:
    ProbeFixture()
        : probe(std::make_shared<CScriptedProbe>()),
          manager(
              [this](const std::u16string& path, std::shared_ptr<IHidDevice>& out) -> uint32_t {
                  if (path != kProbePath)
                      return Platform::ERROR_FILE_NOT_FOUND;
                  ++opens;
                  out = probe;
                  return 0;
              },
              Names())
    {
    }

    static SProbeEventNames Names()
    {
        const std::string tag = "-test-" + std::to_string(::getpid());
        SProbeEventNames n;
        n.close = Platform::FromUtf8("VovCloseEvent" + tag);
        n.attach = Platform::FromUtf8("HidVov-Attach" + tag);
        n.detach = Platform::FromUtf8("HidVov-Detach" + tag);
        return n;
    }

    std::shared_ptr<CScriptedProbe> probe;
    int opens = 0;
    CUsbHostProbeManager manager;
};

void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

} // namespace

TEST(UsbBulk, ReadsUntilTheCountAndStoresEndOrTimeout)
{
    CScriptedBulk* device = nullptr;
    auto stream = BulkStream(device);
    ASSERT_TRUE(stream->Open(kBulkPath, kReadWrite));
    EXPECT_EQ(stream->GetName(), kBulkPath);
    EXPECT_FALSE(stream->Open(kBulkPath, kReadWrite));
    EXPECT_EQ(stream->GetError(), Platform::ERROR_NOT_SUPPORTED);

    device->input = {"abc", "defg"};
    char in[8] = {};
    EXPECT_EQ(stream->Read(in, 7), 7u);
    EXPECT_EQ(std::string(in, 7), "abcdefg");
    EXPECT_EQ(stream->GetError(), 0u);
    // Nothing within the read timeout: 0 with 38, which is end-or-timeout.
    EXPECT_EQ(stream->Read(in, 4), 0u);
    EXPECT_TRUE(stream->IsEofOrTimeout());
    EXPECT_EQ(stream->GetError(), Platform::ERROR_HANDLE_EOF);

    EXPECT_EQ(stream->Write("@ID@", 4), 4u);
    EXPECT_EQ(device->written, "@ID@");
    int r = 0, w = 0;
    ASSERT_TRUE(stream->SetTimeouts(1000, 50));
    ASSERT_TRUE(stream->GetTimeouts(r, w));
    EXPECT_EQ(r, 1000);
    EXPECT_EQ(w, 50);
    stream->Close();
    EXPECT_FALSE(stream->IsOpen());
}

TEST(UsbBulk, PipesFollowTheFlagsAndOpenFailuresNameThePath)
{
    CScriptedBulk* device = nullptr;
    auto readOnly = BulkStream(device);
    ASSERT_TRUE(readOnly->Open(kBulkPath, SF_READ));
    try {
        readOnly->Write("x", 1);
        ADD_FAILURE() << "a write without the write pipe";
    } catch (const Platform::CFileException& e) {
        EXPECT_EQ(e.GetOsError(), Platform::ERROR_WRITE_FAULT);
        EXPECT_EQ(e.GetFileName(), kBulkPath);
    }

    CUsbHostStream missing([](const std::u16string&, uint32_t, std::unique_ptr<IUsbBulkDevice>&) -> uint32_t {
        return Platform::ERROR_FILE_NOT_FOUND;
    });
    try {
        missing.Open(kBulkPath, kReadWrite);
        ADD_FAILURE() << "opened a missing device";
    } catch (const Platform::CFileException& e) {
        EXPECT_EQ(e.GetOsError(), Platform::ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(e.GetFileName(), kBulkPath);
    }
    EXPECT_FALSE(missing.IsOpen());
    uint8_t b;
    EXPECT_THROW(missing.Read(&b, 1), Platform::CFileException);
}

TEST_F(ProbeFixture, ControlAndDataShareOneDeviceAndAKindOpensOnce)
{
    CUsbHostProbeControl control(&manager);
    ASSERT_TRUE(control.Open(kProbePath, kReadWrite));
    EXPECT_TRUE(control.IsOpen());
    EXPECT_EQ(control.ReportLength(), 8u);

    CUsbHostProbeControl second(&manager);
    EXPECT_FALSE(second.Open(kProbePath, kReadWrite));
    EXPECT_EQ(second.GetError(), Platform::ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(control.IsOpen());   // unchanged

    CUsbHostProbeData data(&manager);
    ASSERT_TRUE(data.Open(kProbePath, SF_READ));
    unsigned index = 0;
    EXPECT_EQ(manager.FindDevice(kProbePath, PROBE_CONTROL, index), manager.FindDevice(kProbePath, PROBE_DATA, index));
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(manager.DeviceCount(), 1u);

    control.Close();
    EXPECT_EQ(probe->closes, 0);   // the data stream still uses it
    EXPECT_TRUE(data.IsOpen());
    data.Close();
    EXPECT_EQ(probe->closes, 1);
    EXPECT_EQ(manager.DeviceCount(), 0u);
    EXPECT_EQ(manager.FindDevice(kProbePath, PROBE_DATA, index), nullptr);
    EXPECT_EQ(index, 0xFFFFu);

    // A missing probe is thrown with its path.
    CUsbHostProbeControl other(&manager);
    EXPECT_THROW(other.Open(u"\\\\?\\hid#vid_3317&pid_0201#hidraw9#{4d1e55b2-f16f-11cf-88cb-001111000030}", kReadWrite),
                 Platform::CFileException);
}

TEST_F(ProbeFixture, ControlWriteHandsOverOneMessageAndNeverSplitsOne)
{
    CUsbHostProbeControl control(&manager);
    ASSERT_TRUE(control.Open(kProbePath, kReadWrite));
    const int before = probe->getFeatures;
    // L - 2 bytes do not fit in one report: refused without a device call.
    EXPECT_EQ(control.Write("123456", 6), 0u);
    EXPECT_EQ(control.GetError(), 0u);
    EXPECT_EQ(probe->getFeatures, before);

    EXPECT_EQ(control.Write("@ID@\r", 5), 5u);
    EXPECT_EQ(control.GetError(), 0u);
    ASSERT_EQ(probe->hostMessages.size(), 1u);
    EXPECT_EQ(probe->hostMessages[0], "@ID@\r");
    EXPECT_EQ(probe->hostSequence, 1);
    EXPECT_EQ(control.Write("ab", 2), 2u);
    EXPECT_EQ(probe->hostMessages.back(), "ab");
    EXPECT_EQ(probe->hostSequence, 2);

    // A device that does not take the message: time-out, message withdrawn.
    probe->busy = true;
    ASSERT_TRUE(control.SetTimeouts(500, 60));
    const auto started = Clock::now();
    EXPECT_EQ(control.Write("cd", 2), 0u);
    EXPECT_EQ(control.GetError(), Platform::ERROR_TIMEOUT);
    EXPECT_LT(MsSince(started), 1000);
}

TEST_F(ProbeFixture, ControlReadKeepsTheRestOfAReportForTheNextRead)
{
    CUsbHostProbeControl control(&manager);
    ASSERT_TRUE(control.Open(kProbePath, kReadWrite));
    probe->Offer("ABCDE");   // 5 bytes fill the 8-byte report's payload
    char in[8] = {};
    EXPECT_EQ(control.Read(in, 2), 2u);
    EXPECT_EQ(std::string(in, 2), "AB");
    const int features = probe->getFeatures;
    EXPECT_EQ(control.Read(in, 3), 3u);
    EXPECT_EQ(std::string(in, 3), "CDE");
    EXPECT_EQ(probe->getFeatures, features);   // no new feature read

    // A count beyond one report's payload is refused.
    EXPECT_EQ(control.Read(in, 6), 0u);
    // Nothing offered: 0 with 1460 after the read timeout.
    ASSERT_TRUE(control.SetTimeouts(80, 100));
    const auto started = Clock::now();
    EXPECT_EQ(control.Read(in, 1), 0u);
    EXPECT_EQ(control.GetError(), Platform::ERROR_TIMEOUT);
    EXPECT_GE(MsSince(started), 70);

    // Two messages in a row; purge drops what is waiting.
    probe->Offer("12");
    probe->Offer("34");
    EXPECT_EQ(control.Read(in, 4), 4u);
    EXPECT_EQ(std::string(in, 4), "1234");
    probe->Offer("zz");
    control.PurgeInput();
    EXPECT_EQ(control.Read(in, 1), 0u);
}

TEST_F(ProbeFixture, DataReadTakesNewReportsOnlyAndKeepsItsLeftover)
{
    CUsbHostProbeData data(&manager);
    ASSERT_TRUE(data.Open(kProbePath, SF_READ));
    EXPECT_EQ(data.Write("x", 1), 0u);
    probe->Input(1, "12345678");
    probe->Input(1, "12345678");   // the same sequence number: nothing new
    probe->Input(2, "9");
    char in[16] = {};
    EXPECT_EQ(data.Read(in, 5), 5u);
    EXPECT_EQ(std::string(in, 5), "12345");
    const int reads = probe->inputReads;
    EXPECT_EQ(data.Read(in, 3), 3u);
    EXPECT_EQ(std::string(in, 3), "678");
    EXPECT_EQ(probe->inputReads, reads);
    ASSERT_TRUE(data.SetTimeouts(80, 100));
    EXPECT_EQ(data.Read(in, 4), 1u);   // the repeat is skipped, "9", then the time-out
    EXPECT_EQ(in[0], '9');
    EXPECT_EQ(data.GetError(), Platform::ERROR_TIMEOUT);
    EXPECT_EQ(data.GetSequence(), 2u);
}

TEST_F(ProbeFixture, CloseEventEndsIsOpenPromptlyAndCancelEndsATransfer)
{
    CUsbHostProbeControl control(&manager);
    ASSERT_TRUE(control.Open(kProbePath, kReadWrite));
    Platform::CNamedEvent attach;
    ASSERT_EQ(attach.Create(Names().attach), 0u);
    attach.Set();
    unsigned index = 0;
    EXPECT_EQ(manager.WaitForEvent(index, 0), PROBE_EVENT_ATTACHED);
    EXPECT_FALSE(attach.IsSet());   // a sole waiter resets it

    // An attach event nobody resets and the close event: IsOpen still ends.
    attach.Set();
    manager.CloseEvent().Set();
    auto started = Clock::now();
    EXPECT_TRUE(control.IsOpen());
    EXPECT_LT(MsSince(started), 50);
    EXPECT_EQ(manager.WaitForEvent(index, 1000), PROBE_EVENT_CLOSING);
    manager.CloseEvent().Reset();

    // A read without limit ends at the next poll after Cancel.
    ASSERT_TRUE(control.SetTimeouts(TIMEOUT_INFINITE, 100));
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        control.Cancel();
    });
    started = Clock::now();
    char in[2];
    EXPECT_EQ(control.Read(in, 2), 0u);
    canceller.join();
    EXPECT_LT(MsSince(started), 1000);
}

TEST(UsbPaths, VendorTestIsCaseSensitiveAndPathsRoundTrip)
{
    EXPECT_TRUE(IsProbeDevicePath(kProbePath));
    EXPECT_FALSE(IsProbeDevicePath(u"\\\\?\\hid#VID_3317&PID_0201#hidraw0#{4d1e55b2-f16f-11cf-88cb-001111000030}"));
    EXPECT_FALSE(IsProbeDevicePath(u"\\\\?\\hid#vid_3318&pid_0201#x#y"));
    EXPECT_FALSE(IsProbeDevicePath(u"\\\\?\\hid#vid_33"));

    SUsbDevicePath p;
    ASSERT_TRUE(ParseUsbDevicePath(kBulkPath, p));
    EXPECT_FALSE(p.hid);
    EXPECT_EQ(p.vendor, 0x3317);
    EXPECT_EQ(p.product, 0x0102);
    EXPECT_EQ(p.instance, "1-2:1.0");
    EXPECT_EQ(MakeUsbDevicePath(p), kBulkPath);
    ASSERT_TRUE(ParseUsbDevicePath(kProbePath, p));
    EXPECT_TRUE(p.hid);
    EXPECT_EQ(MakeUsbDevicePath(p), kProbePath);
    EXPECT_FALSE(ParseUsbDevicePath(u"\\\\?\\hid#vid_3317&pid_0201#../../etc#{4d1e55b2-f16f-11cf-88cb-001111000030}", p));
    EXPECT_FALSE(ParseUsbDevicePath(u"/dev/hidraw0", p));
}

TEST(UsbPaths, ReportLengthsComeFromTheDescriptor)
{
    // Vendor page, 16 bytes of input, 8 bytes of output, 63 of feature.
    const uint8_t descriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x15, 0x00, 0x26,
                                  0xFF, 0x00, 0x95, 0x10, 0x09, 0x01, 0x81, 0x02, 0x95, 0x08, 0x09, 0x01,
                                  0x91, 0x02, 0x95, 0x3F, 0x09, 0x01, 0xB1, 0x02, 0xC0};
    SHidReportLengths l = ParseReportLengths(descriptor, sizeof descriptor);
    EXPECT_EQ(l.input, 17u);
    EXPECT_EQ(l.output, 9u);
    EXPECT_EQ(l.feature, 64u);
    EXPECT_FALSE(l.reportIds);
    // Cut in the middle of an item: what came before counts, nothing beyond.
    l = ParseReportLengths(descriptor, 21);   // ends inside the output count item
    EXPECT_EQ(l.input, 17u);
    EXPECT_EQ(l.feature, 0u);
}

TEST(UsbEnumeration, ListsTheMakersDevicesFromSysfs)
{
    const std::filesystem::path root = TestEnv::TempDir() + "/sysfs";
    std::filesystem::remove_all(root);
    const std::filesystem::path usb = root / "bus/usb/devices";
    auto device = [&](const std::string& name, const char* vendor, std::initializer_list<const char*> endpoints) {
        WriteFile(usb / name / "idVendor", vendor);
        WriteFile(usb / name / "idProduct", "0102");
        for (const char* ep : endpoints) {
            const std::string e(ep);
            WriteFile(usb / (name + ":1.0") / ("ep_" + e.substr(0, 2)) / "type", e.substr(3, e.find(',') - 3));
            WriteFile(usb / (name + ":1.0") / ("ep_" + e.substr(0, 2)) / "direction", e.substr(e.find(',') + 1));
        }
    };
    device("1-2", "3317", {"81 Bulk,in", "02 Bulk,out"});
    device("1-3", "0403", {"81 Bulk,in", "02 Bulk,out"});   // another maker
    device("1-4", "3317", {"83 Interrupt,in"});            // no bulk pipes
    const std::filesystem::path hidraw = root / "class/hidraw";
    WriteFile(hidraw / "hidraw0/device/uevent", "DRIVER=hid-generic\nHID_ID=0003:00003317:00000201");
    WriteFile(hidraw / "hidraw1/device/uevent", "HID_ID=0003:0000046D:0000C077");
    WriteFile(hidraw / "hidraw2/device/uevent", "HID_ID=0005:00003317:00000201");   // not USB

    std::vector<std::u16string> paths;
    std::u16string note;
    EXPECT_EQ(EnumBulkDevices(paths, &note, root.string()), 0u);
    EXPECT_EQ(paths, std::vector<std::u16string>{kBulkPath});
    EXPECT_TRUE(note.empty());
    EXPECT_EQ(EnumProbeDevices(paths, &note, root.string()), 0u);
    EXPECT_EQ(paths, std::vector<std::u16string>{kProbePath});
}

TEST(UsbEnumeration, NoBusGivesAnEmptyListAndSaysSo)
{
    std::vector<std::u16string> paths{u"stale"};
    std::u16string note;
    const std::string none = TestEnv::TempDir() + "/no-sysfs";
    EXPECT_EQ(EnumBulkDevices(paths, &note, none), 0u);
    EXPECT_TRUE(paths.empty());
    EXPECT_EQ(note, u"No USB bus was found on this computer, so no USB device can be listed.");
    paths = {u"stale"};
    EXPECT_EQ(EnumProbeDevices(paths, &note, none), 0u);
    EXPECT_TRUE(paths.empty());
    EXPECT_FALSE(note.empty());

    // This computer: whatever it has, enumeration never fails.
    EXPECT_EQ(EnumBulkDevices(paths), 0u);
    EXPECT_EQ(EnumProbeDevices(paths), 0u);
}
