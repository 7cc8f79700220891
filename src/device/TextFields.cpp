// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/TextFields.h"

namespace Device {

std::vector<std::string> SplitNonEmpty(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

} // namespace Device
