// SPDX-License-Identifier: GPL-3.0-or-later
// Path helpers of the project document.
#pragma once

#include <string>

namespace ProjectPaths {

// The stream name of a disk path.  A relative path gets a "./" prefix so
// that the stream factory never takes a file name such as "COM1:" or "RAM:x"
// in the working folder for a port or a memory stream.
inline std::u16string StreamPath(const std::u16string& path)
{
    if (path.empty() || path[0] == u'/')
        return path;
    return u"./" + path;
}

} // namespace ProjectPaths
