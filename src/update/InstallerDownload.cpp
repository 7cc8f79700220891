// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/InstallerDownload.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SignalCleanup.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/DownloadRateStrings.h"
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

// The temporary file's name: short, whatever the installer's name (a long
// name plus a suffix would pass the file system's limit), yet telling which
// installer and which process it belongs to:
// ".dl-<8 hex digits of the name>-<process id>-XXXXXX".
std::string TemporaryPrefix(const std::u16string& installer)
{
    uint32_t hash = 2166136261u;   // FNV-1a over the UTF-8 name
    for (const unsigned char c : Platform::ToUtf8(installer)) {
        hash ^= c;
        hash *= 16777619u;
    }
    return Platform::FormatA(".dl-%08x-", hash);
}

bool ProcessIsGone(const std::string& digits)
{
    char* end = nullptr;
    const long pid = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || end == nullptr || *end != '\0' || pid <= 0)
        return true;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Removes what downloads of the same installer left in `folder` when they
// were ended before they could clean up: temporaries of processes that are
// gone, and those of the long form "<installer>.download-XXXXXX".
void RemoveStaleTemporaries(const std::string& folder, const std::u16string& installer)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = TemporaryPrefix(installer);
    const std::string longForm = Platform::ToUtf8(installer) + ".download-";
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        bool stale = false;
        if (name.size() == longForm.size() + 6 && name.compare(0, longForm.size(), longForm) == 0) {
            stale = true;
        } else if (name.compare(0, prefix.size(), prefix) == 0 && name.size() > prefix.size() + 7 &&
                   name[name.size() - 7] == '-') {
            stale = ProcessIsGone(name.substr(prefix.size(), name.size() - 7 - prefix.size()));
        }
        if (!stale)
            continue;
        struct stat st {};
        const std::string path = folder + "/" + name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(dir);
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
    // An installer already there is replaced only when it may be written:
    // a read-only one is reported, never replaced or kept without a word.
    if (const Platform::SFileStatus existing = Platform::StatLink(path); existing.Exists()) {
        const bool folderThere = existing.type == Platform::EFileType::Folder;
        if (folderThere || (existing.type == Platform::EFileType::Regular && !existing.HasWriteBit())) {
            m_localErrno = folderThere ? EISDIR : EACCES;
            return false;
        }
        if (existing.type != Platform::EFileType::Regular) {
            m_localErrno = EINVAL;
            return false;
        }
    }
    RemoveStaleTemporaries(folder, m_choice.installer.name);
    std::string pattern = folder + "/" + TemporaryPrefix(m_choice.installer.name) +
                          std::to_string(static_cast<long>(::getpid())) + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        m_localErrno = errno;
        return false;
    }
    m_fd = fd;
    m_temp = name.data();
    // Ctrl-C or SIGTERM while the download runs must not leave it behind.
    Platform::RemoveOnSignal(m_temp);
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
    m_samples.clear();
    m_samples.push_back({Clock::now(), 0});
    return true;
}

void CInstallerDownload::TightenRateRule(const SRateRule& rule)
{
    const SRateRule standard;
    m_rule.minBytesPerSecond = std::max(rule.minBytesPerSecond, standard.minBytesPerSecond);
    m_rule.windowMs = std::clamp(rule.windowMs, 1, standard.windowMs);
}

bool CInstallerDownload::KeepsTheRate()
{
    const Clock::time_point now = Clock::now();
    const Clock::time_point windowStart = now - std::chrono::milliseconds(m_rule.windowMs);
    m_samples.push_back({now, m_downloaded});
    // The oldest sample kept is the newest one at or before the window's
    // start: the bytes the window began with.
    while (m_samples.size() >= 2 && m_samples[1].time <= windowStart)
        m_samples.pop_front();
    const SSample& first = m_samples.front();
    if (first.time > windowStart)
        return true;   // the first window has not ended yet
    const uint64_t needed = std::min<uint64_t>(
        static_cast<uint64_t>(m_rule.minBytesPerSecond) * static_cast<uint64_t>(m_rule.windowMs) / 10000,
        Size() > first.bytes ? Size() - first.bytes : 0);
    return m_downloaded - first.bytes >= needed;
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
    if ((r == CFtpFile::readPending || r == CFtpFile::readData) && !KeepsTheRate()) {
        const std::string minimum = std::to_string(m_rule.minBytesPerSecond / 10);
        const std::string seconds = Platform::FormatA("%g", m_rule.windowMs / 1000.0);
        return Fail(Platform::FormatU(Text(IDS_DOWNLOAD_TOO_SLOW).c_str(), name.c_str(), minimum.c_str(),
                                      seconds.c_str()));
    }
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
    Platform::ForgetOnSignal(m_temp);
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
        Platform::ForgetOnSignal(m_temp);
        m_temp.clear();
    }
}

void CInstallerDownload::Abort()
{
    m_remote.reset();
    RemoveTemporary();
}

} // namespace Update
