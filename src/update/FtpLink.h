// SPDX-License-Identifier: GPL-3.0-or-later
// CFtpLink: the link to the download server over FTP (libcurl, passive
// mode).  It logs in, changes to an update folder, lists it and reads files
// from it.  Every wait has a time-out and ends early when Cancel is called
// from any thread, so no caller ever has to kill a thread that hangs on an
// unreachable server.
//
//   CFtpLink link;                          // the configured server
//   if (link.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", user, password)) {
//       std::vector<SFtpEntry> files;
//       link.ListFolder(u"*", files);
//   }
//
// Failures leave a text in GetErrorText (and, with show-errors on, show it
// through the prompt as an error).  Only Cancel may be called while another
// thread uses the link.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "update/FtpListing.h"
#include "update/UpdateServer.h"

class IPrompt;

namespace Update {

struct SFtpTimeouts {
    int connectMs = 15000;    // the TCP connection
    int responseMs = 30000;   // each answer of the server
    int stallMs = 30000;      // a transfer without a byte
};

// WinINet's numbers for the failures, which the error texts show.
enum : uint32_t {
    FTP_ERROR_TIMEOUT = 12002,
    FTP_ERROR_INTERNAL = 12004,
    FTP_ERROR_INVALID_URL = 12005,
    FTP_ERROR_NAME_NOT_RESOLVED = 12007,
    FTP_ERROR_LOGIN_REFUSED = 12014,
    FTP_ERROR_CANCELLED = 12017,
    FTP_ERROR_CANNOT_CONNECT = 12029,
    FTP_ERROR_CONNECTION_ABORTED = 12030,
    FTP_ERROR_EXTENDED = 12003,
    FTP_ERROR_BAD_RESPONSE = 12152,
};

class CFtpFile;
struct SCurlHandles;

class CFtpLink {
public:
    explicit CFtpLink(SFtpServer server = CurrentUpdateServer());
    ~CFtpLink();
    CFtpLink(const CFtpLink&) = delete;
    CFtpLink& operator=(const CFtpLink&) = delete;

    // Another server; an open connection is closed.
    void SetServer(const SFtpServer& server);
    const SFtpServer& GetServer() const { return m_server; }
    void SetTimeouts(const SFtpTimeouts& timeouts) { m_timeouts = timeouts; }
    const SFtpTimeouts& GetTimeouts() const { return m_timeouts; }

    // With show-errors on, every error text is also shown through the
    // prompt (not owned) as an error message.
    void SetShowErrors(bool on) { m_showErrors = on; }
    bool GetShowErrors() const { return m_showErrors; }
    void SetPrompt(IPrompt* prompt) { m_prompt = prompt; }

    // Logs in with `user` and `password` and changes to `folder` (relative
    // to the login folder, "./" allowed).  An open connection is closed
    // first.  Error texts: 25005 (no session), the failure's own text with
    // 25006 (the server cannot be reached or refuses the login), 25003 (no
    // answer to the first command), 25004 (the folder is missing).
    bool ConnectUpdateFolder(std::u16string_view folder, std::u16string_view user, std::u16string_view password);
    bool IsConnected() const { return m_connected; }
    // The last ConnectUpdateFolder reached the server and logged in, but the
    // folder does not exist there.
    bool IsFolderMissing() const { return m_folderMissing; }
    // True when the connection still answers a command.
    bool StillAnswers();
    const std::u16string& GetFolder() const { return m_folder; }
    void Close();

    // The plain files of the folder whose names match `pattern` ('*' and
    // '?', without regard to case), in the server's order; read afresh.
    bool ListFolder(std::u16string_view pattern, std::vector<SFtpEntry>& entries);
    // Opens a file of the folder for reading (binary); null on failure.
    // Only one file is open at a time and the link must outlive it.
    std::unique_ptr<CFtpFile> OpenFile(const SFtpEntry& entry);
    // Reads a whole small file; fails when it is longer than `maxBytes`.
    bool ReadSmallFile(const SFtpEntry& entry, size_t maxBytes, std::string& content);

    // From any thread: every wait now or later ends at once with "cancelled"
    // until ResetCancel.
    void Cancel();
    void ResetCancel() { m_cancel = false; }
    bool IsCancelled() const { return m_cancel; }

    const std::u16string& GetErrorText() const { return m_errorText; }
    uint32_t GetErrorCode() const { return m_errorCode; }
    void ClearError();
    // Sets the error text (and shows it with show-errors on).
    void SetError(const std::u16string& text, uint32_t code = 0);

private:
    friend class CFtpFile;

    struct SRequest;
    bool EnsureHandles();
    void DestroyHandles();
    // Runs one request to its end; the curl result (0 on success).
    int Run(const SRequest& request);
    void Prepare(const SRequest& request);
    // One round of the transfer engine: true when the running request ended
    // (its result in `result`).
    bool Drive(int waitMs, int& result);
    // The failure's own text followed by 25006 with its number.
    std::u16string FailureText(int curlResult, uint32_t& code) const;
    std::string FileUrl(const SFtpEntry& entry) const;
    void ReportFailure(int curlResult);

    SFtpServer m_server;
    SFtpTimeouts m_timeouts;
    bool m_showErrors = true;
    IPrompt* m_prompt = nullptr;
    std::unique_ptr<SCurlHandles> m_curl;
    std::mutex m_handleMutex;          // creation and removal against Cancel
    std::atomic<bool> m_cancel{false};
    bool m_connected = false;
    std::u16string m_folder;
    std::string m_folderUrl;
    std::string m_user;
    std::string m_password;
    std::u16string m_errorText;
    uint32_t m_errorCode = 0;
    bool m_folderMissing = false;
    bool m_tooLong = false;            // the last request went past its size limit
};

// A file of the update folder being read.
class CFtpFile {
public:
    enum EResult { readData, readPending, readEnd, readFailed };

    ~CFtpFile();
    CFtpFile(const CFtpFile&) = delete;
    CFtpFile& operator=(const CFtpFile&) = delete;

    // Up to `max` bytes into `buffer` (`got` of them): readData when bytes
    // came, readPending when none came within `waitMs`, readEnd when the
    // server has sent the whole file, readFailed on a failure (the link's
    // error text says which).
    EResult Read(uint8_t* buffer, size_t max, int waitMs, size_t& got);

private:
    friend class CFtpLink;
    explicit CFtpFile(CFtpLink& link) : m_link(link) {}
    static size_t Receive(char* data, size_t size, size_t count, void* self);

    CFtpLink& m_link;
    std::vector<uint8_t> m_pending;
    size_t m_offset = 0;
    bool m_done = false;
    int m_result = 0;
};

} // namespace Update
