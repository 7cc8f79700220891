// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/PaperConnection.h"

#include <algorithm>

#include "connection/ConnectionStrings.h"
#include "connection/DownloadStrings.h"
#include "connection/WizardSettings.h"
#include "data/PaperDoc.h"
#include "device/Callback.h"
#include "device/DeviceStrings.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using Platform::LoadString;

// Marks a transfer in progress for the duration of a command.
class CPaperConnection::CBusy {
public:
    explicit CBusy(CPaperConnection& owner) : m_owner(owner) { m_owner.m_busy = true; }
    ~CBusy() { m_owner.m_busy = false; }

private:
    CPaperConnection& m_owner;
};

// The progress receiver set on the device for the series read: the bytes
// received move the progress window (never below its starting 5 %), and the
// front end may cancel.
class CPaperConnection::CProgressReceiver : public Device::CCallback {
public:
    static constexpr int kStartPercent = 5;

    explicit CProgressReceiver(IConnectionUi& ui) : m_ui(ui) {}

    void OnDeviceFound(std::unique_ptr<Device::CVnDevice>) override {}
    void OnStatusText(const std::u16string&) override {}
    void OnFinished(const std::u16string&, uint32_t) override {}
    void OnProgress(int, int, int) override {}
    void OnTransferProgress(uint32_t received, uint32_t total) override
    {
        received_ = received;
        total_ = total;
        const int percent = total == 0 ? 0 : static_cast<int>(static_cast<uint64_t>(received) * 100 / total);
        m_ui.SetProgress(std::max(kStartPercent, percent), received, total);
    }
    bool IsCancelRequested() override { return m_ui.IsCancelRequested(); }

    uint32_t received_ = 0;
    uint32_t total_ = 0;

private:
    IConnectionUi& m_ui;
};

CPaperConnection::CPaperConnection(IConnectionUi& ui) : m_ui(ui), m_wizardKey(CConnWizardSettings::DefaultKey()) {}

CPaperConnection::~CPaperConnection()
{
    Disconnect();
}

void CPaperConnection::SetReminderContext(IFirmwareReport* context, uint32_t value1, uint32_t value2)
{
    m_reminderContext = context;
    m_reminderValue1 = value1;
    m_reminderValue2 = value2;
}

void CPaperConnection::SetKeepAlive(bool running)
{
    if (running == m_keepAliveRunning)
        return;
    m_keepAliveRunning = running;
    m_ui.SetKeepAliveTimer(running);
}

bool CPaperConnection::Connect(bool keep)
{
    if (m_busy)
        return m_device != nullptr;
    CBusy busy(*this);
    return ConnectNow(keep);
}

bool CPaperConnection::ConnectNow(bool keep)
{
    if (!keep && m_device && !CheckAlive())
        Disconnect();
    if (m_device)
        return true;

    CConnWizardSettings settings;
    if (!m_wizardKey.empty())
        settings.Load(m_wizardKey);
    settings.deviceType = Device::TYPE_VELTRANO;
    settings.express = false;
    SWizardStart start;
    start.caption = LoadString(ConnectionStrings::kWizardCaption);
    std::unique_ptr<Device::CVnDevice> found = m_ui.RunConnectionWizard(settings, start);
    if (!m_wizardKey.empty()) {
        const Device::NTypes held = found ? found->GetType() : settings.deviceType;
        settings.Store(m_wizardKey, &held);
    }
    // This program talks to the Veltrano only; anything else is let go.
    if (auto* veltrano = dynamic_cast<Device::CVeltranoDevice*>(found.get())) {
        found.release();
        m_device.reset(veltrano);
        StartReminder();
    }
    return m_device != nullptr;
}

void CPaperConnection::StartReminder()
{
    if (!m_reminder && m_reminderFactory)
        m_reminder = m_reminderFactory(m_reminderContext);
    if (m_reminder)
        m_reminder->StartFirmwareCheck(*m_device, m_reminderValue1, m_reminderValue2);
}

bool CPaperConnection::CheckAlive()
{
    return Device::CheckAlive(m_device);
}

bool CPaperConnection::Disconnect()
{
    const bool answered = Device::Disconnect(m_device);
    m_reminder.reset();
    SetKeepAlive(false);
    return answered;
}

void CPaperConnection::OnKeepAliveTimer()
{
    if (m_busy)
        return;
    CBusy busy(*this);
    if (!CheckAlive())
        SetKeepAlive(false);
}

