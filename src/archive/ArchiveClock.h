// SPDX-License-Identifier: GPL-3.0-or-later
// Who archives, where and when.
#pragma once

#include <string>

namespace Archive {

// The current time in UTC as "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcNowIso();
// The login name of this process' user, and this host's name.
std::string LoginName();
std::string HostName();

} // namespace Archive
