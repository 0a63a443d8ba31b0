#pragma once

#include "DbRows.h"

#include <QString>

// The location -> subsystem -> RTU -> device lists of the two batch editors and the front-end
// point search. Every list is rows of (shown text, data), in result order, or why there are none.
class PointCascade
{
public:
    // Selection-list data standing for "所有" (all).
    static const QString AllData;

    static DbRows locations();
    // Without the subsystems 1, 2 and 3, which no tool dialog offers.
    static DbRows subsystems();

    // The back-stage editor: device groups and RTUs of a location's subsystem; the devices of a
    // group, or of the location's subsystem when the group is AllData.
    static DbRows deviceGroups(const QString &location, const QString &subsystem);
    static DbRows backRtus(const QString &location, const QString &subsystem);
    static DbRows groupDevices(const QString &group, const QString &location, const QString &subsystem);

    // The front-end editor: RTUs of a subsystem at a location (AllData: at every location); devices
    // of an RTU, or of every RTU when the RTU is AllData.
    static DbRows fesRtus(const QString &location, const QString &subsystem);
    static DbRows fesDevices(const QString &rtu, const QString &location, const QString &subsystem);

    // The point search: RTUs of a location's subsystem by number, the devices of an RTU, the
    // points of a device in a front-end table by point number.
    static DbRows searchRtus(const QString &location, const QString &subsystem);
    static DbRows rtuDevices(const QString &rtu);
    static DbRows devicePoints(const QString &fesTable, const QString &device);
};
