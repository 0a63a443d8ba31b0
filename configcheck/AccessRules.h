#pragma once

#include "CfgCheckTypes.h"

class orvConfigCheck;

// The permission tables: what the first user group must hold.
namespace CfgCheckRules {

ST_CfgCheckResult checkAccess(orvConfigCheck *engine);
// The table definitions checkAccess opens; a sub-check whose definition is missing reports nothing.
QStringList accessDefinitions();

} // namespace CfgCheckRules
