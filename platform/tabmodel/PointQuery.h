#pragma once

#include "DbRows.h"
#include "PointCatalogue.h"

#include <QString>
#include <QStringList>

// The point reads of the library's widgets: the back-stage point browser's location / device
// group / device tree, the points of a device or of a search and the front-end points they are
// linked to; a front-end point's RTU for the drop onto the link pages. Each gives its rows, or
// why there are none.
namespace PointQuery {

// Rows (description, location id), by id.
DbRows locations();
// Rows (description, tag) of the device groups of a location, or of the devices of a group, by tag.
DbRows deviceGroups(const QString &location);
DbRows devices(const QString &group);
// Rows (tag, description) of a type's points of a device, or whose tag or description holds the
// text (taken literally), by tag; at most limit rows.
DbRows devicePoints(const PointCatalogue::PointType &type, const QString &device, int limit);
DbRows matchingPoints(const PointCatalogue::PointType &type, const QString &text, int limit);
// Rows (point key, front-end tag) of the links of the given point keys ("<table>.<tag>").
DbRows linkedFesPoints(const PointCatalogue::PointType &type, const QStringList &keys);
// Rows (RTU tag, location, subsystem) of a front-end point.
DbRows fesPointPlace(const QString &fesTable, const QString &tag);
// Rows (location, subsystem of its device; its RTU tag) of a back-stage point.
DbRows backPointPlace(const QString &backTable, const QString &tag);
// Rows (point key, description) of the links to a front-end point other than the one of key.
DbRows otherLinks(const QString &mapTable, const QString &fesTag, const QString &key);

} // namespace PointQuery
