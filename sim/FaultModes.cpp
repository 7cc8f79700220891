// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultModes.h"

#include <charconv>

namespace Sim {

namespace {

bool ParseCount(std::string_view text, long max, long& out)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && ptr == last && out >= 0 && out <= max;
}

bool ParseOne(std::string_view item, SFaults& f, std::string& error)
{
    std::string_view name = item;
    std::string_view value;
    const size_t eq = item.find('=');
    if (eq != std::string_view::npos) {
        name = item.substr(0, eq);
        value = item.substr(eq + 1);
    }
    auto noValue = [&](bool& flag) {
        if (!value.empty()) {
            error = "fault \"" + std::string(name) + "\" takes no value";
            return false;
        }
        flag = true;
        return true;
    };
    if (name == "bad-checksum")
        return noValue(f.badChecksum);
    if (name == "short-info")
        return noValue(f.shortInfo);
    if (name == "cannot-transfer")
        return noValue(f.cannotTransfer);
    if (name == "no-series")
        return noValue(f.noSeries);
    if (name == "hangup")
        return noValue(f.hangUpInSeries);
    if (name == "cut-series")
        return noValue(f.cutSeries);
    if (name == "garbled-series")
        return noValue(f.garbledSeries);
    if (name == "large")
        return noValue(f.largeSeries);
    if (name == "measure-after-download")
        return noValue(f.measureAfterDownload);
    if (name == "silence-after") {
        long n = 0;
        if (!ParseCount(value, 1000000000L, n)) {
            error = "fault \"silence-after\" needs a request count, e.g. silence-after=3";
            return false;
        }
        f.silenceAfter = static_cast<int>(n);
        return true;
    }
    if (name == "trickle" || name == "trickle-series") {
        long n = 0;
        if (!ParseCount(value, 60000, n) || n == 0) {
            error = "fault \"" + std::string(name) + "\" needs a pause in milliseconds from 1 to 60000, e.g. " +
                    std::string(name) + "=300";
            return false;
        }
        (name == "trickle" ? f.trickleMs : f.trickleSeriesMs) = static_cast<int>(n);
        return true;
    }
    if (name == "lose-answer" || name == "lose-request") {
        const bool answer = name == "lose-answer";
        if (value == "names") {
            (answer ? f.loseNamesAnswer : f.loseNamesRequest) = true;
            return true;
        }
        if (answer && value == "remote-off") {
            f.loseRemoteOffAnswer = true;
            return true;
        }
        error = answer ? "fault \"lose-answer\" needs names or remote-off, e.g. lose-answer=names"
                       : "fault \"lose-request\" needs names, e.g. lose-request=names";
        return false;
    }
    if (name == "garbage") {
        long n = 8;
        if (!value.empty() && (!ParseCount(value, 4096, n) || n == 0)) {
            error = "fault \"garbage\" takes a byte count from 1 to 4096";
            return false;
        }
        f.garbageBytes = static_cast<size_t>(n);
        return true;
    }
    error = "unknown fault \"" + std::string(name) + "\"";
    return false;
}

} // namespace

bool SFaults::Any() const
{
    return badChecksum || shortInfo || cannotTransfer || noSeries || silenceAfter >= 0 ||
           hangUpInSeries || cutSeries || garbledSeries || garbageBytes > 0 || largeSeries || trickleMs > 0 ||
           trickleSeriesMs > 0 || loseNamesAnswer || loseNamesRequest || loseRemoteOffAnswer || measureAfterDownload;
}

bool ParseFaults(std::string_view layout, SFaults& faults, std::string& error)
{
    SFaults result = faults;
    size_t pos = 0;
    while (pos <= layout.size()) {
        size_t comma = layout.find(',', pos);
        if (comma == std::string_view::npos)
            comma = layout.size();
        const std::string_view item = layout.substr(pos, comma - pos);
        if (item.empty()) {
            error = "empty fault name";
            return false;
        }
        if (!ParseOne(item, result, error))
            return false;
        pos = comma + 1;
    }
    faults = result;
    return true;
}

std::string FaultHelp()
{
    return "  bad-checksum      every long answer (series, name list) carries a wrong checksum\n"
           "  short-info        the information block is answered with 127 bytes\n"
           "  cannot-transfer   the series request is answered with the single data byte 1\n"
           "                    (firmware that cannot transfer series)\n"
           "  no-series         the series request is answered with no data\n"
           "  silence-after=N   answer the first N requests, then stay silent\n"
           "                    (a request is a block frame or a DLE-introduced text command)\n"
           "  hangup            close the line halfway through the series data\n"
           "  cut-series        send the series data without their last two bytes (the\n"
           "                    checksum fits what is sent)\n"
           "  garbled-series    answer the series request with 65 bytes \"A\" as a short answer\n"
           "  garbage[=N]       send N random bytes (default 8) before every answer\n"
           "  large             hold more than 65,536 bytes of series data (adds generated\n"
           "                    series at start when needed)\n"
           "  trickle=MS        send every answer a byte at a time, MS milliseconds apart\n"
           "  trickle-series=MS the same for the series data, from its middle on\n"
           "  lose-answer=names\n"
           "                    carry out the first names change but send no answer\n"
           "  lose-request=names\n"
           "                    ignore the first names change and send no answer\n"
           "  lose-answer=remote-off\n"
           "                    switch remote mode off when asked but send no answer\n"
           "  measure-after-download\n"
           "                    after the first download that sent series, one more series\n"
           "                    is measured (its counter follows the last one)\n";
}

std::string DescribeFaults(const SFaults& f)
{
    std::string out;
    auto add = [&](const std::string& s) {
        if (!out.empty())
            out += ',';
        out += s;
    };
    if (f.badChecksum) add("bad-checksum");
    if (f.shortInfo) add("short-info");
    if (f.cannotTransfer) add("cannot-transfer");
    if (f.noSeries) add("no-series");
    if (f.silenceAfter >= 0) add("silence-after=" + std::to_string(f.silenceAfter));
    if (f.hangUpInSeries) add("hangup");
    if (f.cutSeries) add("cut-series");
    if (f.garbledSeries) add("garbled-series");
    if (f.garbageBytes > 0) add("garbage=" + std::to_string(f.garbageBytes));
    if (f.largeSeries) add("large");
    if (f.trickleMs > 0) add("trickle=" + std::to_string(f.trickleMs));
    if (f.trickleSeriesMs > 0) add("trickle-series=" + std::to_string(f.trickleSeriesMs));
    if (f.loseNamesAnswer) add("lose-answer=names");
    if (f.loseNamesRequest) add("lose-request=names");
    if (f.loseRemoteOffAnswer) add("lose-answer=remote-off");
    if (f.measureAfterDownload) add("measure-after-download");
    return out;
}

} // namespace Sim
