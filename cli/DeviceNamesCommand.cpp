// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli names --port COM<n>: [--set SLOT TEXT | --insert SLOT TEXT |
// --delete SLOT[,SLOT...] | --clear-from SLOT]: the series names stored on
// the instrument.  Slots are numbered 1 to 50 as printed.  After a change the
// list is read back and printed, so the output is what the instrument holds;
// when the change's answer was lost, the list read back tells whether the
// change was made.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "DeviceSession.h"
#include "StandardOutput.h"
#include "connection/SeriesNames.h"
#include "device/VeltranoDevice.h"
#include "platform/Text.h"

namespace Cli {

namespace {

constexpr int kSlots = 50;

enum class EChange { None, Set, Insert, Delete, ClearFrom };

struct SNamesRequest {
    std::string portText;
    EChange change = EChange::None;
    std::string slotText;
    std::string text;
};

std::optional<int> ParseSlot(const std::string& text)
{
    const std::optional<uint32_t> n = ParseNumber(text);
    if (!n || *n < 1 || *n > static_cast<uint32_t>(kSlots))
        return std::nullopt;
    return static_cast<int>(*n);
}

// "3" or "3,5,9": those slots.
std::optional<std::vector<int>> ParseSlotList(const std::string& text)
{
    std::vector<int> slots;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::optional<int> slot = ParseSlot(text.substr(start, comma == std::string::npos ? std::string::npos
                                                                                               : comma - start));
        if (!slot)
            return std::nullopt;
        slots.push_back(*slot);
        if (comma == std::string::npos)
            return slots;
        start = comma + 1;
    }
}

// The names manager's front end on a terminal: nothing to flash, its
// message goes to standard error naming the port.
class CNamesOutput : public ISeriesNamesView {
public:
    explicit CNamesOutput(CDeviceSession& session) : m_session(session) {}
    void OnNamesChanged() override {}
    void FlashRows(const std::vector<int>&, int) override {}
    void ShowMessage(int kind, const std::u16string& text) override { m_session.ShowMessage(kind, text); }

private:
    CDeviceSession& m_session;
};

std::vector<std::u16string> NamesOf(const CSeriesNamesModel& names)
{
    std::vector<std::u16string> list;
    for (int row = 1; row <= names.GetNameCount(); ++row)
        list.push_back(names.GetText(row));
    return list;
}

// The list the instrument holds after the change was made (slots 1-based;
// the list keeps no gaps).
std::vector<std::u16string> Expected(std::vector<std::u16string> list, EChange change, int slot,
                                     const std::vector<int>& slots, const std::u16string& name)
{
    const size_t at = static_cast<size_t>(slot - 1);
    switch (change) {
    case EChange::Set:
        if (at < list.size())
            list[at] = name;
        else
            list.push_back(name);
        break;
    case EChange::Insert:
        list.insert(list.begin() + static_cast<long>(std::min(at, list.size())), name);
        if (list.size() > static_cast<size_t>(kSlots))
            list.resize(kSlots);
        break;
    case EChange::Delete: {
        std::vector<std::u16string> kept;
        for (size_t i = 0; i < list.size(); ++i)
            if (std::find(slots.begin(), slots.end(), static_cast<int>(i + 1)) == slots.end())
                kept.push_back(list[i]);
        list = kept;
        break;
    }
    case EChange::ClearFrom:
        if (at < list.size())
            list.resize(at);
        break;
    case EChange::None:
        break;
    }
    return list;
}

bool ParseArgs(const std::vector<std::string>& args, SNamesRequest& r)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const size_t left = args.size() - i - 1;
        if (a == "--port" && left >= 1 && r.portText.empty() && !args[i + 1].empty()) {
            r.portText = args[++i];
            continue;
        }
        if (r.change != EChange::None)
            return false;   // one change per call
        if ((a == "--set" || a == "--insert") && left >= 2) {
            r.change = a == "--set" ? EChange::Set : EChange::Insert;
            r.slotText = args[++i];
            r.text = args[++i];
        } else if ((a == "--delete" || a == "--clear-from") && left >= 1) {
            r.change = a == "--delete" ? EChange::Delete : EChange::ClearFrom;
            r.slotText = args[++i];
        } else {
            return false;
        }
    }
    return !r.portText.empty();
}

void PrintNames(const CSeriesNamesModel& names)
{
    if (names.GetNameCount() == 0) {
        Out("%s\n", Platform::ToUtf8(Text(kNamesEmpty)).c_str());
        return;
    }
    for (int row = 1; row <= names.GetNameCount(); ++row)
        Out("%d\t%s\n", row, Platform::ToUtf8(names.GetText(row)).c_str());
}

