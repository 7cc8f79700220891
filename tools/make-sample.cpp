// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-make-sample OUT.vnr [SERIES] [SEED]: writes a project of realistic
// measurement series, as a lab would download them from a Veltrano.  It
// makes the bundled sample project (examples/sample.vnr).
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "data/PaperDoc.h"
#include "platform/DateTimeFormat.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace {

// A small deterministic generator, so the same seed gives the same file
// on every machine and library version.
class CRandom {
public:
    explicit CRandom(uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
    // Roughly normal: the sum of four uniform numbers.
    double Normal(double mean, double spread)
    {
        double sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += (Next() % 10000) / 10000.0;
        return mean + (sum - 2.0) * spread;
    }

private:
    uint32_t m_state;
};

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(uint8_t* block, size_t offset, const char* text)
{
    for (size_t i = 0; text[i] != '\0'; ++i)
        block[offset + i] = static_cast<uint8_t>(text[i]);
}


const char* const kUsage =
    "usage: brelmora-make-sample OUT.vnr [SERIES] [SEED]\n"
    "       brelmora-make-sample --help | --version\n"
    "\n"
    "Writes a project of SERIES (default 24, 0 to 5000) realistic measurement series\n"
    "made from SEED (default 7), as a lab would download them from a Veltrano.\n"
    "\n"
    "Exit status: 0 written, 1 wrong usage, 3 the file cannot be written.\n";

int Usage(const std::string& message)
{
    std::fprintf(stderr, "brelmora-make-sample: %s. Try --help\n", message.c_str());
    return 1;
}

bool ParseCount(const char* text, unsigned long max, unsigned long& out)
{
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && out <= max;
}

// Standard output flushed and checked: a result that cannot be printed is
// an output that cannot be written.
int Finish(int rc)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "brelmora-make-sample: standard output cannot be written\n");
        return rc == 0 ? 3 : rc;
    }
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<const char*> operands;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return Finish(0);
        }
        if (a == "--version") {
            std::printf("brelmora-make-sample %d.%d.%d.%d\n", BRELMORA_VERSION_MAJOR, BRELMORA_VERSION_MINOR,
                        BRELMORA_VERSION_PATCH, BRELMORA_VERSION_TWEAK);
            return Finish(0);
        }
        // "--" ends the options, so a file may be named "-x".
        if (a == "--") {
            operands.insert(operands.end(), argv + i + 1, argv + argc);
            break;
        }
        if (a.size() > 1 && a[0] == '-')
            return Usage("unknown option \"" + a + "\"");
        operands.push_back(argv[i]);
    }
    if (operands.empty() || operands.size() > 3)
        return Usage(operands.empty() ? "the name of the file to write is missing" : "too many arguments");
    unsigned long series = 24, seed = 7;
    if (operands.size() > 1 && !ParseCount(operands[1], 5000, series))
        return Usage(std::string("\"") + operands[1] + "\" is not a series count from 0 to 5000");
    if (operands.size() > 2 && !ParseCount(operands[2], 0xFFFFFFFFul, seed))
        return Usage(std::string("\"") + operands[2] + "\" is not a seed from 0 to 4294967295");
    const char* const out = operands[0];
    const int count = static_cast<int>(series);
    CRandom rnd(static_cast<uint32_t>(seed));

    uint8_t info[128] = {};
    PutText(info, 2, "Veltrano");
    PutText(info, 34, "VT-10428");
    PutText(info, 48, "2.14");
    PutText(info, 64, "Rev C");

    std::tm start = {};
    start.tm_year = 2026 - 1900;
    start.tm_mon = 10;
    start.tm_mday = 23;
    start.tm_hour = 6;
    start.tm_min = 40;
    uint32_t when = Platform::LocalToSeriesTime(start);

    static const char* grades[] = {"LWC", "SC", "NP", "WFC"};
    std::vector<uint8_t> bytes;
    uint16_t counter = 1180;
    for (int s = 0; s < count; ++s) {
        const char* grade = grades[rnd.Range(0, 3)];
        char rollId[17] = {};
        std::snprintf(rollId, sizeof rollId, "%s-%05d", grade, 31200 + s * 3 + rnd.Range(0, 2));
        const int impacts = s % 9 == 4 ? rnd.Range(30, 60) : (s % 11 == 7 ? rnd.Range(51, 90) : rnd.Range(5, 22));
        const double target = rnd.Normal(47.0, 6.0);
        const bool limits = s % 6 != 5;
        const int lowerQ = limits ? static_cast<int>(target) - rnd.Range(4, 7) : 0;
        const int upperQ = limits ? static_cast<int>(target) + rnd.Range(4, 7) : 100;

        for (int i = 0; i < 16; ++i)
            bytes.push_back(static_cast<uint8_t>(rollId[i]));
        Put(bytes, counter, 2);
        Put(bytes, when, 4);
        Put(bytes, static_cast<uint32_t>(impacts), 1);
        Put(bytes, static_cast<uint32_t>(lowerQ * 2), 1);
        Put(bytes, static_cast<uint32_t>(upperQ * 2), 1);
        Put(bytes, 0, 2);
        // Harder towards the core of the roll: a gentle slope plus scatter.
        for (int k = 0; k < impacts; ++k) {
            const double slope = (k - impacts / 2.0) * 0.08;
            double q = rnd.Normal(target + slope, 2.6);
            if (rnd.Range(0, 40) == 0)
                q += rnd.Range(0, 1) ? 8.5 : -8.5; // the occasional soft or hard spot
            int half = static_cast<int>(q * 2.0 + 0.5);
            half = half < 0 ? 0 : (half > 200 ? 200 : half);
            Put(bytes, static_cast<uint32_t>(half), 1);
            Put(bytes, static_cast<uint32_t>(rnd.Range(2950, 3120)), 2); // energy in mJ
            Put(bytes, 0, 1);
        }
        counter = static_cast<uint16_t>(counter + impacts);
        when += static_cast<uint32_t>(rnd.Range(6, 40) * 60);
        if (s % 8 == 7)
            when += 14 * 3600; // next shift
    }

    StreamIO::Initialize();
    CPaperDoc doc;
    doc.StoreDownloadedInfo(info, sizeof info);
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
    if (doc.GetCount() > 3) {
        doc.SetComment(1, u"Edge of the roll damaged on the first 3 impacts.\r\nChecked again by the shift leader.");
        doc.SetComment(3, u"Customer \"Nordpress\" order 4471");
    }
    const bool ok = doc.WriteProject(Platform::FromUtf8(out));
    StreamIO::Shutdown();
    if (!ok) {
        std::fprintf(stderr, "%s: cannot be written\n", out);
        return 3;
    }
    std::printf("%s: %d series\n", out, doc.GetCount());
    return 0;
}
