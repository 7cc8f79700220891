// SPDX-License-Identifier: GPL-3.0-or-later
// Time helpers of the tests: a wall-clock time by its fields, and a time
// zone set for the lifetime of an object.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace TestEnv {

// The broken-down wall-clock time of the given fields (not normalised;
// tm_isdst -1).
inline std::tm WallTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

// Sets the process' time zone (TZ) and puts the old one back when it ends.
class CScopedTimeZone {
public:
    explicit CScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CScopedTimeZone()
    {
        if (m_hadOld)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    CScopedTimeZone(const CScopedTimeZone&) = delete;
    CScopedTimeZone& operator=(const CScopedTimeZone&) = delete;

private:
    std::string m_old;
    bool m_hadOld = false;
};

} // namespace TestEnv
