// SPDX-License-Identifier: GPL-3.0-or-later
// CConnectionWizard: the connection wizard without widgets.  It holds the
// sheet's state (the settings record, the device the sheet holds), the port
// page's state and the search result page's state; a front end shows its
// pages by binding widgets to it and calling the page methods on the page
// events (activation, control changes, Next, Finish, leaving).
//
// The search runs on the device thread.  Its notifications are handed to the
// front end's thread through the post function given at construction (a
// queued call in the desktop program, a CCallQueue in the command line and
// the tests), so every change of the result list happens on that thread.
// Notifications of a search that was left or restarted are dropped, and the
// devices they carry deleted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "connection/WizardSettings.h"
#include "device/DeviceThread.h"
#include "device/DeviceTypes.h"
#include "platform/Prompt.h"

namespace Device {
class CVnDevice;
}

// What the front end shows changed: the status lines, the result list, its
// selection, the information text or the buttons.  Called on the front
// end's thread.
class IConnectionWizardView {
public:
    virtual ~IConnectionWizardView() = default;
    virtual void OnWizardChanged() = 0;
};

// Which controls of the port page are enabled.  The drop-down of port kinds
// always is.
struct SPortControls {
    bool scanBox = false;          // "Find device automatically (Scan ports)"
    bool comPortField = false;     // "or enter COM port number:"
    bool ipField = false;          // "Device IP address:"
    bool stopAtFirstBox = false;   // "Stop search after first device has been found."
};

// The sheet's buttons as the current page offers them.
struct SWizardButtons {
    bool back = false;
    bool next = false;
    bool finish = false;
    bool finishEnabled = false;
};

class CConnectionWizard {
public:
    using Call = std::function<void()>;
    using PostFunction = std::function<void(Call)>;

    enum EPage { pageWelcome = 0, pageDeviceType = 1, pagePort = 2, pageResult = 3 };
    // The time leaving the result page waits for the search to stop.
    static constexpr int kAbortWaitMs = 8000;

    // Works on `settings` (the caller keeps it and stores it afterwards).
    // Start pages above 1 count as the port page.  Clears the device
    // thread's abort flag.
    CConnectionWizard(CConnWizardSettings& settings, IPrompt& prompt, PostFunction post, int startPage = pagePort);
    // Stops a running search (as leaving the result page does) and deletes
    // every device the wizard still holds.
    ~CConnectionWizard();

    CConnectionWizard(const CConnectionWizard&) = delete;
    CConnectionWizard& operator=(const CConnectionWizard&) = delete;

    void SetView(IConnectionWizardView* view) { m_view = view; }
    int GetStartPage() const { return m_startPage; }
    const CConnWizardSettings& GetSettings() const { return m_settings; }
    SWizardButtons GetButtons() const { return m_buttons; }

    // ---- port page ("Choose communication type") ----

    // Offers Back (unless the sheet started here) and Next, creates the
    // prototype of the selected type when the sheet holds no device, offers
    // the port kinds it supports and takes the page's values from the sheet.
    void ActivatePortPage();
    // The kinds of a supported-port mask, in the order USB, Ethernet, Serial.
    static std::vector<Device::NPorts> OfferedKinds(Device::NPorts mask);
    // "USB", "Ethernet", "Serial".
    static std::u16string KindText(Device::NPorts kind);
    const std::vector<Device::NPorts>& GetKinds() const { return m_kinds; }
    // -1 when no kind is offered.
    int GetKindIndex() const { return m_kindIndex; }
    void SelectKind(int index);
    Device::NPorts GetSelectedKind() const;
    bool GetScan() const { return m_scan; }
    void SetScan(bool on);
    bool GetStopAtFirst() const { return m_stopAtFirst; }
    void SetStopAtFirst(bool on) { m_stopAtFirst = on; }
    uint32_t GetComPort() const { return m_comPort; }
    void SetComPort(uint32_t port) { m_comPort = port; }
    const std::u16string& GetIpAddress() const { return m_ipAddress; }
    void SetIpAddress(const std::u16string& text) { m_ipAddress = text; }
    // The enabled controls for the selected kind and scan state.
    SPortControls GetPortControls() const { return PortControls(GetSelectedKind(), m_scan); }
    static SPortControls PortControls(Device::NPorts kind, bool scan);
    // Next: stores kind, IP text, port number, scan and stop-at-first into
    // the sheet's settings.
    void PortPageNext();

