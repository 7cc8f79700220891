// SPDX-License-Identifier: GPL-3.0-or-later
// Named manual-reset events in POSIX shared memory.
//
// The shared block holds the state, a generation word and a table of the
// processes that hold the event.  Waiting sleeps on the generation word
// with a futex, which every Set bumps.  A process-shared pthread condition
// variable is not used: with this C library, a waiter process killed in the
// middle of a wait leaves the condition variable's internal counts raised,
// and the next broadcast from another process then blocks forever.  The
// futex keeps no per-waiter state, so a killed process leaves nothing behind.
//
// Opening and closing run under an exclusive flock on the shared-memory
// object, which also serialises the first initialisation.
#include "platform/Events.h"

#include "platform/ErrorCodes.h"
#include "platform/Text.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr uint32_t kMagic = 0x42455631;   // layout version 1
constexpr int kMaxHolders = 128;
constexpr size_t kMaxShmName = 255;
constexpr int64_t kLongestTimeout = 0xFFFFFFFELL;

} // namespace

struct CNamedEvent::Block {
    uint32_t magic;
    uint32_t state;        // 1 set, 0 not set
    uint32_t generation;   // futex word, bumped by every Set that releases waiters
    uint32_t reserved;
    int32_t holders[kMaxHolders];   // pids of the processes holding the event, 0 = free
};

namespace {

using Block = CNamedEvent::Block;

void LockFd(int fd)
{
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void UnlockFd(int fd)
{
    ::flock(fd, LOCK_UN);
}

bool SameObject(int fd, const std::string& shmName)
{
    struct stat mine {};
    struct stat named {};
    if (::fstat(fd, &mine) != 0)
        return false;
    const int other = ::shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (other < 0)
        return false;
    const bool same = ::fstat(other, &named) == 0 && named.st_ino == mine.st_ino && named.st_dev == mine.st_dev;
    ::close(other);
    return same;
}

// Drops the entries of processes that have ended; true when a live holder remains.
bool PurgeHolders(Block* block)
{
    bool live = false;
    for (int32_t& pid : block->holders) {
        if (pid == 0)
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            pid = 0;
        else
            live = true;
    }
    return live;
}

void FutexWake(uint32_t* word)
{
    ::syscall(SYS_futex, word, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

// Sleeps while *word == expected, at most `timeout` (nullptr: no limit).
void FutexWait(uint32_t* word, uint32_t expected, const timespec* timeout)
{
    ::syscall(SYS_futex, word, FUTEX_WAIT, expected, timeout, nullptr, 0);
}

} // namespace

CNamedEvent::~CNamedEvent()
{
    Close();
}

std::string CNamedEvent::SharedMemoryName(std::u16string_view name)
{
    std::string out = "/brelmora." + std::to_string(::getuid()) + ".";
    for (char c : ToUtf8(name)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        out += plain ? c : '_';
    }
    return out;
}

uint32_t CNamedEvent::Create(std::u16string_view name, bool initialState)
{
    return Attach(name, true, initialState);
}

uint32_t CNamedEvent::Open(std::u16string_view name)
{
    return Attach(name, false, false);
}

uint32_t CNamedEvent::Attach(std::u16string_view name, bool create, bool initialState)
{
    Close();
    m_existed = false;
    const std::string shmName = SharedMemoryName(name);
    if (name.empty() || shmName.size() > kMaxShmName)
        return ERROR_INVALID_NAME;

    // A holder that closes the last handle unlinks the name; an object opened
    // just before that is no longer the named one, so try again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
        if (fd < 0)
            return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno);
        LockFd(fd);
        if (!SameObject(fd, shmName)) {
            UnlockFd(fd);
            ::close(fd);
            continue;
        }
        struct stat st {};
        const bool sized = ::fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(sizeof(Block));
        if (!sized && (!create || ::ftruncate(fd, sizeof(Block)) != 0)) {
            const int err = errno;
            UnlockFd(fd);
            ::close(fd);
            return create ? ErrorFromErrno(err) : ERROR_FILE_NOT_FOUND;
        }
        void* mem = ::mmap(nullptr, sizeof(Block), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mem == MAP_FAILED) {
            const int err = errno;
            UnlockFd(fd);
            ::close(fd);
            return ErrorFromErrno(err);
        }
        Block* block = static_cast<Block*>(mem);
        const bool live = block->magic == kMagic && PurgeHolders(block);
        if (!live) {
            // New, or left behind by processes that all ended: start afresh.
            if (!create) {
                UnlockFd(fd);
                ::munmap(mem, sizeof(Block));
                ::close(fd);
                return ERROR_FILE_NOT_FOUND;
            }
            block->state = initialState ? 1 : 0;
            for (int32_t& pid : block->holders)
                pid = 0;
            block->magic = kMagic;
        }
        m_slot = -1;
        for (int i = 0; i < kMaxHolders; ++i) {
            if (block->holders[i] == 0) {
                block->holders[i] = static_cast<int32_t>(::getpid());
                m_slot = i;
                break;
            }
        }
        UnlockFd(fd);
        m_block = block;
        m_fd = fd;
        m_existed = live;
        m_shmName = shmName;
        return ERROR_SUCCESS;
    }
    return ERROR_SHARING_VIOLATION;
}

void CNamedEvent::Close()
{
    if (m_block == nullptr)
        return;
    LockFd(m_fd);
    if (m_slot >= 0 && m_block->holders[m_slot] == static_cast<int32_t>(::getpid()))
        m_block->holders[m_slot] = 0;
    if (!PurgeHolders(m_block) && SameObject(m_fd, m_shmName))
        ::shm_unlink(m_shmName.c_str());
    UnlockFd(m_fd);
    ::munmap(m_block, sizeof(Block));
    ::close(m_fd);
    m_block = nullptr;
    m_fd = -1;
    m_slot = -1;
    m_shmName.clear();
}

bool CNamedEvent::Set()
{
    if (m_block == nullptr)
        return false;
    if (std::atomic_ref<uint32_t>(m_block->state).exchange(1) == 0) {
        std::atomic_ref<uint32_t>(m_block->generation).fetch_add(1);
        FutexWake(&m_block->generation);
    }
    return true;
}

bool CNamedEvent::Reset()
{
    if (m_block == nullptr)
        return false;
    std::atomic_ref<uint32_t>(m_block->state).store(0);
    return true;
}

bool CNamedEvent::IsSet() const
{
    return m_block != nullptr && std::atomic_ref<uint32_t>(m_block->state).load() != 0;
}

bool CNamedEvent::Wait(int64_t timeoutMs) const
{
    if (m_block == nullptr)
        return false;
    std::atomic_ref<uint32_t> generation(m_block->generation);
    std::atomic_ref<uint32_t> state(m_block->state);
    // Read the generation first: a Set after this point changes it.
    const uint32_t start = generation.load();
    const bool infinite = timeoutMs < 0 || timeoutMs > kLongestTimeout;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    while (true) {
        if (state.load() != 0 || generation.load() != start)
            return true;
        if (infinite) {
            FutexWait(&m_block->generation, start, nullptr);
            continue;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return false;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        FutexWait(&m_block->generation, start, &ts);
    }
}

} // namespace Platform
