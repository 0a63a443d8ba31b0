#pragma once

#include "CfgCheckTypes.h"
#include "TextSheet.h"

#include <QList>

// Findings of a check as a sheet to export, in the columns model_check's TSV writes.
namespace CheckFindingsSheet {

// Group, item, tag, description, reason of every finding of the groups; an item that could not
// be checked gives one row with its reason.
TextSheet ofGroups(const QList<const ST_CfgCheckType *> &groups);
// Tag, description and reason of one item's findings, as its error list shows them.
TextSheet ofItem(const ST_CfgCheckItem &item);

} // namespace CheckFindingsSheet
