#pragma once

#include "TableDefinition.h"

#include <QSqlDatabase>
#include <QStringList>

// Creates the configuration schema from the table definitions, on SQLite, MariaDB or PostgreSQL.
namespace OrvSchema {

// The CREATE statements for one definition, in the connection's dialect.
QStringList createTableStatements(const QSqlDatabase &db, const TableDefinition &def);
// The statements that give the server getAfterFirstDot and getBeforeLastDot (none on SQLite,
// where every connection registers them itself).
QStringList createFunctionStatements(const QSqlDatabase &db);

// Creates every table not yet present (one per table name; later definitions of the same
// table are skipped), its indexes and the text functions. Empty text on success.
QString create(QSqlDatabase &db, const QList<TableDefinition> &defs);
// Drops the tables of the definitions that exist.
QString drop(QSqlDatabase &db, const QList<TableDefinition> &defs);

} // namespace OrvSchema
