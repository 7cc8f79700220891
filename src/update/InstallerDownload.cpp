#include "update/InstallerDownload.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/UpdateStrings.h"

namespace Update {

namespace {

std::string Cause(int err)
{
    return std::strerror(err);
}

std::u16string Text(uint32_t id)
{
    return Platform::LoadString(id);
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

CInstallerDownload::CInstallerDownload(CFtpLink& link, SInstallerChoice choice) : m_link(link), m_choice(std::move(choice))
{
}

CInstallerDownload::~CInstallerDownload()
{
    Abort();
}

size_t CInstallerDownload::ChunkSize() const
{
    return std::max<size_t>(static_cast<size_t>(Size() / 10000), kMinChunk);
}

int CInstallerDownload::Percent() const
{
    if (Size() == 0)
        return m_finished ? 100 : 0;
    return static_cast<int>(m_downloaded * 100 / Size());
}

std::u16string CInstallerDownload::AmountText() const
{
    const std::string mb = Platform::FormatA("%0.2f", static_cast<double>(m_downloaded) / 1048576.0);
    return Platform::FormatU(Text(IDS_MB_DOWNLOADED).c_str(), mb.c_str());
}

bool CInstallerDownload::CreateLocal(const std::u16string& target)
{
    RemoveTemporary();
    m_localErrno = 0;
    m_target = target;
    const std::string path = Platform::ToUtf8(target);
    const std::string folder = Platform::FolderOf(path);
    m_localErrno = Platform::FolderWriteProblem(folder);
    if (m_localErrno != 0)
        return false;
    std::string name;
    const int fd = Platform::CreateTemporaryFile(path + ".download-", name);
    if (fd < 0) {
        m_localErrno = errno;
        return false;
    }
    m_fd = fd;
    m_temp = name;
    return true;
}

bool CInstallerDownload::Open()
{
    m_errorText.clear();
    if (m_fd < 0) {
        Fail(Platform::FormatU(Text(IDS_LOCAL_WRITE_FAILED).c_str(), Platform::ToUtf8(m_target).c_str(),
                               Cause(m_localErrno != 0 ? m_localErrno : EBADF).c_str()));
        return false;
    }
    if (m_choice.hasChecksum) {
        std::string content;
        if (!m_link.ReadSmallFile(m_choice.checksum, kMaxChecksumFile, content)) {
            Fail(m_link.GetErrorText());
            return false;
        }
        m_expectedHash = ParseSha256File(content);
        if (m_expectedHash.empty()) {
            Fail(Platform::FormatU(Text(IDS_CHECKSUM_UNREADABLE).c_str(), Platform::ToUtf8(m_choice.checksum.name).c_str()));
            return false;
        }
    }
    m_remote = m_link.OpenFile(m_choice.installer);
    if (!m_remote) {
        Fail(m_link.GetErrorText());
        return false;
    }
    m_buffer.resize(ChunkSize());
    m_downloaded = 0;
    return true;
}

CInstallerDownload::EStep CInstallerDownload::Step(int waitMs)
{
    if (m_finished)
        return stepComplete;
    if (!m_remote || m_fd < 0)
        return stepFailed;
    size_t got = 0;
    const CFtpFile::EResult r = m_remote->Read(m_buffer.data(), m_buffer.size(), waitMs, got);
    const std::string name = Platform::ToUtf8(m_choice.installer.name);
    switch (r) {
    case CFtpFile::readPending:
        return stepRunning;
    case CFtpFile::readData:
        if (m_downloaded + got > Size())
            return Fail(Platform::FormatU(Text(IDS_DOWNLOAD_LONG).c_str(), name.c_str(),
                                          std::to_string(Size()).c_str()));
        if (!WriteAll(m_fd, m_buffer.data(), got))
            return Fail(Platform::FormatU(Text(IDS_LOCAL_WRITE_FAILED).c_str(), Platform::ToUtf8(m_target).c_str(),
                                          Cause(errno).c_str()));
        m_hash.Add(m_buffer.data(), got);
        m_downloaded += got;
        return stepRunning;
    case CFtpFile::readEnd:
        if (m_downloaded != Size())
            return Fail(Platform::FormatU(Text(IDS_DOWNLOAD_SHORT).c_str(), name.c_str(),
                                          std::to_string(m_downloaded).c_str(), std::to_string(Size()).c_str()));
        return Complete();
    case CFtpFile::readFailed:
    default:
        if (m_link.IsCancelled())
            return Fail(Text(IDS_DOWNLOAD_CANCELLED));
        // Cut off before the end: how much came, then what the link saw.
        return Fail(Platform::FormatU(Text(IDS_DOWNLOAD_SHORT).c_str(), name.c_str(),
                                      std::to_string(m_downloaded).c_str(), std::to_string(Size()).c_str()) +
                    u"\n" + m_link.GetErrorText());
    }
}

CInstallerDownload::EStep CInstallerDownload::Complete()
{
    m_remote.reset();
    const std::string name = Platform::ToUtf8(m_choice.installer.name);
    if (!m_expectedHash.empty()) {
        if (m_hash.FinishHex() != m_expectedHash)
            return Fail(Platform::FormatU(Text(IDS_CHECKSUM_MISMATCH).c_str(), name.c_str()));
        m_verified = true;
    }
    // The installer gets the permissions a new file of this user gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const std::string target = Platform::ToUtf8(m_target);
    if (::fchmod(m_fd, 0666 & ~mask) != 0 || ::fsync(m_fd) != 0) {
        const int err = errno;
        return Fail(Platform::FormatU(Text(IDS_LOCAL_COMMIT_FAILED).c_str(), target.c_str(), Cause(err).c_str()));
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(m_temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        return Fail(Platform::FormatU(Text(IDS_LOCAL_COMMIT_FAILED).c_str(), target.c_str(), Cause(err).c_str()));
    }
    m_temp.clear();
    // Makes the rename durable (best effort).
    Platform::SyncFolderOf(target);
    m_finished = true;
    return stepComplete;
}

CInstallerDownload::EStep CInstallerDownload::Fail(const std::u16string& detail)
{
    m_errorText = Text(IDS_DOWNLOAD_ERROR);
    if (!detail.empty())
        m_errorText += u"\n" + detail;
    Abort();
    return stepFailed;
}

void CInstallerDownload::RemoveTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

void CInstallerDownload::Abort()
{
    m_remote.reset();
    RemoveTemporary();
}

} // namespace Update
