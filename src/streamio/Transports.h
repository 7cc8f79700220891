// SPDX-License-Identifier: GPL-3.0-or-later
// The table of transports: one row per link kind with everything that
// differs between them (how links of the kind are spelled, named and
// opened, and how a search walks them).  Code that handles "any link" goes
// through the row instead of switching over the kinds, so a new transport is
// one file defining its row and one entry in the table (Transports.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "streamio/LinkSpec.h"

namespace StreamIO {

// What a search is asked to look at (the connection wizard's choices).
struct SLinkSearchScope {
    bool scanAll = false;           // serial: every COM port from 1 to kLastNamedComPort
    bool stopAtFirst = false;       // serial scan: end at the first instrument
    uint32_t comPort = 1;           // serial without scan: this port
    uint32_t skipComPort = 0;       // serial scan: not this port (0: none)
    std::u16string address;         // IP: the instrument's host or address
};

// The device layer's side of a search: a transport's search walks its links
// and hands each candidate to Try.
class ILinkSearch {
public:
    enum class ETry {
        Found,          // an instrument answered and was handed on
        NotFound,       // the link opened, nothing (or the wrong one) answered
        OpenFailed,     // the link did not open; the error number says why
    };

    virtual ~ILinkSearch() = default;
    virtual const SLinkSearchScope& Scope() const = 0;
    // An abort request (or a stop of the device thread) came.
    virtual bool Aborted() = 0;
    // Makes the instrument object links are tried with, unless one is at
    // hand; false when the instrument type has none (the search ends).
    virtual bool Ready() = 0;
    // One line of the search's status list.
    virtual void Status(const std::u16string& text) = 0;
    // Opens `link` (a serial port with the instrument's line settings) and
    // asks the instrument who it is.  `openError` gets the open failure.
    virtual ETry Try(const SLinkSpec& link, uint32_t& openError) = 0;
};

// What the connection wizard's port page asks for a transport.
enum class ELinkAddress {
    None,        // nothing: the search finds the devices
    ComNumber,   // a COM number, or a scan of every port
    Host,        // an instrument's IP address or name
};

struct STransport {
    ELinkKind kind;
    // How the documentation and the trace call the transport.
    std::string_view name;
    // Reads the spellings of this kind; false (link untouched) for text of
    // another kind or none.
    bool (*parse)(std::u16string_view text, SLinkSpec& link);
    // The canonical spelling (FormatLink), the opened stream's name
    // (LinkStreamName) and the port text (LinkPortText).
    std::u16string (*format)(const SLinkSpec& link);
    std::u16string (*streamName)(const SLinkSpec& link);
    std::u16string (*portText)(const SLinkSpec& link);
    // Opens the link; throws the failure as a file exception.
    std::unique_ptr<CIoStream> (*open)(const SLinkSpec& link, uint32_t flags, const SerialSettings* settings);
    // Walks the links of this kind that `search` is asked to look at;
    // true when an instrument was found.
    bool (*search)(ILinkSearch& search);
    // The string id of the transport's name in the wizard's list of kinds.
    uint32_t kindText;
    // What the wizard's port page asks for.
    ELinkAddress address;
};

// Every transport, in the order the connection wizard offers them.
std::span<const STransport* const> Transports();

// The row of `kind`; null for None or a kind without a row.
const STransport* FindTransport(ELinkKind kind);

// The status line of a link a search could not open (its text is in
// resources/strings/en/device.txt with the device thread's other lines; the
// rows' own lines are there too).
constexpr uint32_t kStatusOpenFailed = 45032;

// For the rows' parsers: `digits` is one or more ASCII digits with a value
// from 1 to `highest` (leading zeros allowed); false otherwise.
bool ParseLinkNumber(std::u16string_view digits, uint32_t highest, uint32_t& value);

} // namespace StreamIO