// The checks on a name before it goes to the instrument, which stores 8-bit
// characters, at most 12 of them.  Prints why a name is refused.
bool CheckName(const std::string& given, std::u16string& name)
{
    name = Platform::FromUtf8(given);
    if (name.empty()) {
        PrintError("brelmora-cli", Text(kNameEmpty));
        return false;
    }
    for (char16_t c : name) {
        if (c > 0xFF) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kNameNotLatin1).c_str(), given.c_str()));
            return false;
        }
    }
    if (name.size() > Device::ROLL_ID_BYTES) {
        name.resize(Device::ROLL_ID_BYTES);
        PrintError("brelmora-cli",
                   Platform::FormatU(Text(kNameCut).c_str(), given.c_str(), Platform::ToUtf8(name).c_str()));
    }
    return true;
}

} // namespace

int NamesCommand(const std::vector<std::string>& args)
{
    SNamesRequest r;
    if (!ParseArgs(args, r))
        return UsageError("names");
    SPortChoice port;
    if (const int rc = ResolvePort("names", r.portText, port))
        return rc;

    // Everything the command line gives is checked before the port is opened.
    int slot = 0;
    std::vector<int> slots;
    std::u16string name;
    if (r.change == EChange::Delete) {
        const std::optional<std::vector<int>> list = ParseSlotList(r.slotText);
        if (!list) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kBadSlot).c_str(), r.slotText.c_str()));
            return UsageError("names");
        }
        slots = *list;
    } else if (r.change != EChange::None) {
        const std::optional<int> s = ParseSlot(r.slotText);
        if (!s) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kBadSlot).c_str(), r.slotText.c_str()));
            return UsageError("names");
        }
        slot = *s;
        if (r.change != EChange::ClearFrom && !CheckName(r.text, name))
            return exitUsage;
    }

    CDeviceSession session(port);
    CNamesOutput output(session);
    CSeriesNamesModel names(session.Connection(), &output);
    if (!names.Open()) {
        if (session.Connection().GetDevice() == nullptr)
            return exitNoInstrument;
        return session.ReportFailure(names.GetLastFailure(), names.GetLastInstrumentError());
    }

    const std::vector<std::u16string> before = NamesOf(names);
    int storedSlot = slot;
    bool ok = true;
    switch (r.change) {
    case EChange::None:
        PrintNames(names);
        return exitOk;
    case EChange::Set: {
        // The list keeps no gaps: a name given below the end goes to the
        // first free slot, as in the desktop program's names manager.
        ok = names.EndEdit(slot, name, &storedSlot);
        if (storedSlot != slot)
            session.PrintMessage(Platform::FormatU(Text(kNameMovedUp).c_str(), storedSlot));
        break;
    }
    case EChange::Insert: {
        if (names.IsFull()) {
            names.Insert(name);   // refused with the names manager's message
            return exitUsage;
        }
        const int firstFree = names.GetNameCount() + 1;
        if (slot > firstFree) {
            slot = firstFree;
            session.PrintMessage(Platform::FormatU(Text(kNameMovedUp).c_str(), slot));
        }
        names.SetFocusRow(slot);
        ok = names.Insert(name);
        break;
    }
    case EChange::Delete:
        ok = names.Delete(slots);
        break;
    case EChange::ClearFrom:
        ok = names.ClearFrom(slot);
        break;
    }
    if (!ok) {
        // The answer may have been lost after the instrument made the
        // change: the list read back tells what it holds now.
        const Device::ELinkFailure failure = names.GetLastFailure();
        const uint8_t instrumentError = names.GetLastInstrumentError();
        if (failure == Device::ELinkFailure::InstrumentError || failure == Device::ELinkFailure::Refused)
            return session.ReportFailure(failure, instrumentError);
        if (session.Connection().GetDevice() == nullptr || !names.Open()) {
            session.ReportFailure(failure, instrumentError);
            session.PrintMessage(Text(kNamesStateUnknown));
            return exitCommunication;
        }
        const std::vector<std::u16string> now = NamesOf(names);
        const int stored = r.change == EChange::Set ? storedSlot : slot;
        if (now == Expected(before, r.change, stored, slots, name)) {
            session.PrintMessage(Text(kNamesChangeMade));
            PrintNames(names);
            return exitOk;
        }
        session.ReportFailure(failure, instrumentError);
        session.PrintMessage(Text(now == before ? kNamesChangeNotMade : kNamesChangeUnclear));
        PrintNames(names);
        return exitCommunication;
    }
    PrintNames(names);
    return exitOk;
}

} // namespace Cli
