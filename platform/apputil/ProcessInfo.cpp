#include "ProcessInfo.h"

#include <QString>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <QFile>

#include <cerrno>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace orv_public {
namespace ProcessInfo {

#ifdef Q_OS_WIN

QByteArray userName()
{
    wchar_t buffer[257];
    DWORD length = 257;
    if (GetUserNameW(buffer, &length) && length > 0)
        return QString::fromWCharArray(buffer, int(length) - 1).toUtf8();
    return qgetenv("USERNAME");
}

bool isAlive(qint64 processId)
{
    if (processId < 1)
        return false;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(processId));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

#else

QByteArray userName()
{
    if (const passwd *account = getpwuid(geteuid()))
        return QByteArray(account->pw_name);
    const QByteArray user = qgetenv("USER");
    return user.isEmpty() ? qgetenv("USERNAME") : user;
}

bool isAlive(qint64 processId)
{
    if (processId < 1 || processId != qint64(pid_t(processId)))
        return false;
    // Signal 0 only asks whether the process exists; EPERM means it does, under another user.
    if (kill(pid_t(processId), 0) != 0 && errno != EPERM)
        return false;
#ifdef Q_OS_LINUX
    // A killed process that its parent has not collected yet still answers signal 0.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const int state = line.lastIndexOf(')') + 2;
        if (state > 1 && state < line.size() && line.at(state) == 'Z')
            return false;
    }
#endif
    return true;
}

#endif

} // namespace ProcessInfo
} // namespace orv_public
