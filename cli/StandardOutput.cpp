// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardOutput.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "CliCommon.h"
#include "CliStrings.h"
#include "platform/ErrorCodes.h"
#include "platform/Text.h"

namespace Cli {

namespace {

// The errno of the first failed write (-1: a failure without a cause).
int g_outError = 0;

void Remember(bool failed)
{
    if (failed && g_outError == 0)
        g_outError = errno != 0 ? errno : -1;
}

} // namespace

void Out(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    errno = 0;
    const int n = std::vfprintf(stdout, format, args);
    va_end(args);
    Remember(n < 0);
}

void OutBytes(const void* data, size_t size)
{
    errno = 0;
    Remember(size > 0 && std::fwrite(data, 1, size, stdout) != size);
}

void FlushOut()
{
    errno = 0;
    Remember(std::fflush(stdout) != 0);
}

int FinishOutput(int rc)
{
    FlushOut();
    if (g_outError == 0 && std::ferror(stdout))
        g_outError = -1;
    if (g_outError == 0)
        return rc;
    const uint32_t error = g_outError > 0 ? Platform::ErrorFromErrno(g_outError) : Platform::ERROR_WRITE_FAULT;
    PrintError("brelmora-cli", Platform::FormatU(Text(kStdoutFailed).c_str(), Platform::DescribeError(error)));
    return rc == exitOk ? exitCannotWrite : rc;
}

} // namespace Cli
