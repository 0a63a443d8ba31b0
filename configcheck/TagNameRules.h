#pragma once

#include "CfgCheckTypes.h"

// The tag-name structure rules: each reads its tables once and checks in memory.
namespace CfgCheckRules {

ST_CfgCheckResult checkChannelTagName();
ST_CfgCheckResult checkRtuTagName();
ST_CfgCheckResult checkFesPointTagName(QStringList params);
ST_CfgCheckResult checkFesDataBlockTagName(QStringList params);
ST_CfgCheckResult checkDevGroupTagName();
ST_CfgCheckResult checkDevTagName();
ST_CfgCheckResult checkDevPointTagName(QStringList params);

} // namespace CfgCheckRules
