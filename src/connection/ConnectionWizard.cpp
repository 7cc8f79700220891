// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/ConnectionWizard.h"

#include <mutex>
#include <utility>

#include "connection/ConnectionStrings.h"
#include "connection/PortText.h"
#include "device/Callback.h"
#include "device/VnDevice.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/Transports.h"

using Platform::LoadString;

// The search job's CCallback.  It runs on the device thread and only posts:
// each notification becomes a call on the front end's thread that reaches
// the wizard while it exists and this search still counts.  Detached, it
// posts nothing (a device it is handed is deleted at once).
class CConnectionWizard::CReceiver : public Device::CCallback {
public:
    CReceiver(PostFunction post, std::weak_ptr<SAlive> alive, uint64_t search)
        : m_post(std::move(post)), m_alive(std::move(alive)), m_search(search)
    {
        progressEnabled = false;
    }

    void Detach()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_detached = true;
    }

    void OnDeviceFound(std::unique_ptr<Device::CVnDevice> device) override
    {
        // The holder deletes the device when the call is never run (or
        // cannot be posted).
        auto holder = std::make_shared<std::unique_ptr<Device::CVnDevice>>(std::move(device));
        Post([holder](CConnectionWizard& wizard, uint64_t search) { wizard.OnDeviceFound(search, std::move(*holder)); });
    }
    void OnStatusText(const std::u16string& text) override
    {
        Post([text](CConnectionWizard& wizard, uint64_t search) { wizard.OnStatusText(search, text); });
    }
    // A job ends this way only when it failed with an exception.
    void OnFinished(const std::u16string& text, uint32_t) override
    {
        Post([text](CConnectionWizard& wizard, uint64_t search) { wizard.OnJobFailed(search, text); });
    }
    void OnProgress(int, int, int) override {}

private:
    template <class Handler>
    void Post(Handler handler)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_detached)
            return;
        std::weak_ptr<SAlive> alive = m_alive;
        const uint64_t search = m_search;
        try {
            m_post([alive, search, handler]() mutable {
                if (std::shared_ptr<SAlive> target = alive.lock())
                    handler(*target->wizard, search);
            });
        } catch (...) {
            // Not posted: what it carried is freed with the handler.
        }
    }

    std::mutex m_lock;
    bool m_detached = false;
    PostFunction m_post;
    std::weak_ptr<SAlive> m_alive;
    uint64_t m_search;
};

namespace {

// Receivers of searches that did not stop in time: their job may still call
// them, so they live until the process ends.
void KeepForever(std::shared_ptr<Device::CCallback> receiver)
{
    static std::mutex lock;
    static auto* kept = new std::vector<std::shared_ptr<Device::CCallback>>;
    std::lock_guard<std::mutex> guard(lock);
    kept->push_back(std::move(receiver));
}

} // namespace

CConnectionWizard::CConnectionWizard(CConnWizardSettings& settings, IPrompt& prompt, PostFunction post, int startPage)
    : m_settings(settings), m_prompt(prompt), m_post(std::move(post)), m_startPage(startPage > 1 ? pagePort : startPage),
      m_alive(std::make_shared<SAlive>(SAlive{this}))
{
    Device::ClearAbort();
}

CConnectionWizard::~CConnectionWizard()
{
    StopSearches();
    m_alive.reset();
    ClearList();
}

void CConnectionWizard::Changed()
{
    if (m_view != nullptr)
        m_view->OnWizardChanged();
}

// ---- port page ----

void CConnectionWizard::EnsurePrototype()
{
    if (!m_held)
        m_held = Device::CreateDevice(m_settings.deviceType);
}

std::vector<Device::NPorts> CConnectionWizard::OfferedKinds(Device::NPorts mask)
{
    std::vector<Device::NPorts> kinds;
    for (const StreamIO::STransport* transport : StreamIO::Transports()) {
        const auto kind = static_cast<Device::NPorts>(transport->kind);
        if ((mask & kind) != 0)
            kinds.push_back(kind);
    }
    return kinds;
}

std::u16string CConnectionWizard::KindText(Device::NPorts kind)
{
    const StreamIO::STransport* transport = StreamIO::FindTransport(static_cast<StreamIO::ELinkKind>(kind));
    return transport != nullptr ? LoadString(transport->kindText) : std::u16string();
}

