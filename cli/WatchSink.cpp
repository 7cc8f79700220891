#include "WatchSink.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <sys/stat.h>

#include "collect/SeriesFolderSink.h"

namespace Cli {

namespace {

std::string DataHome()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/share";
}

} // namespace

std::string DefaultWatchArchive()
{
    return DataHome() + "/brelmora/series";
}

std::unique_ptr<Collect::ICollectSink> OpenWatchSink(const std::string& url, std::string& error)
{
    std::string folder = url;
    if (folder.empty()) {
        folder = DefaultWatchArchive();
        // The program's data folder is private, as the archive in it.
        const std::string data = DataHome();
        std::error_code ec;
        std::filesystem::create_directories(data, ec);
        ::mkdir((data + "/brelmora").c_str(), 0700);
    }
    try {
        return std::make_unique<Collect::CSeriesFolderSink>(folder);
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
}

} // namespace Cli
