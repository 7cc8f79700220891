// brelmora-cli search [--port N | --scan [--skip N]] [--stop-first]: runs the
// device search on the device thread, prints its status lines as they come
// and, at the end, every Veltrano found as the search result lists it.
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "DevicePortText.h"
#include "DeviceSession.h"
#include "device/Callback.h"
#include "device/DeviceThread.h"
#include "device/DeviceTypes.h"
#include "device/VnDevice.h"
#include "platform/Text.h"

namespace Cli {

namespace {

// Takes the search's notifications on the device thread and hands them to
// the command's thread in order.
class CSearchInbox : public Device::CCallback {
public:
    struct SEvent {
        bool isDevice = false;
        std::unique_ptr<Device::CVnDevice> device;   // null with isDevice: the end
        std::u16string text;
        bool failed = false;                         // the job ended with an error
    };

    void OnDeviceFound(std::unique_ptr<Device::CVnDevice> device) override
    {
        SEvent e;
        e.isDevice = true;
        e.device = std::move(device);
        Push(std::move(e));
    }
    void OnStatusText(const std::u16string& text) override
    {
        SEvent e;
        e.text = text;
        Push(std::move(e));
    }
    // Only a job that failed ends this way; the search then reports no end.
    void OnFinished(const std::u16string& text, uint32_t) override
    {
        SEvent e;
        e.failed = true;
        e.text = text;
        Push(std::move(e));
    }
    void OnProgress(int, int, int) override {}

    SEvent Take()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_events.empty(); });
        SEvent e = std::move(m_events.front());
        m_events.pop_front();
        return e;
    }

private:
    void Push(SEvent e)
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_events.push_back(std::move(e));
        }
        m_ready.notify_one();
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<SEvent> m_events;
};

void PrintLine(const std::u16string& text)
{
    std::printf("%s\n", Platform::ToUtf8(text).c_str());
    std::fflush(stdout);
}

bool ParseSearchArgs(const std::vector<std::string>& args, Device::SSearchParams& params)
{
    bool portGiven = false, scanGiven = false, skipGiven = false;
    params.scanAllComPorts = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--port" || a == "--skip") && i + 1 < args.size()) {
            bool& given = a == "--port" ? portGiven : skipGiven;
            if (given)
                return false;
            given = true;
            const std::optional<uint32_t> port = ParseComPort(args[++i]);
            if (!port) {
                PrintError("brelmora-cli", Platform::FormatU(Text(kBadPort).c_str(), args[i].c_str()));
                return false;
            }
            (a == "--port" ? params.comPort : params.skipComPort) = *port;
        } else if (a == "--scan" && !scanGiven) {
            scanGiven = true;
        } else if (a == "--stop-first" && !params.stopAtFirstFound) {
            params.stopAtFirstFound = true;
        } else {
            return false;
        }
    }
    if (portGiven && (scanGiven || skipGiven))
        return false;
    params.scanAllComPorts = !portGiven;
    return true;
}

} // namespace

int SearchCommand(const std::vector<std::string>& args)
{
    Device::SSearchParams params;
    params.deviceType = Device::TYPE_VELTRANO;
    params.portKind = Device::PORT_SERIAL;
    if (!ParseSearchArgs(args, params))
        return UsageError("search");

    CSearchInbox inbox;
    Device::ClearAbort();
    if (!Device::StartDeviceThread() || !Device::EnqueueJob(&inbox, &params)) {
        Device::StopDeviceThread();
        return exitNoInstrument;
    }
    std::vector<std::u16string> list;
    std::vector<std::unique_ptr<Device::CVnDevice>> found;
    for (;;) {
        CSearchInbox::SEvent e = inbox.Take();
        if (e.failed) {
            PrintError("brelmora-cli", e.text);
            break;
        }
        if (!e.isDevice) {
            PrintLine(e.text);
            continue;
        }
        if (!e.device)
            break;
        // As the result page does: the instrument must answer the short
        // identification to be listed.
        Device::SDeviceInfo info;
        if (e.device->IdentifyShort(info)) {
            list.push_back(SearchListLine(info.typeName, info.serialNumber, e.device->GetStreamName()));
            found.push_back(std::move(e.device));
        } else {
            PrintLine(Text(kSearchBadConnection));
        }
    }
    Device::StopDeviceThread();
    found.clear();

    if (list.empty()) {
        PrintLine(Text(kSearchNothing));
        return exitNoInstrument;
    }
    PrintLine(Text(kSearchFound));
    for (const std::u16string& line : list)
        PrintLine(line);
    return exitOk;
}

} // namespace Cli
