// SPDX-License-Identifier: GPL-3.0-or-later
// The device thread's search jobs: JobSearch looks for instruments of one
// type on the chosen ports and hands each one that identifies itself to the
// callback; JobReconnect waits for one given instrument to come back.
//
// The transport's row (streamio/Transports.h) walks the links to try; each
// is opened as a typed link (a COM port with the device's line settings), so
// the registry's port map decides which device file plays a COM number, and
// the wire trace sees the search's streams too.
#pragma once

#include <cstdint>

#include "device/DeviceThread.h"

namespace Device {

class CCallback;

// Runs a search with `params` (see SSearchParams) and reports to `callback`:
// status lines, each instrument found (OnDeviceFound with the device), and at
// the end, unless aborted, OnDeviceFound(null).
void JobSearch(CCallback& callback, const SSearchParams& params);

// Repeats the search until an instrument with params.serialNumber answers or
// params.reconnectTimeoutMs has passed since the start.
void JobReconnect(CCallback& callback, const SSearchParams& params);

} // namespace Device
