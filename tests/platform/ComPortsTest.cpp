// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "RegistryTestSupport.h"

using namespace Platform;

TEST(ComPorts, DefaultDeviceFilesByRange)
{
    EXPECT_EQ(DefaultComPortDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(DefaultComPortDevicePath(32), "/dev/ttyS31");
    EXPECT_EQ(DefaultComPortDevicePath(33), "/dev/ttyUSB0");
    EXPECT_EQ(DefaultComPortDevicePath(64), "/dev/ttyUSB31");
    EXPECT_EQ(DefaultComPortDevicePath(65), "/dev/ttyACM0");
    EXPECT_EQ(DefaultComPortDevicePath(96), "/dev/ttyACM31");
    EXPECT_EQ(DefaultComPortDevicePath(97), "");
    EXPECT_EQ(DefaultComPortDevicePath(256), "");
    EXPECT_EQ(DefaultComPortDevicePath(0), "");
    EXPECT_EQ(DefaultComPortDevicePath(-1), "");
}

TEST(ComPorts, RegistryMappingWinsAndRemovalFallsBack)
{
    // The test registry maps every port to a path that does not exist.
    EXPECT_EQ(ComPortDevicePath(3), "/nonexistent/brelmora-test/COM3");

    ScopedRegistryFile file("ports.reg");
    EXPECT_EQ(ComPortDevicePath(3), "/dev/ttyS2");    // no registry file yet
    EXPECT_EQ(ComPortDevicePath(200), "");
    EXPECT_EQ(ComPortDevicePath(0), "");

    ASSERT_EQ(SetComPortDevicePath(3, "/dev/pts/7"), ERROR_SUCCESS);
    ASSERT_EQ(SetComPortDevicePath(200, "/dev/pts/8"), ERROR_SUCCESS);   // beyond the defaults
    EXPECT_EQ(ComPortDevicePath(3), "/dev/pts/7");
    EXPECT_EQ(ComPortDevicePath(200), "/dev/pts/8");
    EXPECT_EQ(ComPortDevicePath(4), "/dev/ttyS3");
    EXPECT_EQ(SetComPortDevicePath(0, "/dev/pts/1"), ERROR_INVALID_PARAMETER);

    // A value of another type does not map the port.
    CRegKey key;
    ASSERT_EQ(key.Open(kComPortsKey), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"com5", 7), ERROR_SUCCESS);
    EXPECT_EQ(ComPortDevicePath(5), "/dev/ttyS4");

    EXPECT_EQ(RemoveComPortDevicePath(3), ERROR_SUCCESS);
    EXPECT_EQ(RemoveComPortDevicePath(3), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ComPortDevicePath(3), "/dev/ttyS2");

    // A damaged store may hold a mapping: no device rather than a wrong one.
    file.Write("damaged");
    EXPECT_EQ(ComPortDevicePath(3), "");
}
