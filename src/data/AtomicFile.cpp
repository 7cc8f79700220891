// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "data/ProjectPaths.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/SignalCleanup.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "streamio/file/TempFileStream.h"

namespace AtomicFile {

namespace {

// The file a save of `path` replaces.  A symbolic link is followed so that
// it stays a link to the new file; one that leads nowhere or in a circle
// is an error naming it.
std::string StrictTarget(const std::string& path, const std::u16string& shown)
{
    if (!Platform::IsSymbolicLink(path))
        return path;
    std::string resolved = Platform::ResolveLinks(path);
    if (resolved.empty())
        Platform::ThrowFileException(Platform::ERROR_CANT_RESOLVE_FILENAME, shown);
    return resolved;
}

// Only a regular file is replaced: a device, pipe or socket would be
// swapped for a plain file (or, written in place, never hold a project); a
// folder cannot be replaced; a file without any write bit is read-only.
// Returns the replaced file's mode (0666 for a new file).
mode_t CheckTarget(const std::string& target, const std::u16string& shown)
{
    const Platform::SFileStatus st = Platform::StatPath(target);
    if (!st.Exists())
        return 0666;
    if (st.type == Platform::EFileType::Folder)
        Platform::ThrowFileException(Platform::ERROR_ACCESS_DENIED, shown);
    if (st.type != Platform::EFileType::Regular)
        Platform::ThrowFileException(Platform::ERROR_BAD_FILE_TYPE, shown);
    if (!st.HasWriteBit())
        Platform::ThrowFileException(Platform::ERROR_ACCESS_DENIED, shown);
    return static_cast<mode_t>(st.mode);
}

} // namespace

std::string ResolveTarget(const std::string& path)
{
    return Platform::FollowLink(path);
}

CPendingFile::CPendingFile(const std::u16string& path, const Writer& writeContent) : m_path(path)
{
    m_target = StrictTarget(Platform::ToUtf8(ProjectPaths::StreamPath(path)), m_path);
    const mode_t mode = CheckTarget(m_target, m_path);
    const std::string folder = Platform::FolderOf(m_target);
    StreamIO::CTempFileStream::RemoveStale(folder);

    uint32_t error = Platform::ERROR_SUCCESS;
    try {
        m_stream = std::make_unique<StreamIO::CTempFileStream>(folder, mode == 0666 ? 0666 : 0600, m_path);
        // Without unnamed files the file has its hidden name from the start:
        // not left by Ctrl-C or SIGTERM either.
        m_temp = m_stream->HiddenName();
        if (!m_temp.empty())
            Platform::RemoveOnSignal(m_temp);
        writeContent(*m_stream);
        // The new file keeps the permissions of the one it replaces.
        if (mode != 0666)
            m_stream->SetMode(mode);
        m_stream->Sync();
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_WRITE_FAULT;
    } catch (const std::bad_alloc&) {
        error = Platform::ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception&) {
        error = Platform::ERROR_WRITE_FAULT;
    }
    if (error != Platform::ERROR_SUCCESS) {
        Discard();
        Platform::ThrowFileException(error, m_path);
    }
}

void CPendingFile::Discard()
{
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        Platform::ForgetOnSignal(m_temp);
        m_temp.clear();
    }
    m_stream.reset();   // an unnamed file vanishes with its descriptor
}

CPendingFile::~CPendingFile()
{
    Discard();
}

void CPendingFile::Commit()
{
    if (!m_stream)
        Platform::ThrowFileException(Platform::ERROR_INVALID_HANDLE, m_path);
    uint32_t error = Platform::ERROR_SUCCESS;
    try {
        // The hidden name is given only now, right before the rename, so the
        // window in which a kill could leave it is as short as can be.
        const bool wasNamed = !m_temp.empty();
        m_temp = m_stream->Publish();
        if (!wasNamed)
            Platform::RemoveOnSignal(m_temp);
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_WRITE_FAULT;
    }
    if (error == Platform::ERROR_SUCCESS && std::rename(m_temp.c_str(), m_target.c_str()) != 0)
        error = Platform::ErrorFromErrno(errno);
    if (error != Platform::ERROR_SUCCESS) {
        Discard();
        Platform::ThrowFileException(error, m_path);
    }
    Platform::ForgetOnSignal(m_temp);
    m_temp.clear();
    m_stream.reset();
    Platform::SyncFolderOf(m_target);
}

void Write(const std::u16string& path, const Writer& writeContent)
{
    CPendingFile file(path, writeContent);
    file.Commit();
}

void WriteBytes(const std::u16string& path, const uint8_t* data, size_t size)
{
    Write(path, [data, size](StreamIO::CIoStream& stream) {
        size_t done = 0;
        while (done < size) {
            const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(size - done, 1u << 20));
            const uint32_t n = stream.Write(data + done, chunk);
            if (n == 0)
                Platform::ThrowFileException(stream.GetError() ? stream.GetError() : 29, stream.GetName());
            done += n;
        }
    });
}

} // namespace AtomicFile
