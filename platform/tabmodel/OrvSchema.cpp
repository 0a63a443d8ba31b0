#include "OrvSchema.h"

#include "DbConnection.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString columnSql(const ColMgrData &col)
{
    return col.sqlName + QLatin1Char(' ') + col.sqlType;
}

QString tableOptions(const QSqlDatabase &db)
{
    // Tag names compare case-sensitively, as the checks expect.
    if (DbConnection::isMySql(db))
        return QStringLiteral(" ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin");
    return QString();
}

QString runAll(QSqlDatabase &db, const QStringList &sqls)
{
    QSqlQuery query(db);
    for (const QString &sql : sqls) {
        if (!query.exec(sql))
            return QCoreApplication::translate("OrvSchema", "建表失败: %1\n原因: %2").arg(sql, query.lastError().text());
        query.finish();
    }
    return QString();
}

} // namespace

namespace OrvSchema {

QStringList createTableStatements(const QSqlDatabase &db, const TableDefinition &def)
{
    QStringList parts;
    QStringList keys;
    for (const ColMgrData &col : def.columns) {
        parts.append(columnSql(col));
        if (col.primaryKey)
            keys.append(col.sqlName);
    }
    if (!keys.isEmpty())
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QLatin1Char(','))));

    QStringList sqls;
    sqls.append(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)%3")
                    .arg(def.tableName, parts.join(QLatin1String(", ")), tableOptions(db)));
    for (const ColMgrData &col : def.columns) {
        if (col.indexed)
            sqls.append(QStringLiteral("CREATE INDEX IF NOT EXISTS idx_%1_%2 ON %1 (%2)")
                            .arg(def.tableName.toLower(), col.sqlName.toLower()));
    }
    return sqls;
}

QStringList createFunctionStatements(const QSqlDatabase &db)
{
    if (DbConnection::isMySql(db)) {
        return {
            QStringLiteral("CREATE FUNCTION IF NOT EXISTS getAfterFirstDot(s VARCHAR(1024)) RETURNS VARCHAR(1024) "
                           "CHARSET utf8mb4 DETERMINISTIC "
                           "RETURN CASE WHEN LOCATE('.', s) = 0 THEN '' ELSE SUBSTRING(s, LOCATE('.', s) + 1) END"),
            QStringLiteral("CREATE FUNCTION IF NOT EXISTS getBeforeLastDot(s VARCHAR(1024)) RETURNS VARCHAR(1024) "
                           "CHARSET utf8mb4 DETERMINISTIC "
                           "RETURN CASE WHEN LOCATE('.', s) = 0 THEN '' "
                           "ELSE LEFT(s, CHAR_LENGTH(s) - LOCATE('.', REVERSE(s))) END"),
        };
    }
    if (DbConnection::isPostgres(db)) {
        return {
            QStringLiteral("CREATE OR REPLACE FUNCTION getAfterFirstDot(s text) RETURNS text AS $$ "
                           "SELECT CASE WHEN strpos(s, '.') = 0 THEN '' ELSE substr(s, strpos(s, '.') + 1) END "
                           "$$ LANGUAGE sql IMMUTABLE"),
            QStringLiteral("CREATE OR REPLACE FUNCTION getBeforeLastDot(s text) RETURNS text AS $$ "
                           "SELECT CASE WHEN strpos(s, '.') = 0 THEN '' "
                           "ELSE left(s, length(s) - strpos(reverse(s), '.')) END "
                           "$$ LANGUAGE sql IMMUTABLE"),
        };
    }
    return {};
}

QString create(QSqlDatabase &db, const QList<TableDefinition> &defs)
{
    QStringList sqls;
    QSet<QString> seen;
    for (const TableDefinition &def : defs) {
        const QString key = def.tableName.toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        sqls += createTableStatements(db, def);
    }
    sqls += createFunctionStatements(db);
    return runAll(db, sqls);
}

QString drop(QSqlDatabase &db, const QList<TableDefinition> &defs)
{
    QStringList sqls;
    QSet<QString> seen;
    for (const TableDefinition &def : defs) {
        const QString key = def.tableName.toLower();
        if (!seen.contains(key))
            sqls.append(QStringLiteral("DROP TABLE IF EXISTS %1").arg(def.tableName));
        seen.insert(key);
    }
    return runAll(db, sqls);
}

} // namespace OrvSchema
