// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateCheck.h"

#include <exception>

namespace Update {

bool ConnectForUpdate(CFtpLink& link, const SProgramIdentity& program)
{
    if (link.IsConnected() && link.StillAnswers())
        return true;
    return link.ConnectUpdateFolder(UpdateFolderOf(program.productName), kUpdateUser, kUpdatePassword);
}

bool SearchInstaller(CFtpLink& link, const SProgramIdentity& program, SInstallerChoice& choice)
{
    choice = SInstallerChoice();
    std::vector<SFtpEntry> listing;
    if (!link.ListFolder(u"*", listing))
        return false;
    choice = SelectInstaller(listing, program.version);
    return true;
}

CUpdateCheck::CUpdateCheck(SProgramIdentity program, SFtpServer server)
    : m_program(std::move(program)), m_link(std::move(server))
{
    m_link.SetShowErrors(false);
}

CUpdateCheck::~CUpdateCheck()
{
    Stop();
}

bool CUpdateCheck::Start(uint32_t messageId, Report report)
{
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_link.ResetCancel();
    m_running = true;
    try {
        m_thread = std::thread([this, messageId, report = std::move(report)] { Run(messageId, report); });
    } catch (const std::exception&) {
        m_running = false;
        return false;
    }
    return true;
}

void CUpdateCheck::Stop()
{
    m_link.Cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void CUpdateCheck::Run(uint32_t messageId, Report report)
{
    try {
        SInstallerChoice choice;
        if (ConnectForUpdate(m_link, m_program) && SearchInstaller(m_link, m_program, choice)) {
            m_link.Close();
            if (report && !m_link.IsCancelled())
                report(messageId, choice.found ? choice.version.GetValue() : 0);
        }
        m_link.Close();
    } catch (const std::exception&) {
        // A failed background check is silent.
    }
    m_running = false;
}

} // namespace Update
