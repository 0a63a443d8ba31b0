#pragma once

#include "CfgCheckTypes.h"

class orvConfigCheck;

// Links between records, existence and controllability of points, and the permission tables.
namespace CfgCheckRules {

QList<ST_CfgCheckError> checkDevPointLinkFes(orvConfigCheck *engine, QStringList params);
QList<ST_CfgCheckError> checkLink(orvConfigCheck *engine, QStringList params);
QList<ST_CfgCheckError> checkLockParamIsControl(orvConfigCheck *engine, QStringList params);
QList<ST_CfgCheckError> checkPointIsExist(orvConfigCheck *engine, QStringList params);
QList<ST_CfgCheckError> checkAccess(orvConfigCheck *engine);

} // namespace CfgCheckRules
