// SPDX-License-Identifier: GPL-3.0-or-later
#include "collect/DeviceNodeWatch.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/ComPorts.h"
#include "platform/FileSystem.h"

namespace Collect {

CDeviceNodeWatch::CDeviceNodeWatch() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

CDeviceNodeWatch::~CDeviceNodeWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CDeviceNodeWatch::Watch(const std::vector<std::string>& paths)
{
    if (m_fd < 0)
        return false;
    for (const std::string& path : paths) {
        if (path.empty())
            continue;
        const std::string folder = Platform::FolderOf(path);
        const bool known = std::any_of(m_watches.begin(), m_watches.end(),
                                       [&](const auto& w) { return w.second == folder; });
        if (known)
            continue;
        const int wd = ::inotify_add_watch(m_fd, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_ONLYDIR);
        if (wd >= 0)
            m_watches.emplace_back(wd, folder);
    }
    return true;
}

void CDeviceNodeWatch::Clear()
{
    for (const auto& w : m_watches)
        ::inotify_rm_watch(m_fd, w.first);
    m_watches.clear();
}

std::vector<std::string> CDeviceNodeWatch::Take()
{
    std::vector<std::string> paths;
    if (m_fd < 0)
        return paths;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            if (e->len == 0)
                continue;
            const auto w = std::find_if(m_watches.begin(), m_watches.end(),
                                        [&](const auto& entry) { return entry.first == e->wd; });
            if (w == m_watches.end())
                continue;
            const std::string path = (w->second == "/" ? std::string() : w->second) + "/" + e->name;
            if (std::find(paths.begin(), paths.end(), path) == paths.end())
                paths.push_back(path);
        }
    }
    return paths;
}

std::vector<std::string> CDeviceNodeWatch::Folders() const
{
    std::vector<std::string> folders;
    for (const auto& w : m_watches)
        folders.push_back(w.second);
    return folders;
}

std::vector<std::string> DeviceNodePaths(uint32_t last)
{
    std::vector<std::string> paths = {"/dev/ttyUSB0", "/dev/ttyACM0"};
    for (uint32_t n = 1; n <= last; ++n) {
        // The mapped path whether or not its device exists: a port mapped to
        // a file that is not there yet is what a watch waits for.
        std::string path = Platform::ComPortDevicePath(static_cast<int>(n));
        if (path.empty())
            path = Platform::DefaultComPortDevicePath(static_cast<int>(n));
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

} // namespace Collect
