// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeviceOutputFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/AtomicFile.h"
#include "data/OutputTarget.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "streamio/file/FileStream.h"

namespace Cli {

void COutputFiles::Add(const std::string& path, Writer write)
{
    m_entries.push_back({path, std::move(write)});
}

uint32_t COutputFiles::CheckCreatable(const std::string& path)
{
    return OutputTarget::Check(path);
}

bool COutputFiles::Commit(std::string& failedPath, uint32_t& error)
{
    error = Platform::ERROR_SUCCESS;
    // Write every file first; the targets are replaced only when all of
    // them were written (the pending files remove their temporaries when
    // they go out of scope uncommitted).
    std::vector<std::unique_ptr<AtomicFile::CPendingFile>> pending;
    try {
        for (const SEntry& e : m_entries) {
            failedPath = e.path;
            if (Platform::IsFolder(AtomicFile::ResolveTarget(e.path))) {
                error = Platform::ERROR_ACCESS_DENIED;
                return false;
            }
            pending.push_back(std::make_unique<AtomicFile::CPendingFile>(Platform::FromUtf8(e.path), e.write));
        }
        for (size_t i = 0; i < pending.size(); ++i) {
            failedPath = m_entries[i].path;
            pending[i]->Commit();
        }
    } catch (const Platform::CFileException& ex) {
        error = ex.GetOsError() != 0 ? ex.GetOsError() : Platform::ERROR_WRITE_FAULT;
        return false;
    }
    failedPath.clear();
    return true;
}

} // namespace Cli
