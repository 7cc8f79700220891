// SPDX-License-Identifier: GPL-3.0-or-later
// The SHA-256 digest lives in the platform layer (the archive identifies
// files and series with it too); the update code keeps its names.
#pragma once

#include "platform/Sha256.h"

namespace Update {

using Platform::CSha256;
using Platform::ParseSha256File;

} // namespace Update
