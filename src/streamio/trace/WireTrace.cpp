// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/trace/WireTrace.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/trace/TraceStream.h"

namespace StreamIO {

namespace {

enum : uint32_t {
    IDS_TRACE_CANNOT_WRITE = 41000,
};

struct STraceState {
    std::mutex lock;
    int fd = -1;
    uint32_t writeError = 0;   // the first write that failed since the file was opened
    std::once_flag environment;
    uint32_t environmentError = 0;
    std::u16string environmentPath;
};

STraceState& State()
{
    // Never destroyed: streams may write their last lines during exit.
    static STraceState* state = new STraceState();
    return *state;
}

// Set while a file is open; the factory's test when the trace is off.
std::atomic<bool> g_on{false};

void AppendHex(std::string& line, const uint8_t* data, uint32_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    line.reserve(line.size() + static_cast<size_t>(count) * 3);
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0)
            line += ' ';
        line += digits[data[i] >> 4];
        line += digits[data[i] & 0x0F];
    }
}

uint32_t OpenTraceFile(const std::u16string& path);

void ReadEnvironment()
{
    STraceState& state = State();
    const char* value = std::getenv(kTraceVariable);
    if (value == nullptr || *value == '\0')
        return;
    state.environmentPath = Platform::FromUtf8(value);
    state.environmentError = OpenTraceFile(state.environmentPath);
}

// The trace is an output like any other: a regular file, new or appended
// to, never a device or a pipe (opened without blocking, so a FIFO cannot
// hold the program), never a file without a write bit, never through a
// link to nothing.
uint32_t CheckTraceTarget(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return Platform::ERROR_ACCESS_DENIED;
    if (!S_ISREG(st.st_mode))
        return Platform::ERROR_BAD_FILE_TYPE;
    if ((st.st_mode & 0222) == 0)
        return Platform::ERROR_ACCESS_DENIED;
    return 0;
}

uint32_t OpenTraceFile(const std::u16string& path)
{
    const std::string file = Platform::ToUtf8(path);
    if (file.empty() || file.find('\0') != std::string::npos)
        return Platform::ERROR_INVALID_NAME;
    struct stat st;
    if (::lstat(file.c_str(), &st) == 0) {
        if (::stat(file.c_str(), &st) != 0)
            return errno == ENOENT || errno == ELOOP ? Platform::ERROR_CANT_RESOLVE_FILENAME
                                                     : Platform::ErrorFromErrno(errno);
        if (const uint32_t error = CheckTraceTarget(st))
            return error;
    }
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Platform::ErrorFromErrno(errno);
    // What was opened, in case the name changed in between.
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return Platform::ErrorFromErrno(error);
    }
    if (const uint32_t error = CheckTraceTarget(st)) {
        ::close(fd);
        return error;
    }
    ::fcntl(fd, F_SETFL, O_APPEND);
    STraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.fd >= 0)
        ::close(state.fd);
    state.fd = fd;
    state.writeError = 0;
    g_on.store(true, std::memory_order_release);
    return 0;
}

} // namespace

uint32_t StartWireTrace(const std::u16string& path)
{
    // A trace chosen by the program wins over the environment's, which is
    // then never read.
    std::call_once(State().environment, [] {});
    return OpenTraceFile(path);
}

uint32_t StartWireTraceFromEnvironment(std::u16string* path)
{
    STraceState& state = State();
    std::call_once(state.environment, ReadEnvironment);
    if (path != nullptr)
        *path = state.environmentPath;
    return state.environmentError;
}

void StopWireTrace()
{
    STraceState& state = State();
    // An explicit stop also settles the environment: it is not read later.
    std::call_once(state.environment, [] {});
    std::lock_guard<std::mutex> guard(state.lock);
    g_on.store(false, std::memory_order_release);
    if (state.fd >= 0)
        ::close(state.fd);
    state.fd = -1;
}

bool IsWireTraceOn()
{
    if (g_on.load(std::memory_order_acquire))
        return true;
    StartWireTraceFromEnvironment();
    return g_on.load(std::memory_order_acquire);
}

uint32_t WireTraceWriteError()
{
    STraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.writeError;
}

std::u16string DescribeTraceError(const std::u16string& path, uint32_t error)
{
    return Platform::FormatU(Platform::LoadString(IDS_TRACE_CANNOT_WRITE).c_str(), Platform::ToUtf8(path).c_str(),
                             Platform::DescribeError(error));
}

std::unique_ptr<CIoStream> WrapForTrace(std::unique_ptr<CIoStream> stream)
{
    return std::make_unique<CTraceStream>(std::move(stream));
}

void TraceTransfer(const std::u16string& name, bool write, const void* data, uint32_t count, uint32_t error)
{
    if (!g_on.load(std::memory_order_acquire))
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::string line = Platform::FormatA("%lld.%06ld\t", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
    line += Platform::ToUtf8(name);
    line += write ? "\twrite\t" : "\tread\t";
    line += std::to_string(count);
    line += '\t';
    AppendHex(line, static_cast<const uint8_t*>(data), data != nullptr ? count : 0);
    line += '\t';
    line += std::to_string(error);
    line += '\n';

    STraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.fd < 0)
        return;
    // One write per line (O_APPEND), so lines of two threads never mix; a
    // trace that cannot be written must not disturb the transfer.
    size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(state.fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Kept for the end of the command: a trace that lost lines
            // must not look complete.
            if (state.writeError == 0)
                state.writeError = n < 0 ? Platform::ErrorFromErrno(errno) : Platform::ERROR_WRITE_FAULT;
            break;
        }
        done += static_cast<size_t>(n);
    }
}

} // namespace StreamIO
