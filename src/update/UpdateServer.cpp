// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateServer.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"

#ifndef BRELMORA_UPDATE_SERVER
#define BRELMORA_UPDATE_SERVER "ftp://download.vantor.example"
#endif

namespace Update {

namespace {

constexpr char16_t kSettingsKey[] = u"Software\\Vantor\\Brelmora\\Settings";
constexpr char16_t kServerValue[] = u"UpdateServer";

bool IsHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

bool IsIpv6Char(char c)
{
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

bool SFtpServer::IsPlaceholder() const
{
    const std::string h = Lower(host);
    const std::string suffix = ".example";
    std::string trimmed = h;
    if (!trimmed.empty() && trimmed.back() == '.')
        trimmed.pop_back();
    return trimmed == "example" ||
           (trimmed.size() > suffix.size() && trimmed.compare(trimmed.size() - suffix.size(), suffix.size(), suffix) == 0);
}

std::string SFtpServer::Url(std::string_view path) const
{
    return "ftp://" + host + ":" + std::to_string(port) + "/" + std::string(path);
}

std::u16string SFtpServer::Display() const
{
    if (!valid)
        return text;
    return Platform::FromUtf8(port == 21 ? host : host + ":" + std::to_string(port));
}

SFtpServer ParseFtpServer(std::u16string_view input)
{
    SFtpServer server;
    server.text = std::u16string(input);
    std::string text = Platform::ToUtf8(input);
    // Surrounding blanks of a hand-edited setting do not matter.
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.erase(text.begin());
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    const std::string scheme = "ftp://";
    if (Lower(text.substr(0, scheme.size())) == scheme)
        text = text.substr(scheme.size());
    else if (text.find("://") != std::string::npos)
        return server;
    if (!text.empty() && text.back() == '/')
        text.pop_back();
    if (text.empty())
        return server;

    std::string host;
    std::string rest;
    if (text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos || close < 3)
            return server;
        for (size_t i = 1; i < close; ++i)
            if (!IsIpv6Char(text[i]))
                return server;
        host = text.substr(0, close + 1);
        rest = text.substr(close + 1);
    } else {
        const size_t colon = text.find(':');
        host = text.substr(0, colon);
        rest = colon == std::string::npos ? std::string() : text.substr(colon);
        if (host.empty() || host.front() == '.' || host.front() == '-')
            return server;
        for (char c : host)
            if (!IsHostChar(c))
                return server;
    }
    uint32_t port = 21;
    if (!rest.empty()) {
        if (rest.front() != ':' || rest.size() < 2 || rest.size() > 6)
            return server;
        port = 0;
        for (size_t i = 1; i < rest.size(); ++i) {
            if (rest[i] < '0' || rest[i] > '9')
                return server;
            port = port * 10 + static_cast<uint32_t>(rest[i] - '0');
        }
        if (port < 1 || port > 65535)
            return server;
    }
    server.host = host;
    server.port = static_cast<uint16_t>(port);
    server.valid = true;
    return server;
}

SFtpServer BuiltInUpdateServer()
{
    return ParseFtpServer(Platform::FromUtf8(BRELMORA_UPDATE_SERVER));
}

SFtpServer CurrentUpdateServer()
{
    Platform::CRegKey key;
    std::u16string text;
    if (key.Open(kSettingsKey, Platform::CRegKey::Read) == Platform::ERROR_SUCCESS &&
        key.QueryString(kServerValue, text) == Platform::ERROR_SUCCESS && !text.empty())
        return ParseFtpServer(text);
    return BuiltInUpdateServer();
}

} // namespace Update
