// SPDX-License-Identifier: GPL-3.0-or-later
// Scripted USB devices behind the transport interfaces of the USB streams:
// a bulk device with queued input, and a HID probe that plays the probe
// firmware's side of the feature-report handshake.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/usb/UsbTransport.h"

class CScriptedBulk : public StreamIO::IUsbBulkDevice {
public:
    bool HasReadPipe() const override { return readPipe; }
    bool HasWritePipe() const override { return writePipe; }
    uint32_t Transfer(bool write, void* data, uint32_t count, int timeoutMs, uint32_t& moved) override
    {
        ++transfers;
        moved = 0;
        if (write) {
            const uint8_t* p = static_cast<const uint8_t*>(data);
            written.append(reinterpret_cast<const char*>(p), count);
            moved = count;
            return 0;
        }
        if (input.empty())
            return Platform::ERROR_TIMEOUT;   // nothing came within the timeout
        const std::string chunk = input.front();
        input.pop_front();
        moved = static_cast<uint32_t>(std::min<size_t>(count, chunk.size()));
        std::memcpy(data, chunk.data(), moved);
        if (moved < chunk.size())
            input.push_front(chunk.substr(moved));
        return 0;
    }
    uint32_t Cancel() override { return 0; }
    uint32_t Flush() override { return 0; }
    uint32_t Close() override
    {
        closed = true;
        return 0;
    }

    bool readPipe = true;
    bool writePipe = true;
    std::deque<std::string> input;   // one chunk per transfer
    std::string written;
    int transfers = 0;
    bool closed = false;
};

// The probe: one feature report `R` shows its state.  Idle: acknowledge set,
// no length.  A message for the host: acknowledge and host bit clear, the
// length and payload set, the device's sequence number advanced; the host
// acknowledges it with a set-feature carrying the acknowledge bit.  A host
// message (host bit set, acknowledge clear) is taken at once: acknowledge is
// set, unless `busy`.  Input reports come from a queue.
class CScriptedProbe : public StreamIO::IHidDevice {
public:
    explicit CScriptedProbe(uint32_t featureLength = 8, uint32_t inputLength = 10)
        : m_feature(featureLength), m_input(inputLength), m_report(featureLength, 0)
    {
        m_report[1] = 0x01;
    }

    uint32_t FeatureLength() const override { return m_feature; }
    uint32_t InputLength() const override { return m_input; }

    uint32_t GetFeature(uint8_t* report, uint32_t length) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++getFeatures;
        std::copy(m_report.begin(), m_report.begin() + std::min<size_t>(length, m_report.size()), report);
        return 0;
    }

    uint32_t SetFeature(const uint8_t* report, uint32_t length) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++setFeatures;
        const bool ack = (report[1] & 0x01) != 0;
        const bool host = (report[1] & 0x02) != 0;
        if (host && !ack) {
            hostMessages.emplace_back(reinterpret_cast<const char*>(report + 3), report[2] & 0x3F);
            hostSequence = (report[1] >> 2) & 7;
            std::copy(report, report + length, m_report.begin());
            if (!busy)
                m_report[1] |= 0x01;
        } else if (ack && (m_report[1] & 0x01) == 0 && (m_report[2] & 0x3F) != 0) {
            // The host took the device's message.
            Show(NextMessage());
        } else {
            m_report[1] = static_cast<uint8_t>((m_report[1] & 0xE0) | (report[1] & 0x1F));
            m_report[2] = report[2];
        }
        return 0;
    }

    uint32_t ReadInput(uint8_t* report, uint32_t length, int) override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++inputReads;
        if (inputs.empty())
            return Platform::ERROR_TIMEOUT;
        const std::vector<uint8_t> r = inputs.front();
        inputs.pop_front();
        std::fill(report, report + length, 0);
        std::copy(r.begin(), r.begin() + std::min<size_t>(r.size(), length), report);
        return 0;
    }

    uint32_t Close() override
    {
        ++closes;
        return 0;
    }

    // Queues a message for the host; the first one shows at once.
    void Offer(const std::string& payload)
    {
        std::lock_guard<std::mutex> guard(lock);
        m_pending.push_back(payload);
        if ((m_report[1] & 0x01) != 0 && (m_report[2] & 0x3F) == 0)
            Show(NextMessage());
    }

    // Queues an input report with `sequence` and `payload` (at most 15 bytes).
    void Input(uint8_t sequence, const std::string& payload)
    {
        std::vector<uint8_t> r(m_input, 0);
        r[1] = static_cast<uint8_t>((sequence << 5) | (payload.size() & 0x0F));
        std::copy(payload.begin(), payload.end(), r.begin() + 2);
        std::lock_guard<std::mutex> guard(lock);
        inputs.push_back(r);
    }

    std::mutex lock;
    bool busy = false;
    std::vector<std::string> hostMessages;
    int hostSequence = 0;
    int getFeatures = 0;
    int setFeatures = 0;
    int inputReads = 0;
    int closes = 0;
    std::deque<std::vector<uint8_t>> inputs;

private:
    std::string NextMessage()
    {
        if (m_pending.empty())
            return std::string();
        const std::string m = m_pending.front();
        m_pending.pop_front();
        return m;
    }
    void Show(const std::string& payload)
    {
        std::fill(m_report.begin() + 2, m_report.end(), 0);
        if (payload.empty()) {
            m_report[1] = static_cast<uint8_t>((m_report[1] & 0xE0) | 0x01);   // idle
            return;
        }
        m_deviceSequence = (m_deviceSequence + 1) & 7;
        m_report[1] = static_cast<uint8_t>(m_deviceSequence << 5);
        m_report[2] = static_cast<uint8_t>(payload.size());
        std::copy(payload.begin(), payload.end(), m_report.begin() + 3);
    }

    uint32_t m_feature;
    uint32_t m_input;
    std::vector<uint8_t> m_report;
    std::deque<std::string> m_pending;
    int m_deviceSequence = 0;
};
