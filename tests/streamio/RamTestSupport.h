// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the RAM disk tests: a fixture that makes sure the process disk
// exists (other tests of this program shut the library down) and the error a
// call throws.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/FileException.h"
#include "streamio/IoStream.h"

class RamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StreamIO::Initialize()); }
};

// The OS error of the file exception `call` throws; 0 when it throws none.
template <typename F>
uint32_t RamError(F&& call)
{
    try {
        call();
    } catch (const Platform::CFileException& e) {
        return e.GetOsError();
    }
    return 0;
}

inline std::vector<uint8_t> Pattern(size_t count, uint32_t seed)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>((i + seed) * 31 + (i >> 8));
    return bytes;
}
