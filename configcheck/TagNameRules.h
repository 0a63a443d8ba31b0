#pragma once

#include "CfgCheckTypes.h"

// The tag-name structure rules: each reads its tables once and checks in memory.
namespace CfgCheckRules {

QList<ST_CfgCheckError> checkChannelTagName();
QList<ST_CfgCheckError> checkRtuTagName();
QList<ST_CfgCheckError> checkFesPointTagName(QStringList params);
QList<ST_CfgCheckError> checkFesDataBlockTagName(QStringList params);
QList<ST_CfgCheckError> checkDevGroupTagName();
QList<ST_CfgCheckError> checkDevTagName();
QList<ST_CfgCheckError> checkDevPointTagName(QStringList params);

} // namespace CfgCheckRules
