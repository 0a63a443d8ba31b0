#pragma once

#include "DbRows.h"

#include <QStringList>

// What speaks against linking a back-stage point to a front-end point, said before the link is
// made: the front-end point sits at another location, in another subsystem or on another RTU than
// the point's device, or another back-stage point takes its value already.
namespace FesLinkWarnings {

// pointKey is the link row's key ("analog.<tag>"); fesPlace the front-end point's row of
// PointQuery::fesPointPlace. One sentence a warning; a read that failed is said in error, and
// then there are no warnings.
QStringList of(const QString &mapTable, const QString &pointKey, const QString &fesTag, const DbRows &fesPlace,
               QString *error);

} // namespace FesLinkWarnings
