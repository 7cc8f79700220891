// SPDX-License-Identifier: GPL-3.0-or-later
// The count of firmware checks in a row that could not reach the download
// server, and the count after which the user is reminded to connect the PC
// to the Internet: "FwUpdateFailCount" and "FwUpdateFailCountMax", REG_SZ
// decimal numbers under the program's settings key.
#pragma once

#include <cstdint>
#include <string>

namespace Connection {

struct SFirmwareCounters {
    static constexpr int32_t kDefaultLimit = 100;

    int32_t count = 0;
    int32_t limit = kDefaultLimit;

    // Reads both; a missing count (or one that is no decimal number) is 0,
    // a missing limit, one that is not REG_SZ or no positive number is 100.
    static SFirmwareCounters Read(const std::u16string& keyPath);
    // Writes both with "%d"; false when the store refused.
    bool Write(const std::u16string& keyPath) const;

    // A check reached the server: 0 and 100.
    void Succeeded();
    // A check failed: true when the reminder is due (the count went past the
    // limit; the limit then shrinks and the count starts again).
    bool Failed();
};

// "Software\Vantor\<product name>\Settings".
std::u16string FirmwareSettingsKey(const std::u16string& productName);

} // namespace Connection
