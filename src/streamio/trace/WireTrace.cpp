#include "streamio/trace/WireTrace.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
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

uint32_t OpenTraceFile(const std::u16string& path)
{
    const std::string file = Platform::ToUtf8(path);
    if (file.empty() || file.find('\0') != std::string::npos)
        return Platform::ERROR_INVALID_NAME;
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Platform::ErrorFromErrno(errno);
    STraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.fd >= 0)
        ::close(state.fd);
    state.fd = fd;
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
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
}

} // namespace StreamIO
