#pragma once

#include "CfgCheckTypes.h"

// Links that are made but point the wrong way: a front-end point that several back-stage points
// take their value from, and a link between a point and a front-end point of another location or
// subsystem.
namespace CfgCheckRules {

// Parameters: the link table (analog_map_to_fes), the front-end table (fes_analog).
ST_CfgCheckResult checkFesLinkedTwice(QStringList params);
// Parameters: the link table, the back-stage table (analog), the front-end table.
ST_CfgCheckResult checkLinkAcrossPlaces(QStringList params);

} // namespace CfgCheckRules