void CConnectionWizard::ActivatePortPage()
{
    m_buttons = SWizardButtons{};
    m_buttons.back = m_startPage != pagePort;
    m_buttons.next = true;
    EnsurePrototype();
    m_kinds = OfferedKinds(m_held ? m_held->GetSupportedPorts() : Device::PORT_NONE);
    m_kindIndex = m_kinds.empty() ? -1 : 0;
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        if (m_kinds[i] == m_settings.portKind)
            m_kindIndex = static_cast<int>(i);
    }
    m_scan = m_settings.scanAll;
    m_stopAtFirst = m_settings.stopAtFirst;
    m_comPort = m_settings.comPort;
    m_ipAddress = m_settings.ipAddress;
    Changed();
}

void CConnectionWizard::SelectKind(int index)
{
    if (index >= 0 && static_cast<size_t>(index) < m_kinds.size())
        m_kindIndex = index;
    Changed();
}

Device::NPorts CConnectionWizard::GetSelectedKind() const
{
    return m_kindIndex >= 0 ? m_kinds[static_cast<size_t>(m_kindIndex)] : Device::PORT_NONE;
}

void CConnectionWizard::SetScan(bool on)
{
    m_scan = on;
    Changed();
}

SPortControls CConnectionWizard::PortControls(Device::NPorts kind, bool scan)
{
    SPortControls c;
    const StreamIO::STransport* transport = StreamIO::FindTransport(static_cast<StreamIO::ELinkKind>(kind));
    const StreamIO::ELinkAddress address = transport != nullptr ? transport->address : StreamIO::ELinkAddress::None;
    if (address == StreamIO::ELinkAddress::ComNumber) {
        c.scanBox = true;
        c.comPortField = !scan;
        c.stopAtFirstBox = scan;
    } else if (address == StreamIO::ELinkAddress::Host) {
        c.ipField = true;
    }
    return c;
}

void CConnectionWizard::PortPageNext()
{
    m_settings.portKind = GetSelectedKind();
    m_settings.ipAddress = m_ipAddress;
    m_settings.comPort = m_comPort;
    m_settings.scanAll = m_scan;
    m_settings.stopAtFirst = m_stopAtFirst;
}

// ---- result page ----

void CConnectionWizard::ClearList()
{
    m_found.clear();
    m_selection = -1;
    m_listEnabled = false;
    m_infoText.clear();
}

void CConnectionWizard::ActivateResultPage()
{
    // Counted first: a start still queued from an earlier activation must
    // not run while the old search is being stopped (the wait may let queued
    // calls run).
    const uint64_t activation = ++m_activation;
    StopSearches();
    m_buttons = SWizardButtons{};
    m_buttons.back = true;
    m_buttons.finish = true;
    ClearList();
    m_status.clear();
    Changed();
    // Only the latest activation starts a search: a start still queued from
    // an earlier one would search in parallel, and a device it found would
    // hold the port the new search must open.
    std::weak_ptr<SAlive> alive = m_alive;
    m_post([alive, activation] {
        if (std::shared_ptr<SAlive> target = alive.lock(); target && target->wizard->m_activation == activation)
            target->wizard->StartSearch();
    });
}

Device::SSearchParams CConnectionWizard::BuildSearchParams() const
{
    Device::SSearchParams params;
    params.deviceType = m_held ? m_held->GetType() : m_settings.deviceType;
    params.portKind = m_settings.portKind;
    params.scanAllComPorts = m_settings.scanAll;
    params.stopAtFirstFound = m_settings.stopAtFirst;
    params.comPort = m_settings.comPort;
    params.skipComPort = m_skipComPort;
    params.ipAddress = m_settings.ipAddress;
    params.serialNumber.clear();
    params.reconnectTimeoutMs = 0;
    return params;
}

void CConnectionWizard::StartSearch()
{
    EnsurePrototype();
    const Device::SSearchParams params = BuildSearchParams();
    auto receiver = std::make_shared<CReceiver>(m_post, m_alive, ++m_search);
    m_receivers.push_back(receiver);
    m_searching = true;
    m_buttons.finishEnabled = false;
    Changed();
    // The previous search has ended or was aborted (and waited for); an abort
    // flag it left would make the thread skip this job.
    Device::ClearAbort();
    if (!Device::EnqueueJob(receiver.get(), &params))
        EndOfSearch();
}

