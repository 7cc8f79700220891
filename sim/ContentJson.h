// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the simulator's content as a JSON document.
//
// {
//   "identity": { "typeName": "Veltrano", "hardwareRevision": "C",
//                 "serialNumber": "VT-20417", "signature": "0702A41C",
//                 "applicationVersion": "2.14.0.3", "bootloaderVersion": "1.3.0.0",
//                 "hardwareId": "00040C21" },
//   "infoBlock": "<256 hex digits: the 128-byte block sent verbatim>",
//   "echo": false, "option": false, "optionSupported": true,
//   "names": [ "PM1 NP 001", ... ],
//   "generate": { "series": 40, "seed": 7 },
//   "series": [ { "rollId": "NP240108-01", "counter": 1234,
//                 "dateTime": "2024-01-08 06:41:10",
//                 "lowerLimit": 40, "upperLimit": 50, "reserved": [0, 0],
//                 "impacts": [ [45.5, 2.412, 0], { "q": 46, "energy": 2.398, "status": 0 } ] } ]
// }
//
// Every key is optional.  Values and limits are in Q (half steps), energies in
// joules (thousandths kept), dateTime is wall-clock text or the raw count of
// seconds since 2000-01-01.  "generate" adds generated series after the listed
// ones.  Signature and hardware id are hexadecimal texts or numbers.
#pragma once

#include <string>

#include "SimContent.h"

namespace Sim {

// Parses a JSON document into `content` (starting from the defaults); false
// with a message naming the offending element.
bool ContentFromJson(const std::string& text, SSimContent& content, std::string& error);

// Reads the file and parses it.
bool LoadContentFile(const std::string& path, SSimContent& content, std::string& error);

// The content as a JSON document in the form above (without "generate").
std::string ContentToJson(const SSimContent& content);

} // namespace Sim
