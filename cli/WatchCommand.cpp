// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli watch: downloads every instrument it can reach into the
// archive (and/or one project file per download), hands-free, until SIGTERM
// or SIGINT; --once makes one pass over all and ends.  The collecting is
// the collect layer's; this file reads the options, watches the signals and
// the device folders, and prints the events.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <poll.h>
#include <set>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

#include "ArchiveCliSupport.h"
#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "DeviceOutputFiles.h"
#include "DeviceSession.h"
#include "WatchOutput.h"
#include "WatchStrings.h"
#include "collect/ArchiveSink.h"
#include "collect/Collector.h"
#include "collect/DeviceNodeWatch.h"
#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "streamio/LinkSpec.h"
#include "streamio/usb/UsbEnumeration.h"

namespace Cli {

namespace {

// How long a stop waits for the exchanges under way to end (they end
// within 100 ms of the request; only opening an address may take longer).
constexpr int kStopGraceMs = 1500;

struct SWatchArgs {
    std::vector<std::string> ports;
    std::vector<std::string> addresses;
    bool scan = false;
    bool usb = false;
    bool archive = false;
    std::string archiveUrl;
    std::string saveDir;
    int intervalSeconds = 60;
    bool once = false;
    bool deleteAfter = false;
    bool json = false;
    std::string statusPath;
};

int WatchUsage(uint32_t reason)
{
    PrintError("brelmora-cli", Text(reason));
    return UsageError("watch");
}

int ParseWatchArgs(const std::vector<std::string>& args, SWatchArgs& w)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        if (a == "--port" || a == "--ip" || a == "--save-dir" || a == "--interval" || a == "--status") {
            if (!hasValue)
                return UsageError("watch");
            const std::string& value = args[++i];
            if (a == "--port") {
                w.ports.push_back(value);
            } else if (a == "--ip") {
                w.addresses.push_back(value);
            } else if (a == "--save-dir" || a == "--status") {
                std::string& target = a == "--save-dir" ? w.saveDir : w.statusPath;
                if (!target.empty())
                    return UsageError("watch");
                target = value;
            } else {
                const std::optional<uint32_t> n = ParseNumber(value);
                if (!n || *n < 1 || *n > 86400)
                    return WatchUsage(kWatchBadInterval);
                w.intervalSeconds = static_cast<int>(*n);
            }
        } else if (a == "--archive") {
            if (w.archive)
                return UsageError("watch");
            w.archive = true;
            // The URL is optional: a following word that is no option is it.
            if (hasValue && args[i + 1][0] != '-')
                w.archiveUrl = args[++i];
        } else if (a == "--scan") {
            w.scan = true;
        } else if (a == "--usb") {
            w.usb = true;
        } else if (a == "--once") {
            w.once = true;
        } else if (a == "--delete-after-archive") {
            w.deleteAfter = true;
        } else if (a == "--json") {
            w.json = true;
        } else {
            return BadArgument("watch", a,
                               {"--port", "--scan", "--ip", "--usb", "--archive", "--save-dir", "--interval", "--once",
                                "--delete-after-archive", "--json", "--status"});
        }
    }
    if (w.ports.empty() && w.addresses.empty() && !w.scan && !w.usb)
        return WatchUsage(kWatchNoPlace);
    if (!w.archive && w.saveDir.empty())
        return WatchUsage(kWatchNoStore);
    if (w.deleteAfter && !w.archive)
        return WatchUsage(kWatchDeleteNeedsArchive);
    return exitOk;
}

// The COM port whose device file the Ports key (or the default map) names
// as `path`, for a device that is not plugged in yet; 0 when none.
uint32_t ComPortNamingPath(const std::string& path)
{
    for (uint32_t n = 1; n <= StreamIO::kLastNamedComPort; ++n) {
        if (Platform::ComPortDevicePath(static_cast<int>(n)) == path ||
            Platform::DefaultComPortDevicePath(static_cast<int>(n)) == path)
            return n;
    }
    return 0;
}

