#include "LinuxProgramLauncher.h"

#include "BackslashPaths.h"
#include "RuntimeError.h"

#include <QProcess>
#include <QString>

#include <string>

namespace platform {

std::int64_t LinuxProgramLauncher::Shell(std::string_view pathname, WindowStyle)
{
    if (pathname.empty())
        throw forms::RuntimeError("Invalid procedure call or argument");
    const std::string path = withSlashes(pathname);
    qint64 pid = 0;
    // startDetached reports a program that could not be executed, and the
    // started one is not our child: nothing waits for it or reaps it.
    if (!QProcess::startDetached(QString::fromStdString(path), {}, {}, &pid))
        throw forms::RuntimeError("File not found: " + path);
    return pid;
}

} // namespace platform
