// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrorCodes.h"

#include <cerrno>
#include <map>
#include <string>

#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Platform {

uint32_t ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT:
    case ENXIO:
    case ENODEV: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ESPIPE: return ERROR_SEEK_ON_DEVICE;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case EBUSY: return ERROR_BUSY;
    case EFBIG:
    case ENOSPC: return ERROR_DISK_FULL;
    case EDQUOT: return ERROR_HANDLE_DISK_FULL;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EILSEQ: return ERROR_INVALID_NAME;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case ECANCELED:
    case EINTR: return ERROR_OPERATION_ABORTED;
    case EIO: return ERROR_GEN_FAILURE;
    case ENOLCK: return ERROR_LOCK_VIOLATION;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;   // a loop of symbolic links
    default: return ERROR_GEN_FAILURE;
    }
}

uint32_t WsaErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EWOULDBLOCK: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case EPIPE:
    case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAENETDOWN;
    }
}

namespace {

// The string-table id of an error number's text.
uint32_t ErrorTextId(uint32_t code)
{
    switch (code) {
    case ERROR_SUCCESS: return 40000;
    case ERROR_FILE_NOT_FOUND: return 40001;
    case ERROR_PATH_NOT_FOUND: return 40002;
    case ERROR_TOO_MANY_OPEN_FILES: return 40003;
    case ERROR_ACCESS_DENIED: return 40004;
    case ERROR_INVALID_HANDLE: return 40005;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return 40006;
    case ERROR_INVALID_DATA: return 40007;
    case ERROR_WRITE_PROTECT: return 40008;
    case ERROR_SEEK: return 40009;
    case ERROR_WRITE_FAULT: return 40010;
    case ERROR_READ_FAULT: return 40011;
    case ERROR_GEN_FAILURE: return 40012;
    case ERROR_SHARING_VIOLATION: return 40013;
    case ERROR_LOCK_VIOLATION: return 40014;
    case ERROR_HANDLE_EOF: return 40015;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return 40016;
    case ERROR_NOT_SUPPORTED: return 40017;
    case ERROR_FILE_EXISTS: return 40018;
    case ERROR_INVALID_PARAMETER: return 40019;
    case ERROR_BROKEN_PIPE: return 40020;
    case ERROR_OPEN_FAILED: return 40021;
    case ERROR_INSUFFICIENT_BUFFER: return 40022;
    case ERROR_INVALID_NAME: return 40023;
    case ERROR_NEGATIVE_SEEK: return 40024;
    case ERROR_SEEK_ON_DEVICE: return 40025;
    case ERROR_BUSY: return 40026;
    case ERROR_FILENAME_EXCED_RANGE: return 40027;
    case ERROR_BAD_FILE_TYPE: return 40040;
    case ERROR_FILE_TOO_LARGE: return 40041;
    case ERROR_CANT_RESOLVE_FILENAME: return 40042;
    case ERROR_OPERATION_ABORTED: return 40028;
    case ERROR_DEVICE_NOT_CONNECTED: return 40029;
    case ERROR_TIMEOUT: return 40030;
    case WSAECONNREFUSED: return 40031;
    case WSAETIMEDOUT: return 40032;
    case WSAECONNRESET: return 40033;
    case WSAECONNABORTED: return 40034;
    case WSAENETUNREACH: return 40035;
    case WSAEHOSTUNREACH: return 40036;
    case WSAENOTCONN: return 40037;
    case WSAHOST_NOT_FOUND: return 40038;
    case WSATRY_AGAIN: return 40043;
    case WSATYPE_NOT_FOUND: return 40044;
    case WSAEADDRINUSE: return 40045;
    default: return 40039;
    }
}

} // namespace

const char* DescribeError(uint32_t code)
{
    // The text comes from the string table, so a language library translates
    // it; the pointer stays valid until the next call for the same number on
    // this thread.
    thread_local std::map<uint32_t, std::string> texts;
    std::string& text = texts[code];
    text = ToUtf8(LoadString(ErrorTextId(code)));
    return text.c_str();
}

} // namespace Platform
