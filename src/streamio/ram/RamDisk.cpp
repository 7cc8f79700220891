// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/ram/RamDisk.h"

#include <new>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/StreamHooks.h"

namespace StreamIO {

CRamDisk::CRamDisk(const std::u16string& name)
    : m_name(name)
{
    const size_t colon = m_name.find(u':');
    if (colon == std::u16string::npos)
        m_name += u':';
    else if (colon + 1 != m_name.size())
        Platform::ThrowFileException(Platform::ERROR_INVALID_NAME, name);
}

CRamDisk::~CRamDisk()
{
    FreeAll();
}

uint32_t CRamDisk::OpenFile(const std::u16string& streamName, uint32_t flags, std::shared_ptr<CRamFile>& file)
{
    file.reset();
    if (!Platform::StartsWithNoCase(streamName, m_name))
        return Platform::ERROR_INVALID_NAME;
    const std::u16string fileName = streamName.substr(m_name.size());
    if (fileName.find(u':') != std::u16string::npos)
        return Platform::ERROR_INVALID_NAME;

    const bool reading = (flags & SF_READ) != 0;
    const bool writing = (flags & SF_WRITE) != 0;
    const uint32_t creation = flags & SF_CREATION_MASK;

    std::lock_guard<std::mutex> guard(m_lock);
    if (m_freed)
        return Platform::ERROR_NOT_READY;

    std::shared_ptr<CRamFile> found;
    const auto it = m_files.find(fileName);
    if (it != m_files.end()) {
        found = it->second;
        const uint32_t kept = found->GetFlags();
        if (creation == SF_CREATE_NEW)
            return Platform::ERROR_FILE_EXISTS;
        if (creation == SF_CREATE_ALWAYS) {
            if ((kept & SF_SHARE_WRITE) == 0)
                return Platform::ERROR_SHARING_VIOLATION;
            if (found->IsFifo())
                return Platform::ERROR_OPEN_FAILED;
        }
        if (!found->IsFifo() || found->HasShareFlags()) {
            if ((reading && (kept & SF_SHARE_READ) == 0) || (writing && (kept & SF_SHARE_WRITE) == 0))
                return Platform::ERROR_SHARING_VIOLATION;
            if (creation == SF_CREATE_ALWAYS)
                found->Free();
        } else {
            if ((reading && (kept & CRamFile::kReaderMark) != 0) ||
                (writing && (kept & CRamFile::kWriterMark) != 0))
                return Platform::ERROR_SHARING_VIOLATION;
        }
    } else {
        if (creation == SF_OPEN_EXISTING)
            return Platform::ERROR_FILE_NOT_FOUND;
        try {
            found = std::make_shared<CRamFile>(flags);
            m_files.emplace(fileName, found);
        } catch (const std::bad_alloc&) {
            return Platform::ERROR_OUTOFMEMORY;
        }
    }

    found->AddRef();
    if (found->IsFifo() && !found->HasShareFlags()) {
        uint32_t marks = 0;
        if (reading)
            marks |= CRamFile::kReaderMark;
        if (writing)
            marks |= CRamFile::kWriterMark;
        if (marks != 0)
            found->SetMarks(marks);
    }
    file = std::move(found);
    return 0;
}

void CRamDisk::ReleaseFile(const std::shared_ptr<CRamFile>& file, uint32_t flags)
{
    if (!file)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (file->ReleaseRef() == 0) {
        for (auto it = m_files.begin(); it != m_files.end(); ++it) {
            if (it->second == file) {
                m_files.erase(it);
                break;
            }
        }
        file->Free();
        return;
    }
    if (file->IsFifo() && !file->HasShareFlags()) {
        uint32_t marks = 0;
        if ((flags & SF_READ) != 0)
            marks |= CRamFile::kReaderMark;
        if ((flags & SF_WRITE) != 0)
            marks |= CRamFile::kWriterMark;
        if (marks != 0)
            file->ClearMarks(marks);
    }
}

void CRamDisk::FreeAll()
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& entry : m_files)
        entry.second->Detach();
    m_files.clear();
    m_freed = true;
}

size_t CRamDisk::GetFileCount()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_files.size();
}

bool CRamDisk::HasFile(const std::u16string& fileName)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_files.count(fileName) != 0;
}

// ---- the process disk ----

namespace {

struct ProcessDisk {
    std::mutex lock;
    std::shared_ptr<CRamDisk> disk;
};

ProcessDisk& Process()
{
    // Never destroyed, so streams destroyed after other statics are safe.
    static ProcessDisk* process = new ProcessDisk();
    return *process;
}

} // namespace

std::shared_ptr<CRamDisk> GetRamDisk()
{
    ProcessDisk& process = Process();
    std::lock_guard<std::mutex> guard(process.lock);
    return process.disk;
}

bool CreateRamDisk()
{
    ProcessDisk& process = Process();
    std::lock_guard<std::mutex> guard(process.lock);
    if (process.disk)
        return true;
    try {
        process.disk = std::make_shared<CRamDisk>(u"RAM:");
    } catch (...) {
        return false;
    }
    return true;
}

void FreeRamDisk()
{
    std::shared_ptr<CRamDisk> disk;
    {
        ProcessDisk& process = Process();
        std::lock_guard<std::mutex> guard(process.lock);
        disk.swap(process.disk);
    }
    if (disk)
        disk->FreeAll();
}

} // namespace StreamIO
