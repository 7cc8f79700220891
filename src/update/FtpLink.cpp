// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/FtpLink.h"

#include <chrono>
#include <curl/curl.h>

#include "platform/Prompt.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/UpdateStrings.h"

namespace Update {

namespace {

using Clock = std::chrono::steady_clock;

// The engine waits in slices this long, so Cancel is seen at once even
// where curl's wake-up is not delivered.
constexpr int kSliceMs = 100;
constexpr size_t kMaxListingBytes = 8u << 20;
constexpr long kReceiveBuffer = 256 * 1024;

void GlobalInit()
{
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)done;
}

long Seconds(int ms)
{
    return ms <= 0 ? 1 : (ms + 999) / 1000;
}

std::string Escape(CURL* easy, std::string_view text)
{
    char* escaped = curl_easy_escape(easy, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr)
        return std::string();
    std::string out(escaped);
    curl_free(escaped);
    return out;
}

std::u16string Message(uint32_t id, const std::u16string& argument)
{
    return Platform::FormatU(Platform::LoadString(id).c_str(), Platform::ToUtf8(argument).c_str());
}

struct SStringSink {
    std::string* text = nullptr;
    size_t limit = 0;
    bool* tooLong = nullptr;
};

size_t CollectText(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<SStringSink*>(user);
    const size_t n = size * count;
    if (sink->text->size() + n > sink->limit) {
        *sink->tooLong = true;
        return 0;   // ends the transfer with a write error
    }
    sink->text->append(data, n);
    return n;
}

size_t Discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

} // namespace

struct SCurlHandles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    bool added = false;
    curl_slist* quote = nullptr;
};

struct CFtpLink::SRequest {
    std::string url;
    bool nobody = false;
    bool pwd = false;          // send PWD after the login (and any folder change)
    bool binary = true;
    curl_write_callback write = Discard;
    void* writeData = nullptr;
    // 0: the transfer has no overall limit (a file: only stalls end it).
    int totalMs = 0;
};

CFtpLink::CFtpLink(SFtpServer server) : m_server(std::move(server))
{
    GlobalInit();
}

CFtpLink::~CFtpLink()
{
    DestroyHandles();
}

void CFtpLink::SetServer(const SFtpServer& server)
{
    Close();
    m_server = server;
}

bool CFtpLink::EnsureHandles()
{
    if (m_curl)
        return true;
    auto handles = std::make_unique<SCurlHandles>();
    handles->multi = curl_multi_init();
    handles->easy = curl_easy_init();
    if (handles->multi == nullptr || handles->easy == nullptr) {
        if (handles->easy != nullptr)
            curl_easy_cleanup(handles->easy);
        if (handles->multi != nullptr)
            curl_multi_cleanup(handles->multi);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_handleMutex);
    m_curl = std::move(handles);
    return true;
}

void CFtpLink::DestroyHandles()
{
    std::unique_ptr<SCurlHandles> handles;
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        handles = std::move(m_curl);
    }
    if (!handles)
        return;
    if (handles->added)
        curl_multi_remove_handle(handles->multi, handles->easy);
    curl_easy_cleanup(handles->easy);
    // Closes the cached connection (QUIT on a connection still in order).
    curl_multi_cleanup(handles->multi);
    curl_slist_free_all(handles->quote);
}

void CFtpLink::Close()
{
    DestroyHandles();
    m_connected = false;
    m_folderUrl.clear();
}

void CFtpLink::Cancel()
{
    m_cancel = true;
    std::lock_guard<std::mutex> lock(m_handleMutex);
    if (m_curl)
        curl_multi_wakeup(m_curl->multi);
}

void CFtpLink::ClearError()
{
    m_errorText.clear();
    m_errorCode = 0;
}

void CFtpLink::SetError(const std::u16string& text, uint32_t code)
{
    m_errorText = text;
    m_errorCode = code;
    if (m_showErrors && m_prompt != nullptr)
        m_prompt->ShowMessage(IPrompt::messageError, text);
}

