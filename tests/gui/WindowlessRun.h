// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the desktop program with no display at all, as a report script
// would: Qt must choose its offscreen platform by itself.  For the tests of
// the windowless outputs (--print-pdf, --summary-picture, --trend-*).
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace WindowlessRun {

struct SRun {
    int status = -1;   // -1: it did not end within a minute, or crashed
    std::string out, err;
};

inline SRun RunProgram(const std::vector<std::string>& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(env);
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    process.start(QString::fromUtf8(BRELMORA_BINARY_DIR) + QStringLiteral("/bin/brelmora"), list);
    SRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

inline std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace WindowlessRun
