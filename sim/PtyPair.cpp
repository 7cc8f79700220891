// SPDX-License-Identifier: GPL-3.0-or-later
#include "PtyPair.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

bool OpenRawPty(SPtyPair& pair, std::string& error)
{
    ClosePty(pair);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[256];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("cannot prepare the pseudo-terminal: ") + std::strerror(errno);
        close(master);
        return false;
    }
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        close(master);
        return false;
    }
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(slave, TCSANOW, &tio);
    }
    pair.master = master;
    pair.slave = slave;
    pair.slavePath = name;
    return true;
}

void ClosePty(SPtyPair& pair)
{
    if (pair.master >= 0)
        close(pair.master);
    if (pair.slave >= 0)
        close(pair.slave);
    pair.master = -1;
    pair.slave = -1;
    pair.slavePath.clear();
}

} // namespace Sim
