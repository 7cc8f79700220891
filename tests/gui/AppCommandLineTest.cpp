// The command line: the energy switch in any case, a project path, both.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

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

    // A switch-like text that is not "-Energy" is a file name.
    SCommandLine other = Parse({u"-Energie"});
    EXPECT_FALSE(other.energy);
    EXPECT_EQ(other.projectPath, u"-Energie");
}

} // namespace
