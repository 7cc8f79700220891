// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: a project file to open and the switch
// "-Energy" (any case), which turns on the energy column; the options for
// output without a window; the usage text.
//
//   brelmora                  nothing
//   brelmora FILE             opens FILE
//   brelmora -Energy          energy column, opens nothing
//   brelmora -Energy FILE     both (also FILE -Energy)
//
// With more than two arguments (program included) the second argument is
// the project, or the third when the second is "-Energy".
//
// Options (see OptionTable): when one is given, every other argument but
// "-Energy" is the one project file, in any order.
//
//   brelmora --print-pdf OUT.pdf [--summary] [-Energy] FILE.vnr
//   brelmora --summary-picture OUT.svg|OUT.png FILE.vnr
//   brelmora --demo [-Energy] [FILE]   with the simulated instrument
//   brelmora --help
//   brelmora --version
//
// Any other argument that starts with "-" is refused ("... Try --help"),
// never opened as a project.
#pragma once

#include <string>
#include <vector>

struct SCommandLine {
    // What the program does: show its window, or write one file and end.
    enum Output { outputWindow, outputPdf, outputPicture };

    bool energy = false;
    std::u16string projectPath;   // empty: open nothing
    Output output = outputWindow;
    std::u16string outputPath;    // the PDF or the picture
    bool summary = false;         // --summary: the PDF holds the summary page
    bool help = false;            // --help: the usage text, nothing else
    bool version = false;         // --version: the program's version, nothing else
    bool demo = false;            // --demo: the window with the simulated instrument
    bool unknownOption = false;   // the error is an unknown option (no usage follows)
    std::u16string error;         // wrong use of the options: what is wrong

    bool IsWithoutWindow() const { return output != outputWindow; }
};

// An option of the command line: its name, whether the next argument is its
// value, and what it sets.
struct SCommandLineOption {
    const char16_t* name;
    bool takesValue;
    void (*apply)(SCommandLine& commandLine, const std::u16string& value);
};
const std::vector<SCommandLineOption>& OptionTable();
const SCommandLineOption* FindOption(const std::u16string& arg);

// `args[0]` is the program.
SCommandLine ParseCommandLine(const std::vector<std::u16string>& args);

bool IsEnergySwitch(const std::u16string& arg);

// True when the arguments ask for no window (output to a file, the usage
// text, or a wrong option): the program then needs no display.
bool NeedsNoDisplay(const std::vector<std::u16string>& args);

// The usage text (string table).
std::u16string UsageText();
// "Brelmora 1.8.1.0": the program's name and version.
std::u16string VersionText();
