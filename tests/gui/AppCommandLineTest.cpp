// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: the energy switch in any case, a project path, both;
// the options for output without a window and their wrong uses.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "platform/Text.h"

namespace {

SCommandLine Parse(std::vector<std::u16string> args)
{
    args.insert(args.begin(), u"/opt/brelmora/brelmora");
    return ParseCommandLine(args);
}

TEST(AppCommandLine, SwitchAndProjectInEveryOrderAndCase)
{
    SCommandLine none = Parse({});
    EXPECT_FALSE(none.energy);
    EXPECT_TRUE(none.projectPath.empty());

    SCommandLine project = Parse({u"/data/rolls.vnr"});
    EXPECT_FALSE(project.energy);
    EXPECT_EQ(project.projectPath, u"/data/rolls.vnr");

    // The switch alone opens nothing.
    SCommandLine energy = Parse({u"-Energy"});
    EXPECT_TRUE(energy.energy);
    EXPECT_TRUE(energy.projectPath.empty());

    SCommandLine lower = Parse({u"-energy", u"/data/rolls.vnr"});
    EXPECT_TRUE(lower.energy);
    EXPECT_EQ(lower.projectPath, u"/data/rolls.vnr");

    SCommandLine after = Parse({u"/data/rolls.vnr", u"-ENERGY"});
    EXPECT_TRUE(after.energy);
    EXPECT_EQ(after.projectPath, u"/data/rolls.vnr");
}

TEST(AppCommandLine, MoreArgumentsTakeTheFirstThatIsNoSwitch)
{
    SCommandLine three = Parse({u"a.vnr", u"b.vnr"});
    EXPECT_FALSE(three.energy);
    EXPECT_EQ(three.projectPath, u"a.vnr");

    SCommandLine switched = Parse({u"-Energy", u"b.vnr", u"c.vnr"});
    EXPECT_TRUE(switched.energy);
    EXPECT_EQ(switched.projectPath, u"b.vnr");

    // Two switches are never taken for a file name.
    SCommandLine twice = Parse({u"-Energy", u"-energy"});
    EXPECT_TRUE(twice.energy);
    EXPECT_TRUE(twice.projectPath.empty());

    // A switch-like text that is not "-Energy" is refused, never opened as
    // a project.
    SCommandLine other = Parse({u"-Energie"});
    EXPECT_FALSE(other.energy);
    EXPECT_TRUE(other.projectPath.empty());
    EXPECT_EQ(other.error, u"unknown option \"-Energie\". Try --help");
}

TEST(AppCommandLine, DemoVersionAndUnknownOptions)
{
    SCommandLine demo = Parse({u"--demo"});
    EXPECT_TRUE(demo.demo);
    EXPECT_TRUE(demo.error.empty());
    EXPECT_FALSE(demo.IsWithoutWindow());
    EXPECT_FALSE(NeedsNoDisplay({u"brelmora", u"--demo"}));

    SCommandLine demoProject = Parse({u"rolls.vnr", u"--demo", u"-energy"});
    EXPECT_TRUE(demoProject.demo && demoProject.energy);
    EXPECT_EQ(demoProject.projectPath, u"rolls.vnr");
    EXPECT_EQ(Parse({u"--demo", u"a.vnr", u"b.vnr"}).error, u"--demo opens one project at most; \"b.vnr\" is one too many.");
    EXPECT_EQ(Parse({u"--demo", u"--print-pdf", u"o.pdf", u"a.vnr"}).error,
              u"--demo opens the program's window; it cannot be given with --print-pdf.");
    EXPECT_TRUE(NeedsNoDisplay({u"brelmora", u"--demo", u"--print-pdf", u"o.pdf", u"a.vnr"}));

    SCommandLine version = Parse({u"--version"});
    EXPECT_TRUE(version.version);
    EXPECT_TRUE(version.error.empty());
    EXPECT_EQ(VersionText(), u"Brelmora 1.8.1.0");

    // Unknown options end with "Try --help" and need no display.
    for (const char16_t* arg : {u"--demo=1", u"--Demo", u"-x", u"--frobnicate"}) {
        const SCommandLine wrong = Parse({arg, u"rolls.vnr"});
        EXPECT_TRUE(wrong.unknownOption) << Platform::ToUtf8(arg);
        EXPECT_TRUE(wrong.projectPath.empty());
        EXPECT_EQ(wrong.error.substr(wrong.error.size() - 10), u"Try --help");
        EXPECT_TRUE(NeedsNoDisplay({u"brelmora", arg}));
    }
    // A lone "-" is no option.
    EXPECT_EQ(Parse({u"-"}).projectPath, u"-");

    for (const char16_t* text : {u"--demo", u"-Energy", u"PROJECT.vnr", u"--version"})
        EXPECT_NE(UsageText().find(text), std::u16string::npos) << Platform::ToUtf8(text);
}

TEST(AppCommandLine, OutputOptionsTakeTheProjectFromAnyPlace)
{
    SCommandLine pdf = Parse({u"--print-pdf", u"out.pdf", u"rolls.vnr"});
    EXPECT_TRUE(pdf.error.empty());
    EXPECT_EQ(pdf.output, SCommandLine::outputPdf);
    EXPECT_EQ(pdf.outputPath, u"out.pdf");
    EXPECT_EQ(pdf.projectPath, u"rolls.vnr");
    EXPECT_FALSE(pdf.summary);
    EXPECT_TRUE(pdf.IsWithoutWindow());

    SCommandLine summary = Parse({u"rolls.vnr", u"-ENERGY", u"--summary", u"--print-pdf", u"s.pdf"});
    EXPECT_TRUE(summary.error.empty());
    EXPECT_TRUE(summary.summary);
    EXPECT_TRUE(summary.energy);
    EXPECT_EQ(summary.projectPath, u"rolls.vnr");

    SCommandLine picture = Parse({u"--summary-picture", u"S.PNG", u"rolls.vnr"});
    EXPECT_TRUE(picture.error.empty());
    EXPECT_EQ(picture.output, SCommandLine::outputPicture);
    EXPECT_EQ(Parse({u"--summary-picture", u"s.svg", u"rolls.vnr"}).outputPath, u"s.svg");

    SCommandLine help = Parse({u"--help"});
    EXPECT_TRUE(help.help);
    EXPECT_TRUE(help.error.empty());
    EXPECT_NE(UsageText().find(u"--print-pdf OUT.pdf"), std::u16string::npos);
    EXPECT_NE(UsageText().find(u"--summary-picture"), std::u16string::npos);

    // Every option is in the one table.
    for (const char16_t* name : {u"--print-pdf", u"--summary-picture", u"--summary", u"--help"})
        EXPECT_NE(FindOption(name), nullptr);
    EXPECT_TRUE(NeedsNoDisplay({u"brelmora", u"--help"}));
    EXPECT_FALSE(NeedsNoDisplay({u"brelmora", u"-Energy", u"rolls.vnr"}));
}

TEST(AppCommandLine, WrongUsesOfTheOutputOptionsSayWhatIsWrong)
{
    EXPECT_EQ(Parse({u"--print-pdf"}).error, u"--print-pdf needs the name of the file to write.");
    EXPECT_EQ(Parse({u"--print-pdf", u"out.pdf"}).error, u"--print-pdf needs exactly one project file.");
    EXPECT_EQ(Parse({u"--print-pdf", u"out.pdf", u"a.vnr", u"b.vnr"}).error,
              u"--print-pdf needs exactly one project file.");
    EXPECT_EQ(Parse({u"--summary", u"a.vnr"}).error, u"--summary is an option of --print-pdf.");
    EXPECT_EQ(Parse({u"--print-pdf", u"o.pdf", u"--summary-picture", u"o.svg", u"a.vnr"}).error,
              u"--print-pdf and --summary-picture cannot be given together.");
    EXPECT_NE(Parse({u"--summary-picture", u"o.jpg", u"a.vnr"}).error.find(u"o.jpg"), std::u16string::npos);
    EXPECT_FALSE(Parse({u"--summary-picture", u".png", u"a.vnr"}).error.empty());
}

} // namespace