    // ---- result page ("Device search result and selection") ----

    // Offers Back and a disabled Finish, deletes the listed devices, clears
    // the list, the status lines and the information text, and posts the
    // start of the search (so the page is shown first).
    void ActivateResultPage();
    // The search parameters from the sheet.
    Device::SSearchParams BuildSearchParams() const;
    // Queues the search on the device thread (also Retry).
    void StartSearch();
    bool IsSearching() const { return m_searching; }
    // The status box, one line each.
    const std::vector<std::u16string>& GetStatusLines() const { return m_status; }
    std::u16string GetStatusText() const;
    size_t GetDeviceCount() const { return m_found.size(); }
    // The list entry: "Serial number: ...    @ COM3".
    const std::u16string& GetEntryText(size_t index) const { return m_found[index].text; }
    int GetSelection() const { return m_selection; }
    // Selecting an entry shows its information text and offers Finish.
    void SelectDevice(int index);
    bool IsListEnabled() const { return m_listEnabled; }
    const std::u16string& GetInfoText() const { return m_infoText; }
    // Leaving or cancelling the page: the search is aborted, waiting up to
    // kAbortWaitMs.
    void LeaveResultPage();
    // Finish: the prototype is deleted and the selected device moves from
    // the list to the sheet.  False when nothing is selected.
    bool Finish();

    // The device the sheet holds (the prototype, or the chosen device after
    // Finish); TakeDevice hands it over.
    Device::CVnDevice* GetHeldDevice() const { return m_held.get(); }
    std::unique_ptr<Device::CVnDevice> TakeDevice();

    // How leaving the result page waits for the search to stop: called with
    // kAbortWaitMs, it sets the device thread's abort flag and returns
    // whether the thread became idle in time.  Device::AbortJobs by default;
    // the desktop program waits in short slices and keeps its window painted
    // meanwhile.
    using AbortWait = std::function<bool(int timeoutMs)>;
    void SetAbortWait(AbortWait wait) { m_abortWait = std::move(wait); }

    // A COM port the scan leaves out (0: none; the sheet never sets one).
    void SetSkipComPort(uint32_t port) { m_skipComPort = port; }

private:
    class CReceiver;
    struct SAlive {
        CConnectionWizard* wizard;
    };
    struct SFound {
        std::unique_ptr<Device::CVnDevice> device;
        std::u16string text;
    };

    void EnsurePrototype();
    void Changed();
    // Handlers of the posted notifications (front end's thread).
    void OnDeviceFound(uint64_t search, std::unique_ptr<Device::CVnDevice> device);
    void OnStatusText(uint64_t search, const std::u16string& text);
    void OnJobFailed(uint64_t search, const std::u16string& text);
    void EndOfSearch();
    void StopSearches();
    void ClearList();

    CConnWizardSettings& m_settings;
    IPrompt& m_prompt;
    PostFunction m_post;
    int m_startPage;
    IConnectionWizardView* m_view = nullptr;
    std::unique_ptr<Device::CVnDevice> m_held;
    SWizardButtons m_buttons;
    uint32_t m_skipComPort = 0;
    AbortWait m_abortWait;

    // Port page.
    std::vector<Device::NPorts> m_kinds;
    int m_kindIndex = -1;
    bool m_scan = false;
    bool m_stopAtFirst = false;
    uint32_t m_comPort = 1;
    std::u16string m_ipAddress;

    // Result page.
    std::shared_ptr<SAlive> m_alive;
    std::vector<std::shared_ptr<CReceiver>> m_receivers;
    uint64_t m_search = 0;   // the search whose notifications count
    bool m_searching = false;
    uint64_t m_activation = 0;   // the result page's latest activation
    std::vector<std::u16string> m_status;
    std::vector<SFound> m_found;
    int m_selection = -1;
    bool m_listEnabled = false;
    std::u16string m_infoText;
};
