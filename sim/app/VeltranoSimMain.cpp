// SPDX-License-Identifier: GPL-3.0-or-later
// veltrano-sim: the simulated Veltrano as a program of its own, on a
// pseudo-terminal (optionally mapped to a COM number) and/or on TCP.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "sim/ComMapping.h"
#include "sim/ContentJson.h"
#include "sim/FaultModes.h"
#include "sim/Instrument.h"
#include "sim/SeriesGenerator.h"
#include "sim/TcpSimulator.h"
#include "sim/VeltranoSimulator.h"

namespace {

const char* const kUsage =
    "usage: veltrano-sim [OPTIONS]\n"
    "       veltrano-sim --help | --version\n"
    "\n"
    "Simulates a Veltrano impact tester on the instrument side of its wire protocol\n"
    "(text layer with DLE, \"@ID@\", \"ID\", \"EC?\"/\"EC0\"/\"EC1\"; block frames 0xD2, 0xF1,\n"
    "0xF4, 0xF6), with the series, series names and option it holds kept between\n"
    "requests.  Runs until SIGINT or SIGTERM.\n"
    "\n"
    "Transports (a pseudo-terminal when none is given):\n"
    "  --pty               serve on a pseudo-terminal in raw mode; prints \"pty: PATH\"\n"
    "  --com N             also map COM<N> to that path in the registry store (REG_SZ\n"
    "                      \"COM<N>\" under HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Ports);\n"
    "                      the previous mapping is put back at exit\n"
    "  --tcp               serve on TCP, one connection at a time; prints \"tcp: ADDR:PORT\"\n"
    "  --tcp-port P        TCP port (default 3728; 0 picks a free one); implies --tcp\n"
    "  --listen ADDR       numeric address to listen on (default 127.0.0.1); implies --tcp\n"
    "\n"
    "Content:\n"
    "  --config FILE       content from a JSON file (see below)\n"
    "  --series N          N generated series (replacing the file's series); without\n"
    "                      --config the default is 25\n"
    "  --seed S            seed of the generated content (default 1)\n"
    "  --write-config FILE write the content as JSON (\"-\" for standard output) and exit\n"
    "\n"
    "Line:\n"
    "  --baud B            emulate a line of B bits per second, 10 bits per character:\n"
    "                      answers leave at B/10 bytes per second (default: unthrottled)\n"
    "  --checksum KIND     checksum of long answers: crc32 (default), crc16, crc8, none\n"
    "  --echo              the text layer starts with echo on\n"
    "\n"
    "Faults (--fault NAME[=VALUE][,NAME...], may be repeated):\n"
    "%s"
    "\n"
    "Other:\n"
    "  -v, --verbose       print one line per request on standard error\n"
    "  -h, --help          this text\n"
    "      --version       the program's version\n"
    "\n"
    "Answers: short answers carry a count byte of 1 to 238 and the data; the\n"
    "series download (0xD2 0x10) and any answer longer than 238 bytes use the\n"
    "extended header (0xEF, checksum kind, 24-bit length) with the checksum after\n"
    "the data; requests without answer data get the count byte 0; errors are count\n"
    "bytes 0xF1 (unknown request), 0xF2 (bad parameter), 0xF3 (name slot beyond 50),\n"
    "0xF4 (name list full).  Resync (0xF6) is answered with the single byte 0xF0.\n"
    "\n"
    "JSON content (every key optional):\n"
    "  { \"identity\": { \"typeName\": \"Veltrano\", \"hardwareRevision\": \"C\",\n"
    "                  \"serialNumber\": \"VT-20417\", \"signature\": \"0702A41C\",\n"
    "                  \"applicationVersion\": \"2.14.0.3\", \"bootloaderVersion\": \"1.3.0.0\",\n"
    "                  \"hardwareId\": \"00040C21\" },\n"
    "    \"infoBlock\": \"<256 hex digits, sent verbatim instead of the built block>\",\n"
    "    \"echo\": false, \"option\": false, \"optionSupported\": true,\n"
    "    \"names\": [ \"PM1 NP 001\" ],\n"
    "    \"generate\": { \"series\": 40, \"seed\": 7 },\n"
    "    \"series\": [ { \"rollId\": \"NP240108-01\", \"counter\": 1234,\n"
    "                  \"dateTime\": \"2024-01-08 06:41:10\", \"lowerLimit\": 40,\n"
    "                  \"upperLimit\": 50, \"impacts\": [ [45.5, 2.412, 0],\n"
    "                  { \"q\": 46, \"energy\": 2.398, \"status\": 0 } ] } ] }\n"
    "  Values and limits in Q (half steps; lower 0 and upper 100 mean no limit),\n"
    "  energies in J, dateTime as local wall-clock text or seconds since 2000-01-01.\n"
    "  The information block is built from the identity: name at byte 2, serial\n"
    "  number at 34, application version at 48, hardware revision at 62, bootloader\n"
    "  version at 64.  Use --write-config to get a full example.\n"
    "\n"
    "Exit status: 0 stopped by SIGINT or SIGTERM (or done), 1 wrong usage, 2 the content\n"
    "file cannot be read, 3 the output cannot be written, 4 the pseudo-terminal or the\n"
    "address cannot be served.\n";

void PrintUsage(FILE* out)
{
    std::fprintf(out, kUsage, Sim::FaultHelp().c_str());
}

bool ParseNumber(const char* text, unsigned long max, unsigned long& out)
{
    if (text == nullptr || *text == '\0' || *text == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && out <= max;
}

std::mutex g_logLock;

void Log(const std::string& line)
{
    std::lock_guard<std::mutex> lock(g_logLock);
    std::time_t now = std::time(nullptr);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", std::localtime(&now));
    std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
}

// Exit statuses, as every program of Brelmora uses them.
enum {
    kExitOk = 0,
    kExitUsage = 1,
    kExitCannotRead = 2,     // the content file
    kExitCannotWrite = 3,    // --write-config, standard output
    kExitCannotServe = 4,    // no pseudo-terminal, the address cannot be listened on
};

int Usage(const std::string& message)
{
    std::fprintf(stderr, "veltrano-sim: %s. Try --help\n", message.c_str());
    return kExitUsage;
}

// Standard output flushed and checked at the end of what it was for.
int FinishOutput(int rc)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "veltrano-sim: standard output cannot be written: %s\n", std::strerror(errno));
        return rc == kExitOk ? kExitCannotWrite : rc;
    }
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    bool pty = false, tcp = false, verbose = false, echo = false;
    int com = 0;
    unsigned long tcpPort = Sim::DEFAULT_TCP_PORT, baud = 0, series = 0, seed = 1;
    bool haveSeries = false;
    std::string listen = "127.0.0.1", config, writeConfig;
    Sim::EChecksum checksum = Sim::EChecksum::Crc32;
    Sim::SFaults faults;

    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        unsigned long n = 0;
        if (a == "-h" || a == "--help") {
            PrintUsage(stdout);
            return FinishOutput(kExitOk);
        } else if (a == "--version") {
            std::printf("veltrano-sim %d.%d.%d.%d\n", BRELMORA_VERSION_MAJOR, BRELMORA_VERSION_MINOR,
                        BRELMORA_VERSION_PATCH, BRELMORA_VERSION_TWEAK);
            return FinishOutput(kExitOk);
        } else if (a == "--pty") {
            pty = true;
        } else if (a == "--com") {
            if (!value(v) || !ParseNumber(v, StreamIO::kLastNamedComPort, n) || n < StreamIO::kFirstComPort)
                return Usage("--com needs a port number from 1 to 256");
            com = static_cast<int>(n);
            pty = true;
        } else if (a == "--tcp") {
            tcp = true;
        } else if (a == "--tcp-port") {
            if (!value(v) || !ParseNumber(v, 65535, tcpPort))
                return Usage("--tcp-port needs a port number from 0 to 65535");
            tcp = true;
        } else if (a == "--listen") {
            if (!value(v))
                return Usage("--listen needs an address");
            listen = v;
            tcp = true;
        } else if (a == "--config") {
            if (!value(v))
                return Usage("--config needs a file name");
            config = v;
        } else if (a == "--series") {
            if (!value(v) || !ParseNumber(v, 200000, series))
                return Usage("--series needs a count from 0 to 200000");
            haveSeries = true;
        } else if (a == "--seed") {
            if (!value(v) || !ParseNumber(v, 0xFFFFFFFFul, seed))
                return Usage("--seed needs a number from 0 to 4294967295");
        } else if (a == "--write-config") {
            if (!value(v))
                return Usage("--write-config needs a file name or \"-\"");
            writeConfig = v;
        } else if (a == "--baud") {
            if (!value(v) || !ParseNumber(v, 100000000ul, baud) || baud < 10)
                return Usage("--baud needs a rate of at least 10 bits per second");
        } else if (a == "--checksum") {
            if (!value(v))
                return Usage("--checksum needs crc32, crc16, crc8 or none");
            const std::string k = v;
            if (k == "crc32")
                checksum = Sim::EChecksum::Crc32;
            else if (k == "crc16")
                checksum = Sim::EChecksum::Crc16;
            else if (k == "crc8")
                checksum = Sim::EChecksum::Crc8;
            else if (k == "none")
                checksum = Sim::EChecksum::None;
            else
                return Usage("--checksum needs crc32, crc16, crc8 or none");
        } else if (a == "--echo") {
            echo = true;
        } else if (a == "--fault") {
            std::string error;
            if (!value(v))
                return Usage("--fault needs a fault name");
            if (!Sim::ParseFaults(v, faults, error))
                return Usage(error);
        } else if (a == "-v" || a == "--verbose") {
            verbose = true;
        } else {
            return Usage("unknown option \"" + a + "\"");
        }
    }
    if (!pty && !tcp)
        pty = true;

    Sim::SSimContent content;
    content.names = Sim::GenerateNames(static_cast<uint32_t>(seed));
    if (!config.empty()) {
        std::string error;
        if (!Sim::LoadContentFile(config, content, error)) {
            std::fprintf(stderr, "veltrano-sim: %s\n", error.c_str());
            return kExitCannotRead;
        }
    } else if (!haveSeries) {
        series = 25;
        haveSeries = true;
    }
    if (haveSeries)
        content.series = Sim::GenerateSeries(series, static_cast<uint32_t>(seed));
    if (echo)
        content.echo = true;

    auto instrument = std::make_shared<Sim::CInstrument>(content, faults, static_cast<uint32_t>(seed));
    instrument->SetChecksum(checksum);

    if (!writeConfig.empty()) {
        const std::string text = Sim::ContentToJson(instrument->GetContent());
        if (writeConfig == "-") {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return FinishOutput(kExitOk);
        }
        std::ofstream out(writeConfig, std::ios::binary);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "veltrano-sim: cannot write %s\n", writeConfig.c_str());
            return kExitCannotWrite;
        }
        return kExitOk;
    }

    // SIGINT and SIGTERM are taken by sigtimedwait below, in this thread only;
    // the service threads inherit the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Sim::SLineOptions options;
    options.baud = static_cast<uint32_t>(baud);
    if (verbose)
        options.log = Log;

    const Sim::SSimContent shown = instrument->GetContent();
    std::printf("Veltrano simulator: serial number %s, application %s, %zu series, %zu names\n",
                shown.identity.serialNumber.c_str(), shown.identity.applicationVersion.c_str(),
                shown.series.size(), shown.names.size());
    if (faults.Any())
        std::printf("faults: %s\n", Sim::DescribeFaults(faults).c_str());
    if (baud)
        std::printf("line rate: %lu baud (%lu bytes per second)\n", baud, baud / 10);

    Sim::CComMapping mapping;
    std::unique_ptr<Sim::CVeltranoSimulator> ptySim;
    auto startPty = [&]() {
        std::string error;
        const std::string path = ptySim->ServePty(&error);
        if (path.empty()) {
            std::fprintf(stderr, "veltrano-sim: %s\n", error.c_str());
            return false;
        }
        std::printf("pty: %s\n", path.c_str());
        if (com > 0) {
            if (!mapping.Map(com, path, error)) {
                std::fprintf(stderr, "veltrano-sim: %s\n", error.c_str());
                return false;
            }
            std::printf("COM%d: %s\n", com, path.c_str());
        }
        std::fflush(stdout);
        return true;
    };
    if (pty) {
        ptySim = std::make_unique<Sim::CVeltranoSimulator>(instrument, options);
        if (!startPty())
            return kExitCannotServe;
    }
    Sim::CTcpSimulator tcpSim(instrument, options);
    if (tcp) {
        std::string error;
        if (!tcpSim.Start(listen, static_cast<uint16_t>(tcpPort), error)) {
            std::fprintf(stderr, "veltrano-sim: %s\n", error.c_str());
            return kExitCannotServe;
        }
        std::printf("tcp: %s:%u\n", listen.c_str(), tcpSim.GetPort());
    }
    std::fflush(stdout);

    int exitCode = 0;
    for (;;) {
        const timespec tick{0, 200 * 1000 * 1000};
        const int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig == SIGINT || sig == SIGTERM)
            break;
        if (ptySim && !ptySim->IsRunning()) {
            // The line was hung up (fault) or failed: offer a fresh one.
            if (verbose)
                Log(std::string("pseudo-terminal ended: ") + Sim::DescribeEnd(ptySim->GetEndReason()));
            if (!startPty()) {
                exitCode = kExitCannotServe;
                break;
            }
        }
    }
    if (ptySim)
        ptySim->Stop();
    tcpSim.Stop();
    mapping.Restore();
    if (verbose)
        Log("stopped");
    return exitCode;
}