SDownloadReport CPaperConnection::DownloadSeries(CPaperDoc& doc)
{
    SDownloadReport report;
    if (m_busy) {
        report.result = EDownloadResult::Busy;
        return report;
    }
    CBusy busy(*this);

    // The document empties itself, asking to save a changed project first.
    if (!doc.CloseProject()) {
        report.result = EDownloadResult::DocumentKept;
        m_ui.Redraw();
        return report;
    }
    if (!ConnectNow(false)) {
        report.result = EDownloadResult::NotConnected;
        m_ui.Redraw();
        return report;
    }

    // The information block; anything but 128 bytes ends the command
    // silently, still connected.
    Device::SPaperDownload download;
    if (!Device::ReadDownloadInfo(*m_device, download)) {
        report.result = EDownloadResult::NoInfoBlock;
        report.failure = download.failure;
        report.instrumentError = download.instrumentError;
        report.streamError = download.streamError;
        return report;
    }
    doc.StoreDownloadedInfo(download.infoBlock.data(), download.infoBlock.size());
    Device::SetDownloadClock(*m_device, download);

    CProgressReceiver progress(m_ui);
    m_ui.ShowProgress();
    m_ui.SetProgress(CProgressReceiver::kStartPercent, 0, 0);
    m_ui.Redraw();
    Device::ReadDownloadSeries(m_device, download, &progress);
    m_ui.SetProgress(100, progress.received_, progress.total_);
    m_ui.Redraw();
    m_ui.HideProgress();

    report.failure = download.failure;
    report.instrumentError = download.instrumentError;
    report.streamError = download.streamError;
    switch (download.result) {
    case Device::ETransferResult::NoSeries:
        report.result = EDownloadResult::NoSeries;
        m_ui.ShowMessage(IPrompt::messageWarning, Device::DescribeDownload(download));
        m_ui.Redraw();
        return report;
    case Device::ETransferResult::CannotTransfer:
        report.result = EDownloadResult::CannotTransfer;
        m_ui.ShowMessage(IPrompt::messageWarning, Device::DescribeDownload(download));
        doc.TakeChangeMark();
        Disconnect();
        return report;
    case Device::ETransferResult::Ok:
        report.result = EDownloadResult::Ok;
        report.parsedWhole = doc.StoreDownloadedSeries(download.series.data(), download.series.size());
        // The document keeps what the parse kept (and stays marked as
        // changed), but a stream that did not parse whole is no complete
        // download: a short answer carries no checksum, so its shape is all
        // that shows damage.
        if (!report.parsedWhole)
            m_ui.ShowMessage(IPrompt::messageWarning,
                             Platform::FormatU(LoadString(DownloadStrings::kDownloadIncomplete).c_str(),
                                               doc.GetCurrent().GetCount()));
        SetKeepAlive(true);
        m_ui.Redraw();
        return report;
    default:
        // The read failed or was cancelled: the device is gone already;
        // nothing is shown.
        report.result = download.failure == Device::ELinkFailure::Cancelled ? EDownloadResult::Cancelled
                                                                             : EDownloadResult::CommFailure;
        Disconnect();
        return report;
    }
}

EDownloadVerdict JudgeDownload(const SDownloadReport& report, int seriesRead, bool acceptDamaged)
{
    if (report.result != EDownloadResult::Ok)
        return EDownloadVerdict::Failed;
    if (report.parsedWhole)
        return EDownloadVerdict::Save;
    if (seriesRead <= 0)
        return EDownloadVerdict::NothingRead;
    return acceptDamaged ? EDownloadVerdict::SaveDamaged : EDownloadVerdict::NotWhole;
}

EDeleteResult CPaperConnection::DeleteAllSeries()
{
    if (m_busy)
        return EDeleteResult::Busy;
    CBusy busy(*this);
    if (!ConnectNow(false)) {
        m_ui.ShowMessage(IPrompt::messageWarning, LoadString(ConnectionStrings::kDeleteNotConnected));
        return EDeleteResult::NotConnected;
    }
    if (m_ui.Ask(IPrompt::questionYesNoCancel, LoadString(ConnectionStrings::kDeleteConfirm)) != IPrompt::answerYes)
        return EDeleteResult::NotConfirmed;
    if (Device::DeleteAllSeries(*m_device)) {
        m_ui.ShowMessage(IPrompt::messageInformation, LoadString(Device::IDS_DELETE_SUCCEEDED));
        return EDeleteResult::Deleted;
    }
    m_ui.ShowMessage(IPrompt::messageError, LoadString(Device::IDS_DELETE_FAILED));
    return EDeleteResult::Failed;
}
