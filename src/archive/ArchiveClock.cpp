// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchiveClock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace Archive {

std::string UtcNowIso()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::gmtime_r(&now, &t);
    char buf[64];   // room for any value the fields could hold
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

std::string LoginName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_name != nullptr)
        return pw->pw_name;
    if (const char* user = std::getenv("USER"); user != nullptr)
        return user;
    return std::to_string(::geteuid());
}

std::string HostName()
{
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return "localhost";
    return buf;
}

} // namespace Archive
