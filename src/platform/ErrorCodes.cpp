#include "platform/ErrorCodes.h"

#include <cerrno>

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

const char* DescribeError(uint32_t code)
{
    switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return "The system cannot find the path specified.";
    case ERROR_TOO_MANY_OPEN_FILES: return "Too many files are open.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_HANDLE: return "The stream is not open.";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "Not enough memory.";
    case ERROR_INVALID_DATA: return "The data is invalid.";
    case ERROR_WRITE_PROTECT: return "The medium is write protected.";
    case ERROR_SEEK: return "The position cannot be set.";
    case ERROR_WRITE_FAULT: return "The data cannot be written.";
    case ERROR_READ_FAULT: return "The data cannot be read.";
    case ERROR_GEN_FAILURE: return "The device does not work.";
    case ERROR_SHARING_VIOLATION: return "The file or port is in use by another program.";
    case ERROR_LOCK_VIOLATION: return "The file is locked by another program.";
    case ERROR_HANDLE_EOF: return "The end of the data was reached.";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return "There is not enough space on the disk.";
    case ERROR_NOT_SUPPORTED: return "The request is not supported.";
    case ERROR_FILE_EXISTS: return "The file exists.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_BROKEN_PIPE: return "The connection was closed.";
    case ERROR_OPEN_FAILED: return "The file or device could not be opened.";
    case ERROR_INSUFFICIENT_BUFFER: return "The text is too long.";
    case ERROR_INVALID_NAME: return "The name is not valid.";
    case ERROR_NEGATIVE_SEEK: return "The position would be before the start.";
    case ERROR_SEEK_ON_DEVICE: return "The device cannot set a position.";
    case ERROR_BUSY: return "The device is busy.";
    case ERROR_FILENAME_EXCED_RANGE: return "The file name is too long.";
    case ERROR_OPERATION_ABORTED: return "The operation was cancelled.";
    case ERROR_DEVICE_NOT_CONNECTED: return "The device is not connected.";
    case ERROR_TIMEOUT: return "The operation timed out.";
    case WSAECONNREFUSED: return "The connection was refused.";
    case WSAETIMEDOUT: return "The connection timed out.";
    case WSAECONNRESET: return "The connection was reset by the other side.";
    case WSAECONNABORTED: return "The connection was aborted.";
    case WSAENETUNREACH: return "The network cannot be reached.";
    case WSAEHOSTUNREACH: return "The host cannot be reached.";
    case WSAENOTCONN: return "The socket is not connected.";
    case WSAHOST_NOT_FOUND: return "The host name is not known.";
    case WSATRY_AGAIN: return "The host name cannot be looked up now.";
    case WSATYPE_NOT_FOUND: return "The port is not known.";
    case WSAEADDRINUSE: return "The address is already in use.";
    default: return "An unexpected error occurred.";
    }
}

} // namespace Platform
