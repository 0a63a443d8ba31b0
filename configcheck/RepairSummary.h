#pragma once

#include "SqlWrite.h"

#include <QList>
#include <QString>

// What a repair is about to delete, told per table: how many records and the first few tags.
namespace RepairSummary {

constexpr int TagsShown = 3;

// One line per table, tables in the order of their first deletion:
// "fes_analog（前置模拟量）：2 条 — A, B".
QStringList lines(const QList<SqlWrite> &deletions);

} // namespace RepairSummary