void CFtpLink::Prepare(const SRequest& request)
{
    CURL* easy = m_curl->easy;
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERNAME, m_user.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.c_str());
    // Passive mode; the data connection goes to the control connection's
    // address whatever address the server's answer names.
    curl_easy_setopt(easy, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connectMs));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, Seconds(m_timeouts.responseMs));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, Seconds(m_timeouts.stallMs));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    // The whole transfer reaches the caller, not just the length SIZE
    // announced: a server that sends more than it lists must be seen doing
    // so (the installer download then fails) instead of being cut short.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(easy, CURLOPT_NOBODY, request.nobody ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, request.binary ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, request.write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, request.writeData);
    curl_slist_free_all(m_curl->quote);
    m_curl->quote = nullptr;
    if (request.pwd) {
        m_curl->quote = curl_slist_append(nullptr, "PWD");
        curl_easy_setopt(easy, CURLOPT_QUOTE, m_curl->quote);
    }
}

bool CFtpLink::Drive(int waitMs, int& result)
{
    int running = 0;
    curl_multi_perform(m_curl->multi, &running);
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(m_curl->multi, &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == m_curl->easy) {
            result = static_cast<int>(msg->data.result);
            curl_multi_remove_handle(m_curl->multi, m_curl->easy);
            m_curl->added = false;
            return true;
        }
    }
    if (waitMs > 0)
        curl_multi_poll(m_curl->multi, nullptr, 0, waitMs, nullptr);
    return false;
}

