// The archive brelmora-cli watch stores into, from --archive [URL].
#pragma once

#include <memory>
#include <string>

#include "collect/CollectSink.h"

namespace Cli {

// The archive's location when --archive names none:
// $XDG_DATA_HOME/brelmora/series (~/.local/share/brelmora/series).
std::string DefaultWatchArchive();

// Opens the archive at `url` (empty: the default); null with the cause in
// `error` when it cannot be used.
std::unique_ptr<Collect::ICollectSink> OpenWatchSink(const std::string& url, std::string& error);

} // namespace Cli
