#include "SharedSegment.h"

#ifdef Q_OS_UNIX
#include <QFile>

#include <cerrno>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#endif

namespace orv_public {
namespace SharedSegment {

#ifdef Q_OS_UNIX

Status inspect(const QString &nativeKey)
{
    Status status;
    // QSharedMemory derives its System V key from its key file the same way.
    const key_t key = ftok(QFile::encodeName(nativeKey).constData(), 'Q');
    if (key == -1)
        return status;
    const int id = shmget(key, 0, 0);
    if (id == -1) {
        if (errno == ENOENT)
            status.owner = Owner::None;
        return status;
    }
    shmid_ds info;
    if (shmctl(id, IPC_STAT, &info) != 0) {
        // QSharedMemory's segments are readable by their owner: one this user cannot read is
        // not its own.
        if (errno == EACCES)
            status.owner = Owner::OtherUser;
        return status;
    }
    status.owner = info.shm_perm.uid == geteuid() ? Owner::ThisUser : Owner::OtherUser;
    status.size = qint64(info.shm_segsz);
    status.attachments = int(info.shm_nattch);
    return status;
}

#else

Status inspect(const QString &)
{
    return Status();
}

#endif

} // namespace SharedSegment
} // namespace orv_public
