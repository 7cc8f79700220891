// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/AppStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/connection/ConnectionViewStrings.h"

namespace {

std::u16string Message(uint32_t id, const std::u16string& arg = std::u16string())
{
    return Platform::FormatU(Platform::LoadString(id).c_str(), Platform::ToUtf8(arg).c_str());
}

bool HasExtension(const std::u16string& path, std::u16string_view extension)
{
    return path.size() > extension.size() &&
           Platform::EqualsNoCase(std::u16string_view(path).substr(path.size() - extension.size()), extension);
}

void SetOutput(SCommandLine& c, SCommandLine::Output output, const std::u16string& path)
{
    if (c.output != SCommandLine::outputWindow && c.output != output)
        c.error = Message(AppStrings::kOptionsExclusive);
    c.output = output;
    c.outputPath = path;
}

// The project path of the plain command line (no option given).
std::u16string PlainProjectPath(const std::vector<std::u16string>& args)
{
    const bool twoWithoutSwitch = args.size() == 2 && !IsEnergySwitch(args[1]);
    if (!twoWithoutSwitch && args.size() <= 2)
        return std::u16string();
    const std::u16string& path = IsEnergySwitch(args[1]) ? args[2] : args[1];
    // A second switch ("-Energy -Energy") is no file name.
    return IsEnergySwitch(path) ? std::u16string() : path;
}

} // namespace

const std::vector<SCommandLineOption>& OptionTable()
{
    static const std::vector<SCommandLineOption> options = {
        {u"--print-pdf", true,
         [](SCommandLine& c, const std::u16string& v) { SetOutput(c, SCommandLine::outputPdf, v); }},
        {u"--summary-picture", true,
         [](SCommandLine& c, const std::u16string& v) { SetOutput(c, SCommandLine::outputPicture, v); }},
        {u"--summary", false, [](SCommandLine& c, const std::u16string&) { c.summary = true; }},
        {u"--help", false, [](SCommandLine& c, const std::u16string&) { c.help = true; }},
        {u"--version", false, [](SCommandLine& c, const std::u16string&) { c.version = true; }},
        {u"--demo", false, [](SCommandLine& c, const std::u16string&) { c.demo = true; }},
    };
    return options;
}

const SCommandLineOption* FindOption(const std::u16string& arg)
{
    for (const SCommandLineOption& option : OptionTable()) {
        if (arg == option.name)
            return &option;
    }
    return nullptr;
}

bool IsEnergySwitch(const std::u16string& arg)
{
    return Platform::EqualsNoCase(arg, u"-Energy");
}

namespace {

// An argument that looks like an option but is none of ours.
bool IsUnknownOption(const std::u16string& arg)
{
    return arg.size() > 1 && arg[0] == u'-' && !IsEnergySwitch(arg) && FindOption(arg) == nullptr;
}

} // namespace

SCommandLine ParseCommandLine(const std::vector<std::u16string>& args)
{
    SCommandLine result;
    bool withOptions = false;
    std::vector<std::u16string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (IsEnergySwitch(arg)) {
            result.energy = true;
            continue;
        }
        if (IsUnknownOption(arg)) {
            result.error = Message(ConnectionViewStrings::kUnknownOption, arg);
            result.unknownOption = true;
            return result;
        }
        const SCommandLineOption* option = FindOption(arg);
        if (option == nullptr) {
            files.push_back(arg);
            continue;
        }
        withOptions = true;
        std::u16string value;
        if (option->takesValue) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                result.error = Message(AppStrings::kOptionNeedsFile, arg);
                return result;
            }
            value = args[++i];
        }
        option->apply(result, value);
        if (!result.error.empty())
            return result;
    }
    if (!withOptions) {
        result.projectPath = PlainProjectPath(args);
        return result;
    }
    if (result.help || result.version)
        return result;
    if (result.demo) {
        // The window with the simulated instrument, and at most one project.
        if (result.output != SCommandLine::outputWindow) {
            result.error = Message(ConnectionViewStrings::kDemoWithOutput,
                                   result.output == SCommandLine::outputPdf ? u"--print-pdf" : u"--summary-picture");
        } else if (result.summary) {
            result.error = Message(AppStrings::kSummaryNeedsPdf);
        } else if (files.size() > 1) {
            result.error = Message(ConnectionViewStrings::kDemoOneProject, files[1]);
        } else if (!files.empty()) {
            result.projectPath = files[0];
        }
        return result;
    }
    if (result.output == SCommandLine::outputWindow) {
        // "--summary" alone.
        result.error = Message(AppStrings::kSummaryNeedsPdf);
        return result;
    }
    const std::u16string option = result.output == SCommandLine::outputPdf ? u"--print-pdf" : u"--summary-picture";
    if (files.size() != 1) {
        result.error = Message(AppStrings::kOptionNeedsProject, option);
        return result;
    }
    result.projectPath = files[0];
    if (result.output == SCommandLine::outputPicture && !HasExtension(result.outputPath, u".svg") &&
        !HasExtension(result.outputPath, u".png"))
        result.error = Message(AppStrings::kPictureExtension, result.outputPath);
    return result;
}

bool NeedsNoDisplay(const std::vector<std::u16string>& args)
{
    // Every option but --demo ends without a window, and so does a wrong one
    // (--demo given with one of them is wrong).
    for (size_t i = 1; i < args.size(); ++i) {
        const SCommandLineOption* option = FindOption(args[i]);
        if ((option != nullptr && args[i] != u"--demo") || IsUnknownOption(args[i]))
            return true;
    }
    return false;
}

std::u16string VersionText()
{
    const std::string version = std::to_string(BRELMORA_VERSION_MAJOR) + "." + std::to_string(BRELMORA_VERSION_MINOR) +
                                "." + std::to_string(BRELMORA_VERSION_PATCH) + "." +
                                std::to_string(BRELMORA_VERSION_TWEAK);
    return Platform::FormatU(Platform::LoadString(ConnectionViewStrings::kVersionLine).c_str(), version.c_str());
}

std::u16string UsageText()
{
    return Platform::LoadString(AppStrings::kUsage);
}
