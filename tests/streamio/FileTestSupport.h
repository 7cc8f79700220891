// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the disk-file tests: paths in the test's temporary folder and
// the error a call throws.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FileException.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

inline std::string TempFile(const std::string& name)
{
    return TestEnv::TempDir() + "/" + name;
}

inline std::u16string TempName(const std::string& name)
{
    return Platform::FromUtf8(TempFile(name));
}

inline std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::ifstream in(TempFile(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void PutFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(TempFile(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The OS error of the file exception `call` throws; 0 when it throws none.
template <typename F>
uint32_t ThrownError(F&& call)
{
    try {
        call();
    } catch (const Platform::CFileException& e) {
        return e.GetOsError();
    }
    return 0;
}
