// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated Veltrano on a TCP port (the instrument's Ethernet port,
// 3728): connections are served one after another, all on one instrument.
// Every fault shows as on a serial line; the hang-up fault ends the
// connection with a reset.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Instrument.h"
#include "LineServer.h"
#include "streamio/LinkSpec.h"

namespace Sim {

constexpr uint16_t DEFAULT_TCP_PORT = StreamIO::kInstrumentTcpPort;

class CTcpSimulator {
public:
    explicit CTcpSimulator(std::shared_ptr<CInstrument> instrument, SLineOptions options = {});
    ~CTcpSimulator();

    CTcpSimulator(const CTcpSimulator&) = delete;
    CTcpSimulator& operator=(const CTcpSimulator&) = delete;

    // Listens on `address` (numeric IPv4 or IPv6, such as any address of
    // 127.0.0.0/8; loopback by default) and
    // `port` (0 picks a free one) and starts accepting on a thread.
    bool Start(const std::string& address, uint16_t port, std::string& error);
    // The port actually listened on.
    uint16_t GetPort() const { return m_port; }
    // Stops accepting, ends the connection being served and waits.
    void Stop();

private:
    void Run();

    std::shared_ptr<CInstrument> m_instrument;
    SLineOptions m_options;
    int m_listen = -1;
    int m_stop[2] = {-1, -1};
    uint16_t m_port = 0;
    std::thread m_thread;
};

} // namespace Sim
