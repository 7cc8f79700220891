// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/FirmwareCheck.h"

#include <exception>

#include "connection/PackageName.h"
#include "device/VnDevice.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/UpdateStrings.h"

CFirmwareCheck::CFirmwareCheck(IFirmwareReport* report)
    : CFirmwareCheck(report, Update::SProgramIdentity::OfThisProgram(), Update::CurrentUpdateServer())
{
}

CFirmwareCheck::CFirmwareCheck(IFirmwareReport* report, Update::SProgramIdentity program, Update::SFtpServer server)
    : m_report(report), m_program(std::move(program)), m_link(std::move(server))
{
    // A failed check never shows the FTP error: it only counts.
    m_link.SetShowErrors(false);
}

CFirmwareCheck::~CFirmwareCheck()
{
    Stop();
}

void CFirmwareCheck::Stop()
{
    m_link.Cancel();
    if (m_thread.joinable())
        m_thread.join();
    m_link.ResetCancel();
}

std::u16string CFirmwareCheck::GetFolder() const
{
    return u"./VnUpgrade/" + m_subFolder + u"/";
}

bool CFirmwareCheck::ReadDevice(Device::CVnDevice& device)
{
    Device::SDeviceInfo info;
    if (!device.Identify(info))
        return false;
    Device::CContents installed;
    if (!device.GetVersionList(installed))
        return false;
    // Without its hardware id the instrument's folder is unknown; a check of
    // a wrong folder would only count as a failure.
    const int64_t hardwareId = device.GetHardwareId();
    if (hardwareId < 0)
        return false;
    m_info = info;
    m_installed = installed;
    if (m_keyPath.empty())
        m_keyPath = Connection::FirmwareSettingsKey(m_program.productName);
    m_hardwareId = static_cast<uint32_t>(hardwareId);
    m_subFolder = Platform::Format("%08x", m_hardwareId);
    return true;
}

bool CFirmwareCheck::StartFirmwareCheck(Device::CVnDevice& device, uint32_t firmwareMessageId, uint32_t osMessageId)
{
    Stop();
    m_firmwareMessageId = firmwareMessageId;
    m_osMessageId = osMessageId;
    if (!ReadDevice(device))
        return false;
    try {
        m_thread = std::thread([this] {
            try {
                RunCheck();
            } catch (const std::exception&) {
                // The check's thread ends quietly.
            }
        });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void CFirmwareCheck::Post(uint32_t messageId, const CVersion& version)
{
    if (messageId != 0 && m_report != nullptr && !m_link.IsCancelled())
        m_report->OnVersionFound(messageId, version.GetValue());
}

SFirmwareCheckResult CFirmwareCheck::RunCheck()
{
    SFirmwareCheckResult result;
    const bool connected = m_link.ConnectUpdateFolder(GetFolder(), Update::kUpdateUser, Update::kUpdatePassword);
    if (m_link.IsCancelled()) {
        // Cancelled: neither a success nor a failure to count.
        result.errorText = m_link.GetErrorText();
        m_link.Close();
        return result;
    }
    result.counters = Connection::SFirmwareCounters::Read(m_keyPath);
    // A server without a folder for this hardware was reached all the same:
    // nothing is published for it, which is no reason for the reminder.
    result.reachedServer = connected || m_link.IsFolderMissing();
    if (!result.reachedServer) {
        result.errorText = m_link.GetErrorText();
        result.reminderDue = result.counters.Failed();
        result.counters.Write(m_keyPath);
        if (result.reminderDue) {
            result.reminderText =
                Platform::FormatU(Platform::LoadString(Update::IDS_FIRMWARE_REMINDER).c_str(),
                                  Platform::ToUtf8(m_info.typeName).c_str());
            if (m_report != nullptr)
                m_report->OnReminder(result.reminderText);
        }
        return result;
    }
    result.counters.Succeeded();
    result.counters.Write(m_keyPath);
    if (!connected) {
        result.folderMissing = true;
        result.listed = true;
    } else {
        result.listed = true;
        for (const Device::SContentEntry& entry : m_installed.Entries()) {
            if (entry.kind != Connection::PACKAGE_KIND_FIRMWARE && entry.kind != Connection::PACKAGE_KIND_OS)
                continue;
            std::vector<Update::SFtpEntry> packages;
            if (!m_link.ListFolder(u"*.lod", packages)) {
                result.listed = false;
                result.errorText = m_link.GetErrorText();
                break;
            }
            CVersion& newest = entry.kind == Connection::PACKAGE_KIND_OS ? result.newestOs : result.newestFirmware;
            // The highest version above the installed one, wherever the
            // listing puts it.
            for (const Update::SFtpEntry& package : packages) {
                const CVersion v = Connection::PackageVersion(package.name, entry.kind);
                if (v.IsValid() && v > entry.version && v > newest)
                    newest = v;
            }
        }
    }
    m_link.Close();
    if (!result.listed)
        return result;
    Post(m_osMessageId, result.newestOs);
    Post(m_firmwareMessageId, result.newestFirmware);
    return result;
}

FirmwareReminderFactory MakeFirmwareCheckFactory()
{
    return [](IFirmwareReport* report) -> std::unique_ptr<IFirmwareReminder> {
        return std::make_unique<CFirmwareCheck>(report);
    };
}
