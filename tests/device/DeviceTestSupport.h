// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the tests of the device classes: a device attached to a
// scripted stream, and a callback that records what it is told.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScriptStream.h"
#include "device/Callback.h"
#include "device/VnDevice.h"

template <typename Device_>
struct SAttached {
    std::unique_ptr<Device_> device = std::make_unique<Device_>();
    CScriptStream* stream = nullptr;

    SAttached()
    {
        auto script = std::make_unique<CScriptStream>();
        stream = script.get();
        std::unique_ptr<StreamIO::CIoStream> owned = std::move(script);
        device->Attach(owned, Device::PORT_SERIAL);
    }
    // The instrument acknowledges DLE and answers one text command.
    void TextAnswer(const std::string& line)
    {
        stream->Reply(std::vector<uint8_t>{0x06});
        stream->Reply(line);
    }
};

class CRecordingCallback : public Device::CCallback {
public:
    void OnDeviceFound(std::unique_ptr<Device::CVnDevice> device) override
    {
        std::lock_guard<std::mutex> guard(lock);
        if (device)
            found.push_back(std::move(device));
        else
            ++ends;
    }
    void OnStatusText(const std::u16string& text) override
    {
        std::lock_guard<std::mutex> guard(lock);
        status.push_back(text);
    }
    void OnFinished(const std::u16string& text, uint32_t code) override
    {
        std::lock_guard<std::mutex> guard(lock);
        finished.push_back(text);
    }
    void OnProgress(int position, int phase, int expectedMs) override
    {
        std::lock_guard<std::mutex> guard(lock);
        progress.push_back(position);
    }

    std::mutex lock;
    std::vector<std::unique_ptr<Device::CVnDevice>> found;
    int ends = 0;
    std::vector<std::u16string> status;
    std::vector<std::u16string> finished;
    std::vector<int> progress;
};
