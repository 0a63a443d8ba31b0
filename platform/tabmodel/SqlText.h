#pragma once

#include <QString>
#include <QStringList>

namespace orv_sql {

// A value to be placed between single quotes in an SQL text: its quotes are doubled.
QString escaped(const QString &value);
// The value escaped and enclosed in single quotes.
QString quoted(const QString &value);
// Values quoted and joined by "," (for IN lists).
QString quotedList(const QStringList &values);

} // namespace orv_sql
