// SPDX-License-Identifier: GPL-3.0-or-later
// CVnDevice: the base of every instrument class.  A device object owns the
// stream it is attached to and a CVnCommands object speaking the wire
// protocol over it; it reports to a CCallback it does not own.
//
// The virtual operations keep the slot order of the device interface (see the
// numbers in the comments).  Firmware programming (slots 41 to 48) is not
// part of this program: those slots refuse with a clear last error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/DeviceTypes.h"
#include "streamio/serial/SerialSettings.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

class CCallback;
class CContents;
class CVnCommands;

class CVnDevice {
public:
    CVnDevice();
    virtual ~CVnDevice();                                                   // 0

    CVnDevice(const CVnDevice&) = delete;
    CVnDevice& operator=(const CVnDevice&) = delete;

    virtual std::unique_ptr<CVnDevice> CreateNew() const = 0;               // 1
    virtual std::u16string GetErrorText(uint32_t code) const;               // 2
    // Takes the stream (leaving `stream` null) when it returns true; on
    // refusal `stream` stays with the caller.  Refused when a stream is
    // attached, the kind is not 1, 2 or 4, or the stream is not open.
    virtual bool Attach(std::unique_ptr<StreamIO::CIoStream>& stream, NPorts portKind); // 3
    virtual std::unique_ptr<StreamIO::CIoStream> Detach();                  // 4
    virtual StreamIO::CIoStream* GetStream() const;                         // 5
    virtual std::u16string GetStreamName() const;                           // 6
    virtual NPorts GetPortKind() const;                                     // 7
    virtual bool AttachPackage(StreamIO::CIoStream* package);               // 8
    virtual StreamIO::CIoStream* DetachPackage();                           // 9
    virtual bool SetCallback(CCallback* callback);                          // 10
    virtual CCallback* DetachCallback();                                    // 11
    virtual uint32_t GetBlockSize() const;                                  // 12
    virtual uint32_t GetChecksumMode() const;                               // 13
    virtual const StreamIO::SerialSettings& GetSerialSettings() const;      // 14
    virtual bool RemoteLogin();                                             // 15
    virtual void ResetLastError();                                          // 16
    virtual bool SetRemoteMode(bool on, int ms);                            // 17
    virtual bool SendControl12();                                           // 18
    virtual bool ListDirectory(uint16_t directory, std::string& listing);   // 19
    virtual bool LoadFile(const std::u16string& path, std::vector<uint8_t>& data); // 20
    virtual bool SaveFile(const std::u16string& path, const std::vector<uint8_t>& data); // 21
    // Saves the whole content of `source` (read from its start).
    virtual bool SaveFileAlt(const std::u16string& path, StreamIO::CIoStream* source); // 22
    virtual bool MoveFile(const std::u16string& from, const std::u16string& to); // 23
    virtual bool DeleteFile(const std::u16string& path);                    // 24
    virtual bool Ping();                                                    // 25
    virtual bool Identify(SDeviceInfo& info) = 0;                           // 26
    virtual std::u16string GetInfoText() = 0;                               // 27
    virtual std::u16string GetSerialNumber() const = 0;                     // 28
    virtual bool GetVersionList(CContents& contents) = 0;                   // 29
    virtual bool IdentifyShort(SDeviceInfo& info);                          // 30
    virtual int64_t GetHardwareId();                                        // 31
    virtual int ReadPacketInfo(std::vector<uint8_t>& packet);               // 32
    virtual bool TextCommand(const std::string& command, std::string& answer, size_t answerSize,
                             int timeoutMs = 1000);                         // 33
    virtual int ReadDataBlock(uint8_t block, uint8_t* buffer, int requestLength, uint32_t& outCount,
                              uint32_t bufferSize, int timeoutMs = 2000, int totalMs = 0); // 34
    virtual void SetUserFlag(uint8_t flag);                                 // 35
    virtual uint8_t GetUserFlag() const;                                    // 36
    virtual int WriteDataBlock(uint8_t block, int length, uint8_t* buffer, uint32_t answerSize,
                               int timeoutMs = 1000);                       // 37
    virtual bool Query38() const;                                           // 38 (false here)
    virtual bool Query39() const;                                           // 39 (true here)
    virtual bool PrepareReconnect(StreamIO::CIoStream* stream, NPorts portKind, int& waitMs); // 40
    // 41..48: firmware programming steps; refused in this program.
    virtual bool ProgramEnter();                                            // 41
    virtual bool ProgramCheckPackage();                                     // 42
    virtual bool ProgramSendHeader();                                       // 43
    virtual bool ProgramErase();                                            // 44
    virtual bool ProgramWriteImage();                                       // 45
    virtual bool ProgramVerify();                                           // 46
    virtual bool ProgramLeave();                                            // 47
    virtual bool ProgramAbort();                                            // 48

    // Non-virtual accessors.
    NTypes GetType() const { return m_type; }
    // The display name of the type (from the string table).
    std::u16string GetTypeName() const;
    NPorts GetSupportedPorts() const { return m_supportedPorts; }
    uint32_t GetFamilyCode() const { return m_familyCode; }
    CCallback* GetCallback() const { return m_callback; }
    const SLastError& GetLastError() const { return m_lastError; }
    CVnCommands* GetCommands() const { return m_commands.get(); }
    void SetStatusText(const std::u16string& text) { m_statusText = text; }
    const std::u16string& GetStatusText() const { return m_statusText; }

    // Forwards to the callback when one is set and its progress is enabled.
    void ReportProgress(int position, int phase, int expectedMs);

    // The abort hook of the device's commands: a stop or abort of the device
    // thread (on that thread), or the callback asking to cancel.
    static bool AbortHook(void* device);

protected:
    void SetLastError(uint32_t messageId, uint32_t code, uint32_t value = 0);
    bool RefuseProgramming();
    // True when a stream is attached and open and a commands object exists.
    bool IsReady() const;

    StreamIO::CIoStream* m_package = nullptr;
    std::unique_ptr<StreamIO::CIoStream> m_stream;
    NPorts m_portKind = PORT_NONE;
    CCallback* m_callback = nullptr;
    StreamIO::SerialSettings m_serial;
    std::unique_ptr<CVnCommands> m_commands;
    SLastError m_lastError;
    bool m_programHeaderSent = false;
    uint8_t m_userFlag = 0;
    std::u16string m_statusText;
    NTypes m_type = 0;
    NPorts m_supportedPorts = PORT_SERIAL;
    uint32_t m_familyCode = 0;
};

// The device class for an instrument type; null for types whose classes are
// not part of this program (11, 12, 15, above 17, and the other families).
std::unique_ptr<CVnDevice> CreateDevice(NTypes type);

// The display name of a type; empty for types without one here.
std::u16string GetTypeName(NTypes type);

} // namespace Device
