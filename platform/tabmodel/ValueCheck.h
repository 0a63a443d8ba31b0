#pragma once

#include "ColMgrDataList.h"

#include <QString>

namespace orv_value {

// Why the value cannot be stored in the column (its value type "Int"/"Double" and its SQL type:
// integer range, decimal digits, text length); empty when it can. The same rule holds on every
// database, so that none of them stores a changed value silently.
QString refusal(const ColMgrData &column, const QString &value);

} // namespace orv_value
