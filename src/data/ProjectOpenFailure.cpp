// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ProjectOpenFailure.h"

#include <string>

#include "data/DataStrings.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace ProjectOpenFailure {

namespace {

std::u16string Line(const std::u16string& path, const std::u16string& reason)
{
    return path + u": " + reason;
}

// What the path is when it is not a regular file; 0 for a regular file or
// nothing at all.
uint32_t KindText(const std::u16string& path)
{
    switch (Platform::StatPath(Platform::ToUtf8(path)).type) {
    case Platform::EFileType::Folder:
        return DataStrings::kPathIsFolder;
    case Platform::EFileType::Pipe:
        return DataStrings::kPathIsPipe;
    case Platform::EFileType::Device:
        return DataStrings::kPathIsDevice;
    case Platform::EFileType::Socket:
        return DataStrings::kPathIsSocket;
    default:
        return 0;
    }
}

} // namespace

std::u16string DescribeOpenError(const std::u16string& path, uint32_t error)
{
    // What the path is says more than the error of opening it (a socket,
    // for one, fails to open as "no such device").
    if (const uint32_t kind = KindText(path))
        return Line(path, Platform::LoadString(kind));
    if (error == Platform::ERROR_FILE_TOO_LARGE)
        return Line(path, Platform::LoadString(DataStrings::kProjectTooLarge));
    return Line(path, Platform::FromUtf8(Platform::DescribeError(error)));
}

std::u16string DescribeDamage(const std::u16string& path, uint64_t offset, bool beforeHeading)
{
    if (beforeHeading)
        return Line(path, Platform::LoadString(DataStrings::kNoProjectHeading));
    return Line(path, Platform::FormatU(Platform::LoadString(DataStrings::kDamagedAtByte).c_str(),
                                        std::to_string(offset).c_str()));
}

} // namespace ProjectOpenFailure
