// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora: the desktop program.
//
//   brelmora [-Energy] [PROJECT.vnr]
//   brelmora --print-pdf OUT.pdf [--summary] [-Energy] PROJECT.vnr
//   brelmora --summary-picture OUT.svg|OUT.png PROJECT.vnr
//   brelmora --trend-pdf OUT.pdf | --trend-picture OUT.svg|OUT.png [--archive ARCHIVE] [FILTERS]
//   brelmora --demo [-Energy] [PROJECT.vnr]
//   brelmora --help
//   brelmora --version
#include <QApplication>
#include <QStringList>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/BrelmoraApp.h"
#include "app/CommandLine.h"
#include "app/TrendOutput.h"
#include "app/WindowlessOutput.h"
#include "platform/Text.h"

int main(int argc, char* argv[])
{
    // Output to a file and the usage text need no display: Qt's offscreen
    // platform serves them wherever the program runs.
    std::vector<std::u16string> raw;
    for (int i = 0; i < argc; ++i)
        raw.push_back(Platform::FromUtf8(argv[i]));
    const bool trend = TrendOutput::Wanted(raw);
    if (trend || NeedsNoDisplay(raw))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; number texts of the
    // exports, copies and prints keep the dot, as the command line's do.
    std::setlocale(LC_NUMERIC, "C");
    std::vector<std::u16string> args;
    for (const QString& arg : QCoreApplication::arguments())
        args.push_back(arg.toStdU16String());
    CBrelmoraApp app;
    if (trend) {
        app.PrepareWithoutWindow();
        return TrendOutput::Run(args);
    }
    const SCommandLine commandLine = ParseCommandLine(args);
    if (commandLine.help || commandLine.version || !commandLine.error.empty() || commandLine.IsWithoutWindow()) {
        app.PrepareWithoutWindow();
        if (commandLine.help)
            return WindowlessOutput::PrintResult(UsageText());
        if (!commandLine.error.empty()) {
            WindowlessOutput::PrintError(commandLine.error);
            // An unknown option says "Try --help" itself.
            if (!commandLine.unknownOption)
                std::fprintf(stderr, "%s\n", Platform::ToUtf8(UsageText()).c_str());
            return WindowlessOutput::exitUsage;
        }
        if (commandLine.version)
            return WindowlessOutput::PrintResult(VersionText());
        return WindowlessOutput::Run(commandLine);
    }

    // Start-up without the splash's wait (scripts that take screenshots).
    if (qEnvironmentVariableIntValue("BRELMORA_NO_SPLASH") != 0)
        app.SetSplashTime(0);
    if (!app.InitInstance(args)) {
        app.ExitInstance();
        return 1;
    }
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
