// SPDX-License-Identifier: GPL-3.0-or-later
// CKastelDevice: the device class of the Kastel instrument family (type 2,
// "Argentor"), the base of CVeltranoDevice.  Identification with the text
// command "@ID@", the information text, the version list, the ping and the
// long write for requests of 47 bytes or more.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device/VnDevice.h"

namespace Device {

class CKastelDevice : public CVnDevice {
public:
    CKastelDevice();

    std::unique_ptr<CVnDevice> CreateNew() const override;
    uint32_t GetBlockSize() const override;
    uint32_t GetChecksumMode() const override;
    bool Ping() override;
    // Sends "@ID@" and checks the six fields (type name, hardware revision,
    // serial number, signature, application version, bootloader version);
    // the signature's top byte must be the family code.
    bool Identify(SDeviceInfo& info) override;
    std::u16string GetInfoText() override;
    std::u16string GetSerialNumber() const override;
    bool GetVersionList(CContents& contents) override;
    int WriteDataBlock(uint8_t block, int length, uint8_t* buffer, uint32_t answerSize,
                       int timeoutMs = 1000) override;
    virtual void GetDetails(SDeviceDetails& details) const;                 // 49

    // Applies the ";;" rule and splits an "@ID@" answer; false when fewer
    // than six fields remain.  The fields come out in the order of
    // SDeviceDetails' identification: type name, hardware revision, serial
    // number, signature, application version, bootloader version.
    static bool ParseIdentification(const std::string& answer, SDeviceDetails& details);
    // Reads a signature as a hexadecimal 32-bit number.
    static bool ParseSignature(const std::u16string& text, uint32_t& value);

protected:
    SDeviceDetails m_details;
    std::u16string m_infoText;
};

} // namespace Device
