// SPDX-License-Identifier: GPL-3.0-or-later
// Notices new device files through inotify: the folders of /dev/ttyUSB*,
// /dev/ttyACM* and of the paths the Ports key maps are watched for entries
// created, moved in or given new permissions (udev creates a node, then sets
// its group and mode).  The caller polls the descriptor with its other ones.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace Collect {

class CDeviceNodeWatch {
public:
    CDeviceNodeWatch();
    ~CDeviceNodeWatch();
    CDeviceNodeWatch(const CDeviceNodeWatch&) = delete;
    CDeviceNodeWatch& operator=(const CDeviceNodeWatch&) = delete;

    // Watches the folders of `paths` (each once); folders that do not exist
    // or cannot be watched are left out.  False when inotify is not there.
    bool Watch(const std::vector<std::string>& paths);
    // Forgets every folder.
    void Clear();

    // The descriptor to poll for reading; -1 without inotify.
    int Descriptor() const { return m_fd; }
    // Reads what is pending (never blocks): the full paths of the entries
    // that appeared or changed.
    std::vector<std::string> Take();

    // The folders watched now.
    std::vector<std::string> Folders() const;

private:
    int m_fd = -1;
    std::vector<std::pair<int, std::string>> m_watches;   // descriptor, folder
};

// The device files a watch should notice: /dev/ttyUSB0 and /dev/ttyACM0
// (their folder, /dev) and every COM port's device file from 1 to `last`.
std::vector<std::string> DeviceNodePaths(uint32_t last);

} // namespace Collect