// The targets the options name, without the USB ones (those come and go).
int BuildTargets(const SWatchArgs& w, std::vector<Collect::SCollectTarget>& targets)
{
    targets.clear();
    std::set<uint32_t> comPorts;
    for (const std::string& text : w.ports) {
        SPortChoice port;
        if (!text.empty() && text[0] == '/' && !Platform::StatPath(text).Exists()) {
            // A watch waits for a device that is unplugged now.
            if (const uint32_t n = ComPortNamingPath(text)) {
                Collect::SCollectTarget t = Collect::ComPortTarget(n, false);
                t.name = text + " (" + ComPortName(n) + ")";
                if (comPorts.insert(n).second)
                    targets.push_back(t);
                continue;
            }
        }
        if (const int rc = ResolvePort("watch", text, port))
            return rc;
        Collect::SCollectTarget t = Collect::LinkTarget(port.link);
        t.name = port.name;
        if (port.link.kind != StreamIO::ELinkKind::Serial || comPorts.insert(port.link.comPort).second)
            targets.push_back(t);
    }
    for (const std::string& address : w.addresses) {
        const std::optional<StreamIO::SLinkSpec> ip = StreamIO::ParseLink(Platform::FromUtf8("IP:" + address));
        if (!ip || ip->kind != StreamIO::ELinkKind::Ip) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kBadNumber).c_str(), "--ip", address.c_str()));
            return UsageError("watch");
        }
        targets.push_back(Collect::LinkTarget(*ip));
    }
    if (w.scan) {
        for (uint32_t n = 1; n <= StreamIO::kLastNamedComPort; ++n) {
            if (comPorts.count(n) != 0 || Platform::ComPortDevicePath(static_cast<int>(n)).empty())
                continue;
            comPorts.insert(n);
            targets.push_back(Collect::ComPortTarget(n, true));
        }
    }
    return exitOk;
}

// Adds a worker for every USB interface present that has none yet.
void AddUsbTargets(Collect::CCollector& collector, std::set<std::u16string>& known)
{
    std::vector<std::u16string> paths;
    StreamIO::EnumBulkDevices(paths);
    for (const std::u16string& path : paths) {
        if (known.insert(path).second)
            collector.Add(Collect::LinkTarget(StreamIO::SLinkSpec::Usb(path)));
    }
}

int CheckOutputs(const SWatchArgs& w)
{
    if (!w.saveDir.empty()) {
        const Platform::SFileStatus st = Platform::StatPath(w.saveDir);
        const int error = !st.Exists() ? (st.error != 0 ? st.error : ENOENT)
                          : st.type != Platform::EFileType::Folder ? ENOTDIR
                                                                   : Platform::MayWrite(w.saveDir, true);
        if (error != 0) {
            PrintError(w.saveDir, Platform::FormatU(Text(kWatchBadSaveDir).c_str(), std::strerror(error)));
            return exitCannotWrite;
        }
    }
    if (!w.statusPath.empty()) {
        if (const uint32_t error = COutputFiles::CheckCreatable(w.statusPath)) {
            PrintError(w.statusPath, Platform::FormatU(Text(kCannotWrite).c_str(), Platform::DescribeError(error)));
            return exitCannotWrite;
        }
    }
    return exitOk;
}

// One run of the collector over the targets the options give now; a
// SIGHUP ends it so the caller starts the next with the settings read again.
enum class ERunEnd { Stopped, Done, Reload };

struct SRun {
    std::unique_ptr<Collect::ICollectSink> sink;
    std::unique_ptr<Collect::CCollector> collector;
};

} // namespace

