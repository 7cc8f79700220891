// SPDX-License-Identifier: GPL-3.0-or-later
#include "VeltranoSimulator.h"

#include <fcntl.h>
#include <unistd.h>

namespace Sim {

CVeltranoSimulator::CVeltranoSimulator(std::shared_ptr<CInstrument> instrument,
                                       SLineOptions options)
    : m_instrument(std::move(instrument)), m_options(std::move(options))
{
}

CVeltranoSimulator::~CVeltranoSimulator()
{
    Stop();
}

bool CVeltranoSimulator::Serve(int fd)
{
    return Start(fd, -1);
}

bool CVeltranoSimulator::Start(int fd, int drainFd)
{
    if (fd < 0 || !m_instrument)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();     // the previous service has ended by itself
    if (m_stop[0] < 0 && pipe2(m_stop, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_fd = fd;
    m_running = true;
    m_thread = std::thread(&CVeltranoSimulator::Run, this, fd, drainFd);
    return true;
}

std::string CVeltranoSimulator::ServePty(std::string* error)
{
    std::string message;
    if (IsRunning()) {
        message = "the simulator is already serving a line";
    } else {
        Join();
        ClosePty(m_pty);
        if (OpenRawPty(m_pty, message)) {
            const int master = m_pty.master;
            m_pty.master = -1;   // the service owns it from here
            if (Start(master, m_pty.slave))
                return m_pty.slavePath;
            close(master);
            message = "cannot start the service thread";
            ClosePty(m_pty);
        }
    }
    if (error)
        *error = message;
    return {};
}

void CVeltranoSimulator::Run(int fd, int drainFd)
{
    SLineOptions options = m_options;
    options.drainFd = drainFd;
    const EEndReason reason = ServeLine(fd, *m_instrument, options, m_stop[0]);
    close(fd);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (reason == EEndReason::HungUp) {
        // Hanging up a pseudo-terminal needs every master and slave copy of
        // ours closed; the program then reads end of line.
        if (m_pty.slave >= 0)
            close(m_pty.slave);
        m_pty.slave = -1;
    }
    m_fd = -1;
    m_reason = reason;
    m_running = false;
    m_ended.notify_all();
}

void CVeltranoSimulator::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CVeltranoSimulator::Stop()
{
    bool signalled = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_running && m_stop[1] >= 0) {
            const char b = 1;
            signalled = write(m_stop[1], &b, 1) == 1;
        }
    }
    Join();
    if (signalled) {
        char b;
        while (read(m_stop[0], &b, 1) == 1) {
        }
    }
    ClosePty(m_pty);
    for (int& fd : m_stop) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

bool CVeltranoSimulator::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

bool CVeltranoSimulator::WaitForEnd(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_ended.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_running; });
}

EEndReason CVeltranoSimulator::GetEndReason() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reason;
}

} // namespace Sim
