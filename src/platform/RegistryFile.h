// The file behind the registry store: where it lives, how it is read, and
// how a change is written so that concurrent writers never lose each
// other's values.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/RegistryDocument.h"

namespace Platform {

// $BRELMORA_REGISTRY when set, else $XDG_CONFIG_HOME/vantor/registry.reg
// (an absolute $XDG_CONFIG_HOME only), else ~/.config/vantor/registry.reg.
// Evaluated on every call.
std::string RegistryFilePath();

// Reads and parses the file.  0; ERROR_FILE_NOT_FOUND (2) when there is no
// file (the document is then empty); ERROR_INVALID_DATA (13) when the file is
// not a registry file or is implausibly large; ERROR_ACCESS_DENIED (5) when it
// cannot be read.
uint32_t ReadRegistryFile(const std::string& path, CRegDocument& doc);

// Applies a change under the file's lock: takes an exclusive advisory lock
// on "<file>.lock", reads the file afresh (a missing file is an empty
// registry), runs `change`, and when it reports a change writes the result
// to a temporary file in the same folder, flushes it to disk and renames it
// over the file.  `change` returns an error number (0 to go on) and sets
// `changed`.  A damaged file gives ERROR_INVALID_DATA and is left untouched;
// a file or folder that cannot be written gives ERROR_ACCESS_DENIED (5), a
// full disk ERROR_DISK_FULL.  Missing folders are created.
uint32_t UpdateRegistryFile(const std::string& path,
                            const std::function<uint32_t(CRegDocument& doc, bool& changed)>& change);

} // namespace Platform
