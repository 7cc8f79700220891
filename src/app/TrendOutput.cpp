// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrendOutput.h"

#include <QApplication>
#include <QByteArray>
#include <QPrinter>

#include <charconv>
#include <cstdio>

#include "app/AppStrings.h"
#include "app/TrendOutputStrings.h"
#include "app/WindowlessOutput.h"
#include "archive/ArchiveError.h"
#include "archive/FilterOptions.h"
#include "archive/LabArchive.h"
#include "archive/TrendChart.h"
#include "data/OutputTarget.h"
#include "platform/ErrorCodes.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/trend/TrendPicture.h"

namespace TrendOutput {

namespace {

using WindowlessOutput::CannotWrite;
using WindowlessOutput::PrintError;
using WindowlessOutput::WriteTarget;

std::u16string Message(uint32_t id, const std::string& a = std::string(), const std::string& b = std::string())
{
    return Platform::FormatU(Platform::LoadString(id).c_str(), a.c_str(), b.c_str());
}

bool EndsWith(const std::u16string& path, std::u16string_view extension)
{
    return path.size() > extension.size() &&
           Platform::EqualsNoCase(std::u16string_view(path).substr(path.size() - extension.size()), extension);
}

} // namespace

bool Wanted(const std::vector<std::u16string>& args)
{
    for (size_t i = 1; i < args.size(); ++i)
        if (args[i] == u"--trend-pdf" || args[i] == u"--trend-picture")
            return true;
    return false;
}

STrendCommandLine Parse(const std::vector<std::u16string>& args)
{
    STrendCommandLine c;
    bool output = false;
    for (size_t i = 1; i < args.size() && c.error.empty(); ++i) {
        const std::string option = Platform::ToUtf8(args[i]);
        static const char* const kOwn[] = {"--trend-pdf", "--trend-picture", "--archive", "--sequence",
                                           "--cov-threshold"};
        bool own = false;
        for (const char* name : kOwn)
            own = own || option == name;
        if (!own && !Archive::IsFilterOption(option)) {
            c.error = Message(TrendOutputStrings::kUnknownArgument, option);
            break;
        }
        const bool takesValue = option != "--sequence" && Archive::FilterOptionTakesValue(option);
        std::string value;
        if (takesValue) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                c.error = Message(TrendOutputStrings::kNeedsValue, option);
                break;
            }
            value = Platform::ToUtf8(args[++i]);
        }
        if (option == "--trend-pdf" || option == "--trend-picture") {
            if (output)
                c.error = Message(TrendOutputStrings::kOneOutput);
            output = true;
            c.pdf = option == "--trend-pdf";
            c.outputPath = Platform::FromUtf8(value);
        } else if (option == "--archive") {
            if (c.archive)
                c.error = Message(TrendOutputStrings::kTwice, option);
            c.archive = Platform::FromUtf8(value);
        } else if (option == "--sequence") {
            c.sequence = true;
        } else if (option == "--cov-threshold") {
            double d = 0;
            const auto r = std::from_chars(value.data(), value.data() + value.size(), d);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size() || !(d > 0) || d > 1000)
                c.error = Message(TrendOutputStrings::kBadValue, option, value);
            c.covThreshold = d;
        } else {
            switch (Archive::ApplyFilterOption(option, value, c.filter)) {
            case Archive::EFilterOption::Applied:
                break;
            case Archive::EFilterOption::BadValue:
                c.error = Message(TrendOutputStrings::kBadValue, option, value);
                break;
            case Archive::EFilterOption::Unknown:
                c.error = Message(TrendOutputStrings::kUnknownArgument, option);
                break;
            }
        }
    }
    if (c.error.empty() && !output)
        c.error = Message(TrendOutputStrings::kOneOutput);
    if (c.error.empty() && !c.pdf && !EndsWith(c.outputPath, u".svg") && !EndsWith(c.outputPath, u".png"))
        c.error = Message(AppStrings::kPictureExtension, Platform::ToUtf8(c.outputPath));
    return c;
}

int Run(const std::vector<std::u16string>& args)
{
    const STrendCommandLine c = Parse(args);
    if (!c.error.empty()) {
        PrintError(c.error);
        std::fprintf(stderr, "%s\n", Platform::ToUtf8(Platform::LoadString(TrendOutputStrings::kUsage)).c_str());
        return WindowlessOutput::exitUsage;
    }
    // The target first: nothing is read when it cannot be written.
    if (const uint32_t error = OutputTarget::Check(Platform::ToUtf8(c.outputPath)))
        return CannotWrite(c.outputPath, Platform::DescribeError(error));

    Archive::STrendChart chart;
    try {
        auto archive = Archive::CLabArchive::Open(Archive::ResolveArchiveLocation(c.archive),
                                                  Archive::CLabArchive::EMode::Read);
        chart = Archive::MakeTrendChart(archive->Find(c.filter, false));
    } catch (const Archive::CArchiveError& e) {
        PrintError(Platform::FromUtf8(e.what()));
        return exitArchive;
    }
    if (chart.points.empty()) {
        PrintError(Platform::LoadString(TrendOutputStrings::kNothingFound));
        return WindowlessOutput::exitNothingToPrint;
    }

    STrendStyle style;
    style.font = QApplication::font();
    style.timeAxis = !c.sequence;
    style.covThreshold = c.covThreshold;
    if (!c.pdf) {
        const QByteArray picture = EndsWith(c.outputPath, u".svg") ? TrendPicture::Svg(chart, style)
                                                                   : TrendPicture::Png(chart, style);
        if (picture.isEmpty())
            return CannotWrite(c.outputPath, Platform::ToUtf8(Platform::LoadString(AppStrings::kPictureFailed)));
        return WriteTarget(c.outputPath, picture);
    }
    return WindowlessOutput::PrintPdf(c.outputPath, QStringLiteral("Brelmora trend"),
                                      [&](QPrinter& printer) { return TrendPicture::Print(printer, chart, style); });
}

} // namespace TrendOutput
