// The program's command line: a project file to open and the switch
// "-Energy" (any case), which turns on the energy column.
//
//   brelmora                  nothing
//   brelmora FILE             opens FILE
//   brelmora -Energy          energy column, opens nothing
//   brelmora -Energy FILE     both (also FILE -Energy)
//
// With more than two arguments (program included) the second argument is
// the project, or the third when the second is "-Energy".
#pragma once

#include <string>
#include <vector>

struct SCommandLine {
    bool energy = false;
    std::u16string projectPath;   // empty: open nothing
};

// `args[0]` is the program.
SCommandLine ParseCommandLine(const std::vector<std::u16string>& args);

bool IsEnergySwitch(const std::u16string& arg);
