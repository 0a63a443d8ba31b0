#pragma once

#include <QString>
#include <QtGlobal>

// What the system says about the segment QSharedMemory keeps under a native key, without
// attaching to it. Known where QSharedMemory uses System V segments; elsewhere every answer
// is Owner::Unknown.
namespace orv_public {
namespace SharedSegment {

enum class Owner { Unknown, None, ThisUser, OtherUser };

struct Status
{
    Owner owner = Owner::Unknown; // None: no segment under the key
    qint64 size = 0;
    int attachments = 0;
};

Status inspect(const QString &nativeKey);

} // namespace SharedSegment
} // namespace orv_public