int CFtpLink::Run(const SRequest& request)
{
    m_tooLong = false;
    Prepare(request);
    if (curl_multi_add_handle(m_curl->multi, m_curl->easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    m_curl->added = true;
    const int totalMs =
        request.totalMs > 0 ? request.totalMs : m_timeouts.connectMs + 2 * m_timeouts.responseMs + m_timeouts.stallMs;
    const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    int result = CURLE_OK;
    for (;;) {
        if (m_cancel) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (Drive(0, result))
            return result;
        if (Clock::now() >= deadline) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        int unused = 0;
        if (Drive(kSliceMs, unused))
            return unused;
    }
    // Ended early: the connection is dropped without waiting for the server.
    curl_multi_remove_handle(m_curl->multi, m_curl->easy);
    m_curl->added = false;
    return result;
}

std::u16string CFtpLink::FailureText(int curlResult, uint32_t& code) const
{
    uint32_t id = IDS_FTP_REFUSED;
    switch (curlResult) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: id = IDS_FTP_NOT_RESOLVED; code = FTP_ERROR_NAME_NOT_RESOLVED; break;
    case CURLE_COULDNT_CONNECT: id = IDS_FTP_CANNOT_CONNECT; code = FTP_ERROR_CANNOT_CONNECT; break;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT: id = IDS_FTP_TIMEOUT; code = FTP_ERROR_TIMEOUT; break;
    case CURLE_LOGIN_DENIED: id = IDS_FTP_LOGIN_REFUSED; code = FTP_ERROR_LOGIN_REFUSED; break;
    case CURLE_ABORTED_BY_CALLBACK: id = IDS_FTP_CANCELLED; code = FTP_ERROR_CANCELLED; break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING: id = IDS_FTP_CONNECTION_BROKEN; code = FTP_ERROR_CONNECTION_ABORTED; break;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_COULDNT_SET_TYPE: id = IDS_FTP_BAD_ANSWER; code = FTP_ERROR_BAD_RESPONSE; break;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: id = IDS_FTP_BAD_SETTING; code = FTP_ERROR_INVALID_URL; break;
    case CURLE_FAILED_INIT:
    case CURLE_OUT_OF_MEMORY: id = IDS_FTP_INTERNAL; code = FTP_ERROR_INTERNAL; break;
    default: id = IDS_FTP_REFUSED; code = FTP_ERROR_EXTENDED; break;
    }
    const std::u16string own = Message(id, id == IDS_FTP_BAD_SETTING ? m_server.text : m_server.Display());
    return own + u" " + Platform::FormatU(Platform::LoadString(IDS_FTP_ERROR_CODE).c_str(), static_cast<int>(code));
}

void CFtpLink::ReportFailure(int curlResult)
{
    uint32_t code = 0;
    const std::u16string text = FailureText(curlResult, code);
    SetError(text, code);
}

bool CFtpLink::ConnectUpdateFolder(std::u16string_view folder, std::u16string_view user, std::u16string_view password)
{
    ClearError();
    m_folderMissing = false;
    if (m_connected)
        Close();
    m_folder = std::u16string(folder);
    if (!EnsureHandles()) {
        SetError(Platform::LoadString(IDS_FTP_NO_SESSION));
        return false;
    }
    uint32_t code = 0;
    if (!m_server.valid) {
        const std::u16string text = FailureText(CURLE_URL_MALFORMAT, code);
        SetError(text, code);
        return false;
    }
    if (m_server.IsPlaceholder()) {
        // A host of the reserved ".example" domain is never looked up.
        const std::u16string text =
            Message(IDS_FTP_NOT_CONFIGURED, m_server.Display()) + u" " +
            Platform::FormatU(Platform::LoadString(IDS_FTP_ERROR_CODE).c_str(), int{FTP_ERROR_NAME_NOT_RESOLVED});
        SetError(text, FTP_ERROR_NAME_NOT_RESOLVED);
        return false;
    }
    m_user = Platform::ToUtf8(user);
    m_password = Platform::ToUtf8(password);

    // The connection and the login.
    SRequest login;
    login.url = m_server.Url();
    login.nobody = true;
    if (const int rc = Run(login)) {
        ReportFailure(rc);
        Close();
        return false;
    }
    // The server must answer a first command in the login folder.
    SRequest pwd = login;
    pwd.pwd = true;
    if (const int rc = Run(pwd)) {
        if (rc == CURLE_QUOTE_ERROR)
            SetError(Platform::LoadString(IDS_FTP_CONNECT_FAILED));
        else
            ReportFailure(rc);
        Close();
        return false;
    }
    // The folder, relative to the login folder.
    std::string path;
    std::string segment;
    const std::string folderText = Platform::ToUtf8(folder);
    for (size_t i = 0; i <= folderText.size(); ++i) {
        if (i == folderText.size() || folderText[i] == '/' || folderText[i] == '\\') {
            if (!segment.empty() && segment != ".")
                path += Escape(m_curl->easy, segment) + "/";
            segment.clear();
        } else {
            segment += folderText[i];
        }
    }
    SRequest change = login;
    change.url = m_server.Url(path);
    if (const int rc = Run(change)) {
        if (rc == CURLE_REMOTE_ACCESS_DENIED) {
            m_folderMissing = true;
            SetError(Message(IDS_FTP_NO_FOLDER, m_folder));
        }
        else
            ReportFailure(rc);
        Close();
        return false;
    }
    m_folderUrl = change.url;
    m_connected = true;
    return true;
}

bool CFtpLink::StillAnswers()
{
    if (!m_connected || !m_curl)
        return false;
    SRequest pwd;
    pwd.url = m_folderUrl;
    pwd.nobody = true;
    pwd.pwd = true;
    if (Run(pwd) != CURLE_OK) {
        Close();
        return false;
    }
    return true;
}

bool CFtpLink::ListFolder(std::u16string_view pattern, std::vector<SFtpEntry>& entries)
{
    entries.clear();
    ClearError();
    if (!m_connected || !m_curl) {
        SetError(Platform::LoadString(IDS_FTP_CONNECT_FAILED));
        return false;
    }
    std::string listing;
    SStringSink sink{&listing, kMaxListingBytes, &m_tooLong};
    SRequest list;
    list.url = m_folderUrl;
    list.binary = false;
    list.write = CollectText;
    list.writeData = &sink;
    list.totalMs = m_timeouts.connectMs + 2 * m_timeouts.responseMs + 4 * m_timeouts.stallMs;
    if (const int rc = Run(list)) {
        if (m_tooLong)
            SetError(Message(IDS_FTP_LISTING_TOO_LONG, m_folder));
        else
            ReportFailure(rc);
        return false;
    }
    for (SFtpEntry& entry : ParseFtpListing(listing))
        if (MatchesPattern(entry.name, pattern))
            entries.push_back(std::move(entry));
    return true;
}

std::string CFtpLink::FileUrl(const SFtpEntry& entry) const
{
    return m_folderUrl + Escape(m_curl->easy, entry.rawName);
}

bool CFtpLink::ReadSmallFile(const SFtpEntry& entry, size_t maxBytes, std::string& content)
{
    content.clear();
    ClearError();
    if (!m_connected || !m_curl) {
        SetError(Platform::LoadString(IDS_FTP_CONNECT_FAILED));
        return false;
    }
    SStringSink sink{&content, maxBytes, &m_tooLong};
    SRequest get;
    get.url = FileUrl(entry);
    get.write = CollectText;
    get.writeData = &sink;
    if (const int rc = Run(get)) {
        if (m_tooLong)
            SetError(Message(IDS_FTP_FILE_TOO_LONG, entry.name));
        else
            ReportFailure(rc);
        content.clear();
        return false;
    }
    return true;
}

std::unique_ptr<CFtpFile> CFtpLink::OpenFile(const SFtpEntry& entry)
{
    ClearError();
    if (!m_connected || !m_curl) {
        SetError(Platform::LoadString(IDS_FTP_CONNECT_FAILED));
        return nullptr;
    }
    std::unique_ptr<CFtpFile> file(new CFtpFile(*this));
    SRequest get;
    get.url = FileUrl(entry);
    get.write = &CFtpFile::Receive;
    get.writeData = file.get();
    Prepare(get);
    if (curl_multi_add_handle(m_curl->multi, m_curl->easy) != CURLM_OK) {
        ReportFailure(CURLE_FAILED_INIT);
        return nullptr;
    }
    m_curl->added = true;
    return file;
}

CFtpFile::~CFtpFile()
{
    // A transfer still running is dropped; the link's connection with it.
    if (!m_done && m_link.m_curl && m_link.m_curl->added) {
        curl_multi_remove_handle(m_link.m_curl->multi, m_link.m_curl->easy);
        m_link.m_curl->added = false;
        m_link.Close();
    }
}

size_t CFtpFile::Receive(char* data, size_t size, size_t count, void* self)
{
    auto* file = static_cast<CFtpFile*>(self);
    const size_t n = size * count;
    // Consumed bytes are dropped before the buffer grows again.
    if (file->m_offset > 0 && file->m_offset >= file->m_pending.size() / 2) {
        file->m_pending.erase(file->m_pending.begin(), file->m_pending.begin() + static_cast<std::ptrdiff_t>(file->m_offset));
        file->m_offset = 0;
    }
    file->m_pending.insert(file->m_pending.end(), data, data + n);
    return n;
}

CFtpFile::EResult CFtpFile::Read(uint8_t* buffer, size_t max, int waitMs, size_t& got)
{
    got = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const size_t available = m_pending.size() - m_offset;
        if (available > 0 && max > 0) {
            got = std::min(available, max);
            std::copy(m_pending.begin() + static_cast<std::ptrdiff_t>(m_offset),
                      m_pending.begin() + static_cast<std::ptrdiff_t>(m_offset + got), buffer);
            m_offset += got;
            return readData;
        }
        if (m_done) {
            if (m_result == CURLE_OK)
                return readEnd;
            return readFailed;
        }
        if (m_link.m_cancel || !m_link.m_curl) {
            if (m_link.m_curl && m_link.m_curl->added) {
                curl_multi_remove_handle(m_link.m_curl->multi, m_link.m_curl->easy);
                m_link.m_curl->added = false;
            }
            m_done = true;
            m_result = CURLE_ABORTED_BY_CALLBACK;
            m_link.ReportFailure(m_result);
            m_link.Close();
            return readFailed;
        }
        const int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        int result = 0;
        if (m_link.Drive(0, result) || (m_pending.size() == m_offset && left > 0 && m_link.Drive(std::min(left, kSliceMs), result))) {
            m_done = true;
            m_result = result;
            if (result != CURLE_OK)
                m_link.ReportFailure(result);
            continue;
        }
        if (m_pending.size() == m_offset && left <= 0)
            return readPending;
    }
}

} // namespace Update
