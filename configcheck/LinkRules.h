#pragma once

#include "CfgCheckTypes.h"

class orvConfigCheck;

// Links between records, existence and controllability of points. The lookups behind each
// source row are read in bulk and decided in memory.
namespace CfgCheckRules {

ST_CfgCheckResult checkDevPointLinkFes(orvConfigCheck *engine, QStringList params);
ST_CfgCheckResult checkLink(orvConfigCheck *engine, QStringList params);
ST_CfgCheckResult checkLockParamIsControl(orvConfigCheck *engine, QStringList params);
ST_CfgCheckResult checkPointIsExist(orvConfigCheck *engine, QStringList params);

} // namespace CfgCheckRules