void CConnectionWizard::StopSearches()
{
    if (m_receivers.empty())
        return;
    ++m_search;   // whatever the old searches still post is dropped
    m_searching = false;
    for (const auto& receiver : m_receivers)
        Device::RemoveJobs(receiver.get());
    const bool stopped = m_abortWait ? m_abortWait(kAbortWaitMs) : Device::AbortJobs(kAbortWaitMs);
    for (auto& receiver : m_receivers) {
        receiver->Detach();
        if (!stopped)
            KeepForever(std::move(receiver));
    }
    m_receivers.clear();
}

void CConnectionWizard::LeaveResultPage()
{
    ++m_activation;   // a start still queued must not search after the page is gone
    StopSearches();
    Changed();
}

void CConnectionWizard::OnStatusText(uint64_t search, const std::u16string& text)
{
    if (search != m_search)
        return;
    m_status.push_back(text);
    Changed();
}

void CConnectionWizard::OnJobFailed(uint64_t search, const std::u16string& text)
{
    if (search != m_search)
        return;
    // The job ended without its end notification: the search is over.
    m_status.push_back(text);
    EndOfSearch();
}

void CConnectionWizard::OnDeviceFound(uint64_t search, std::unique_ptr<Device::CVnDevice> device)
{
    if (search != m_search)
        return;
    if (!device) {
        EndOfSearch();
        return;
    }
    Device::SDeviceInfo info;
    if (device->IdentifyShort(info)) {
        SFound entry;
        // The list shows the address searched, as the user typed it.
        const StreamIO::SLinkSpec link = device->GetPortKind() == Device::PORT_ETHERNET
                                             ? StreamIO::SLinkSpec::Ip(Platform::ToUtf8(m_settings.ipAddress))
                                             : StreamIO::LinkOfStreamName(device->GetStreamName());
        entry.text = Connection::SearchEntryText(info.typeName, info.serialNumber, link);
        entry.device = std::move(device);
        m_found.push_back(std::move(entry));
        m_selection = static_cast<int>(m_found.size()) - 1;
    } else {
        m_status.push_back(LoadString(ConnectionStrings::kBadConnection));
    }
    Changed();
}

void CConnectionWizard::EndOfSearch()
{
    m_searching = false;
    if (!m_found.empty()) {
        m_status.push_back(LoadString(ConnectionStrings::kSearchFound));
        m_listEnabled = true;
        m_buttons.back = true;
        m_buttons.finish = true;
        m_buttons.finishEnabled = true;
        if (m_selection < 0)
            m_selection = 0;
        m_infoText = m_found[static_cast<size_t>(m_selection)].device->GetInfoText();
        Changed();
        return;
    }
    m_status.push_back(LoadString(ConnectionStrings::kSearchNothing));
    Changed();
    if (m_prompt.Ask(IPrompt::questionRetryCancel, LoadString(ConnectionStrings::kNoDeviceRetry)) ==
        IPrompt::answerRetry) {
        StartSearch();
        return;
    }
    m_buttons.back = true;
    Changed();
}

void CConnectionWizard::SelectDevice(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_found.size())
        return;
    m_selection = index;
    m_infoText = m_found[static_cast<size_t>(index)].device->GetInfoText();
    m_buttons.finish = true;
    m_buttons.finishEnabled = true;
    Changed();
}

bool CConnectionWizard::Finish()
{
    if (m_selection < 0 || static_cast<size_t>(m_selection) >= m_found.size())
        return false;
    StopSearches();
    m_held = std::move(m_found[static_cast<size_t>(m_selection)].device);
    m_found.erase(m_found.begin() + m_selection);
    ClearList();
    return true;
}

std::u16string CConnectionWizard::GetStatusText() const
{
    std::u16string text;
    for (const std::u16string& line : m_status) {
        if (!text.empty())
            text += u"\r\n";
        text += line;
    }
    return text;
}

std::unique_ptr<Device::CVnDevice> CConnectionWizard::TakeDevice()
{
    return std::move(m_held);
}