int WatchCommand(const std::vector<std::string>& args)
{
    SWatchArgs w;
    if (const int rc = ParseWatchArgs(args, w))
        return rc;
    if (const int rc = CheckDistinctFiles(std::string(), {w.statusPath, TracePath()}))
        return rc;
    if (const int rc = CheckOutputs(w))
        return rc;

    // The signals are taken through a descriptor; every thread started from
    // here on inherits the blocked mask, so none of them is interrupted.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    // Without the descriptor the signals keep their default action: they
    // end the process, which costs nothing that was not committed.
    if (signalFd < 0)
        ::pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);

    CWatchReporter reporter(w.json, w.statusPath);
    Collect::CDeviceNodeWatch nodes;
    // Runs that could not be ended in time are kept alive until the process
    // ends (their threads only wait on a line).
    std::vector<SRun> abandoned;
    bool reload = false;
    for (;;) {
        std::vector<Collect::SCollectTarget> targets;
        if (const int rc = BuildTargets(w, targets))
            return rc;
        SRun run;
        if (w.archive) {
            // The address given, else the "Archive" setting (read again
            // after a SIGHUP), else the default file.
            std::optional<std::u16string> given;
            if (!w.archiveUrl.empty())
                given = Platform::FromUtf8(w.archiveUrl);
            std::unique_ptr<Archive::CLabArchive> archive = OpenArchive(given, Archive::CLabArchive::EMode::Write);
            if (!archive)
                return exitArchive;
            run.sink = std::make_unique<Collect::CArchiveSink>(std::move(archive));
        }
        Collect::SCollectorOptions options;
        options.pass.sink = run.sink.get();
        options.pass.saveDir = w.saveDir;
        options.pass.deleteAfterArchive = w.deleteAfter;
        options.intervalMs = w.intervalSeconds * 1000;
        options.once = w.once;
        run.collector = std::make_unique<Collect::CCollector>(options, reporter);
        Collect::CCollector& collector = *run.collector;
        reporter.SetSnapshot([&collector] { return collector.Snapshot(); });

        nodes.Clear();
        nodes.Watch(Collect::DeviceNodePaths(StreamIO::kLastNamedComPort));
        std::set<std::u16string> usbKnown;
        for (const Collect::SCollectTarget& t : targets)
            collector.Add(t);
        if (w.usb)
            AddUsbTargets(collector, usbKnown);
        const size_t places = collector.TargetNames().size();
        reporter.Note(Platform::FormatU(Text(reload ? kWatchReloaded : kWatchStarted).c_str(), static_cast<int>(places)));
        reporter.WriteStatus();

        ERunEnd end = ERunEnd::Stopped;
        for (;;) {
            if (w.once && collector.AllDone()) {
                end = ERunEnd::Done;
                break;
            }
            pollfd fds[2] = {{signalFd, POLLIN, 0}, {nodes.Descriptor(), POLLIN, 0}};
            // USB interfaces are looked for once a second; --once checks
            // for its end as often.
            const int timeout = w.once ? 50 : w.usb ? 1000 : -1;
            const int ready = ::poll(fds, 2, timeout);
            if (ready < 0 && errno != EINTR)
                break;
            if (fds[1].revents & POLLIN) {
                for (const std::string& path : nodes.Take())
                    collector.WakeDevice(path);
            }
            if (w.usb)
                AddUsbTargets(collector, usbKnown);
            if (fds[0].revents & POLLIN) {
                signalfd_siginfo info {};
                bool stop = false, hup = false;
                while (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                    if (info.ssi_signo == SIGHUP)
                        hup = true;
                    else
                        stop = true;
                }
                if (stop) {
                    end = ERunEnd::Stopped;
                    break;
                }
                if (hup) {
                    end = ERunEnd::Reload;
                    break;
                }
            }
        }
        collector.RequestStop();
        const bool joined = collector.Finish(end == ERunEnd::Done ? 60000 : kStopGraceMs);
        reporter.WriteStatus();
        reporter.SetSnapshot(nullptr);
        if (!joined)
            abandoned.push_back(std::move(run));
        if (end == ERunEnd::Reload) {
            reload = true;
            continue;
        }
        if (end == ERunEnd::Stopped)
            reporter.Note(Text(kWatchStopped));
        const int rc = reporter.ArchiveFailed() ? exitArchive : reporter.SaveFailed() ? exitCannotWrite : exitOk;
        if (!abandoned.empty()) {
            // Threads still waiting on a line: end without destroying what
            // they use.
            std::fflush(stdout);
            std::fflush(stderr);
            ::_exit(rc);
        }
        return rc;
    }
}

} // namespace Cli
