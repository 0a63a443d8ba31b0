#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the operating system says about processes, the same way on every platform.
namespace orv_public {
namespace ProcessInfo {

// Account name of the user this process runs as, UTF-8. On Windows the logged-on user
// (GetUserNameW), on Linux the effective user's account; the environment when the system
// cannot tell.
QByteArray userName();

// True while a process with this id runs (including one of another user); false for ids
// below 1 and for a process that has ended but not yet been collected by its parent.
bool isAlive(qint64 processId);

} // namespace ProcessInfo
} // namespace orv_public
