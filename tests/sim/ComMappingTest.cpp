// SPDX-License-Identifier: GPL-3.0-or-later
// The COM mapping of the simulator's pseudo-terminal in the registry store.
#include <gtest/gtest.h>

#include "platform/ComPorts.h"
#include "sim/ComMapping.h"

namespace {

TEST(SimComMapping, MapsThePortAndPutsThePreviousValueBack)
{
    const std::string before = Platform::ComPortDevicePath(12);
    {
        Sim::CComMapping mapping;
        std::string error;
        ASSERT_TRUE(mapping.Map(12, "/dev/pts/901", error)) << error;
        EXPECT_EQ(Platform::ComPortDevicePath(12), "/dev/pts/901");
        // A new line after a hang-up moves the mapping, still restoring the first value.
        ASSERT_TRUE(mapping.Map(12, "/dev/pts/902", error)) << error;
        EXPECT_EQ(Platform::ComPortDevicePath(12), "/dev/pts/902");
        EXPECT_FALSE(mapping.Map(257, "/dev/pts/903", error));
    }
    EXPECT_EQ(Platform::ComPortDevicePath(12), before);

    // A port someone else has mapped in the meantime is left alone.
    Sim::CComMapping mapping;
    std::string error;
    ASSERT_TRUE(mapping.Map(13, "/dev/pts/904", error)) << error;
    ASSERT_EQ(Platform::SetComPortDevicePath(13, "/dev/pts/other"), 0u);
    mapping.Restore();
    EXPECT_EQ(Platform::ComPortDevicePath(13), "/dev/pts/other");
}

} // namespace
