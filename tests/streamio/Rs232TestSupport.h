// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the serial stream tests: a pseudo-terminal mapped to a COM
// number in the test's registry, and line records.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <termios.h>

#include "platform/ComPorts.h"
#include "streamio/serial/Rs232Stream.h"
#include "support/Pty.h"

// Every test gets a fresh pseudo-terminal as COM7.
class Rs232Test : public ::testing::Test {
protected:
    static constexpr uint32_t kPort = 7;
    static constexpr uint32_t kReadWrite = StreamIO::SF_READ | StreamIO::SF_WRITE;

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(pty.Open(&error)) << error;
        ASSERT_EQ(Platform::SetComPortDevicePath(kPort, pty.SlavePath()), 0u);
    }

    // The line settings as the terminal holds them.
    termios Line() const
    {
        termios t {};
        EXPECT_EQ(tcgetattr(pty.Slave(), &t), 0);
        return t;
    }

    TestEnv::CPty pty;
};

inline StreamIO::SerialSettings Record(uint32_t baud, int readMs = 500, int writeMs = 10)
{
    StreamIO::SerialSettings r;
    r.baudRate = baud;
    r.readTimeout = readMs;
    r.writeTimeout = writeMs;
    return r;
}

inline int64_t MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
