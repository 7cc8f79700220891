// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/file/FileShareLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/types.h>

#include "platform/ErrorCodes.h"

namespace StreamIO {

namespace {

// Marker bytes: far beyond any file this program writes, and below the
// largest offset every Linux file system accepts for locks.
constexpr off_t kMarkBase = static_cast<off_t>(0x7FFFFFFF00000000LL);
enum Mark { kMarkReads = 0, kMarkWrites = 1, kMarkDeniesRead = 2, kMarkDeniesWrite = 3 };

#if defined(F_OFD_SETLK) && defined(F_OFD_GETLK)

struct flock MarkRange(short type, Mark mark)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kMarkBase + mark;
    fl.l_len = 1;
    fl.l_pid = 0;   // required for OFD locks
    return fl;
}

enum class Probe { Free, Held, Unsupported };

Probe HeldByOther(int fd, Mark mark)
{
    struct flock fl = MarkRange(F_WRLCK, mark);
    while (fcntl(fd, F_OFD_GETLK, &fl) != 0) {
        if (errno != EINTR)
            return Probe::Unsupported;
    }
    return fl.l_type == F_UNLCK ? Probe::Free : Probe::Held;
}

// Shared locks never conflict with each other, so setting a mark fails only
// on a write-only descriptor (EBADF) or where the file system has no such
// locks; the mark is then missing and the open less restricted.
void SetMark(int fd, Mark mark)
{
    struct flock fl = MarkRange(F_RDLCK, mark);
    while (fcntl(fd, F_OFD_SETLK, &fl) != 0 && errno == EINTR) {
    }
}

#endif

} // namespace

uint32_t AcquireShareMode(int fd, const ShareRequest& request)
{
#if defined(F_OFD_SETLK) && defined(F_OFD_GETLK)
    if (request.read)
        SetMark(fd, kMarkReads);
    if (request.write)
        SetMark(fd, kMarkWrites);
    if (!request.shareRead)
        SetMark(fd, kMarkDeniesRead);
    if (!request.shareWrite)
        SetMark(fd, kMarkDeniesWrite);

    struct Rule {
        bool applies;
        Mark conflicting;
    };
    const Rule rules[] = {
        {request.read, kMarkDeniesRead},
        {request.write, kMarkDeniesWrite},
        {!request.shareRead, kMarkReads},
        {!request.shareWrite, kMarkWrites},
    };
    for (const Rule& rule : rules) {
        if (!rule.applies)
            continue;
        const Probe probe = HeldByOther(fd, rule.conflicting);
        if (probe == Probe::Unsupported)
            return 0;   // no locks on this file system: opens are unrestricted
        if (probe == Probe::Held)
            return Platform::ERROR_SHARING_VIOLATION;
    }
#endif
    return 0;
}

} // namespace StreamIO
