// brelmora: the desktop program.
//
//   brelmora [-Energy] [PROJECT.vnr]
#include <QApplication>
#include <QStringList>
#include <string>
#include <vector>

#include "app/BrelmoraApp.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    std::vector<std::u16string> args;
    for (const QString& arg : QCoreApplication::arguments())
        args.push_back(arg.toStdU16String());

    CBrelmoraApp app;
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
