#include "TableSheet.h"

#include "InstallRoot.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "SqlText.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>

TableSheet::TableSheet(const TableDefinition &definition, const DbRows &rows)
    : m_columns(columnsOf(definition.columns))
    , m_rows(rows)
{
}

DbRows TableSheet::read(const TableDefinition &definition, const QString &condition)
{
    const QString sql = definition.selectStatement(condition.trimmed());
    if (!orv_sql::isSingleStatement(sql)) {
        DbRows refused;
        refused.sql = sql;
        refused.error = QCoreApplication::translate("TableSheet", "条件不能含有分号、注释或第二条语句: %1").arg(condition);
        return refused;
    }
    return OrvDbDesign().rows(sql);
}

QString TableSheet::forEachRow(const TableDefinition &definition, const std::function<void(const QStringList &)> &visit)
{
    return OrvDbDesign().forEachRow(definition.selectStatement(QString()), visit);
}

QList<TableDefinition> TableSheet::definitions()
{
    QList<TableDefinition> found;
    QSet<QString> tables;
    const QStringList files = QDir(InstallRoot::tablesDir()).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const TableDefinition def = OrvTableDataMgr::getInstance()->definition(file);
        if (def.isValid() && !tables.contains(def.tableName.toLower())) {
            tables.insert(def.tableName.toLower());
            found.append(def);
        }
    }
    return found;
}

QVector<SheetColumn> TableSheet::columns() const
{
    return m_columns;
}

int TableSheet::rowCount() const
{
    return m_rows.size();
}

QString TableSheet::text(int row, int column) const
{
    return m_rows.text(row, column);
}
