// SPDX-License-Identifier: GPL-3.0-or-later
// Faults the simulated instrument can be told to show, so the program's
// handling of a misbehaving instrument can be tried on demand.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Sim {

struct SFaults {
    bool badChecksum = false;     // long answers carry a wrong checksum
    bool shortInfo = false;       // the information block has 127 bytes
    bool cannotTransfer = false;  // the series request is answered with the one data byte 1
    bool noSeries = false;        // the series request is answered "no data"
    int silenceAfter = -1;        // answer this many requests, then nothing (-1: off)
    bool hangUpInSeries = false;  // close the line halfway through the series data
    bool cutSeries = false;       // the series data lose their last two bytes (checksum sound)
    bool garbledSeries = false;   // the series request is answered with 65 bytes "A" (short answer)
    size_t garbageBytes = 0;      // random bytes sent before every answer
    bool largeSeries = false;     // hold more than 65,536 bytes of series at start
    int trickleMs = 0;            // send answers a byte at a time, this many ms apart
    int trickleSeriesMs = 0;      // the same for the series data from its middle on
    // Requests whose answer goes missing: the first names change (write,
    // insert, delete) is carried out but not answered (lose-answer=names)
    // or neither carried out nor answered (lose-request=names); every
    // "remote mode off" is carried out but not answered
    // (lose-answer=remote-off).
    bool loseNamesAnswer = false;
    bool loseNamesRequest = false;
    bool loseRemoteOffAnswer = false;
    // Right after the first series download that sent series, one more
    // series is measured (measure-after-download), as when the roll next
    // in line is tested while the program still stores the download.
    bool measureAfterDownload = false;

    bool Any() const;
};

// Applies one fault given as "name" or "name=value" (names in FaultHelp).
// Several may be given separated by commas.  False with a message on error.
bool ParseFaults(std::string_view layout, SFaults& faults, std::string& error);

// One line per fault name with what it does, for --help.
std::string FaultHelp();

// The active faults as a comma-separated list of their names.
std::string DescribeFaults(const SFaults& faults);

} // namespace Sim
