// SPDX-License-Identifier: GPL-3.0-or-later
// The wire trace: one line per transfer on every stream the program opens to
// an instrument, for problems met in the field.
//
// Off by default.  It is switched on by BRELMORA_TRACE=FILE in the
// environment (read once, at the first instrument stream) or by
// StartWireTrace.  While it is on, the factory wraps every serial, IP and
// USB stream in a CTraceStream; files and RAM streams are never traced.
// While it is off the factory tests one flag and nothing is wrapped.
//
// A line (fields separated by tabs, appended to the file):
//   <monotonic seconds with microseconds> <stream name> read|write
//   <bytes moved> <the bytes in hex, space-separated> <stored error code>
// A transfer that throws writes its line with the thrown error code before
// the exception goes on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace StreamIO {

class CIoStream;

// The environment variable that names the trace file.
inline constexpr const char* kTraceVariable = "BRELMORA_TRACE";

// Starts tracing into `path` (created 0600 or appended to).  Returns 0, or
// the Win32 error number when the file cannot be opened (the trace stays as
// it was): a device, pipe or socket is ERROR_BAD_FILE_TYPE (checked without
// blocking), a folder or a file without a write bit ERROR_ACCESS_DENIED, a
// link to nothing or a loop of links ERROR_CANT_RESOLVE_FILENAME.
uint32_t StartWireTrace(const std::u16string& path);

// Starts tracing into the file BRELMORA_TRACE names, once per process; later
// calls return the first outcome.  0 when the variable is unset or empty or
// the file opened, else the error number; `path` receives the variable's
// value when given.
uint32_t StartWireTraceFromEnvironment(std::u16string* path = nullptr);

// Stops tracing and closes the file; streams wrapped already write nothing
// more.
void StopWireTrace();

// The error number of the first trace line that could not be written since
// the file was opened (a full disk); 0 when every line was written.
uint32_t WireTraceWriteError();

// True while a trace file is open (reads the environment first, once).
bool IsWireTraceOn();

// The message for a trace file that cannot be opened: names the file and
// the cause.
std::u16string DescribeTraceError(const std::u16string& path, uint32_t error);

// Wraps `stream` in a tracing stream (which owns it).
std::unique_ptr<CIoStream> WrapForTrace(std::unique_ptr<CIoStream> stream);

// Writes the line of one transfer (nothing when the trace is off).
void TraceTransfer(const std::u16string& name, bool write, const void* data, uint32_t count, uint32_t error);

} // namespace StreamIO
