#include "TableSheet.h"

#include "DbConnection.h"
#include "InstallRoot.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "SqlText.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>

TableSheet::TableSheet(const TableDefinition &definition)
    : m_columns(columnsOf(definition.columns))
{
}

TableSheet TableSheet::read(const TableDefinition &definition, const QString &condition, QString *error)
{
    return collect(definition, [&](const Visit &visit) { return forEachRow(definition, condition, visit); }, error);
}

TableSheet TableSheet::collect(const TableDefinition &definition, const std::function<QString(const Visit &)> &reader,
                               QString *error)
{
    TableSheet sheet(definition);
    *error = reader([&sheet](const QStringList &cells) { sheet.append(cells); });
    if (!error->isEmpty())
        return TableSheet(definition);
    sheet.m_rows.squeeze();
    sheet.m_cellEnds.squeeze();
    return sheet;
}

QString TableSheet::forEachRow(const TableDefinition &definition, const QString &condition,
                               const std::function<void(const QStringList &)> &visit, const QString &connection)
{
    const QString sql = definition.selectStatement(condition.trimmed());
    if (!orv_sql::isSingleStatement(sql))
        return QCoreApplication::translate("TableSheet", "条件不能含有分号、注释或第二条语句: %1").arg(condition);
    // Whole, so that nothing placed after it can be taken into it: "a) OR (b" would be.
    if (!orv_sql::isOneCondition(condition))
        return QCoreApplication::translate("TableSheet", "条件中的括号不成对: %1").arg(condition);
    const QList<int> keys = definition.columns.primaryKeyCols();
    if (keys.size() == 1 && DbConnection::isMySql(DbConnection::named(connection))
        && isPrimaryKeyOnMySql(definition.tableName, definition.columns.at(keys.first()).sqlName, connection))
        return forEachKeyRange(definition, condition.trimmed(), keys.first(), visit, connection);
    return OrvDbDesign(connection).forEachRow(sql, {}, visit);
}

bool TableSheet::isPrimaryKeyOnMySql(const QString &table, const QString &column, const QString &connection)
{
    // Ranges after the last key read skip a row whose key another row has too: only a key the
    // database holds unique and never NULL is read so. A site's table may have none.
    const DbRows key = OrvDbDesign(connection).rows(QStringLiteral("SELECT COLUMN_NAME FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() "
                                                         "AND TABLE_NAME = ? AND INDEX_NAME = 'PRIMARY'"),
                                          {table});
    return key.ok() && key.size() == 1 && key.text(0, 0).compare(column, Qt::CaseInsensitive) == 0;
}

QString TableSheet::forEachKeyRange(const TableDefinition &definition, const QString &condition, int keyColumn,
                                    const std::function<void(const QStringList &)> &visit, const QString &connection)
{
    // MariaDB's driver holds a statement's whole answer, and the link lets a statement run for
    // less than millions of rows take: a range of the key's index at a time after the last read.
    const QString key = definition.columns.at(keyColumn).sqlName;
    // Every range sees the table as the first did, as one statement would have: InnoDB gives a
    // transaction one view of the data.
    QSqlDatabase link = DbConnection::named(connection);
    const bool oneView = link.transaction();
    const auto ended = [&link, oneView](const QString &error) {
        if (oneView)
            link.rollback();
        return error;
    };
    QString last, previous;
    int read = RangeRows;
    for (bool first = true; read == RangeRows; first = false) {
        QStringList conditions;
        if (!condition.isEmpty())
            conditions.append(QStringLiteral("(%1)").arg(condition));
        if (!first)
            conditions.append(key + QStringLiteral(" > ?"));
        const QString where = conditions.join(QStringLiteral(" AND "));
        read = 0;
        const QString error = OrvDbDesign(connection).forEachRow(definition.selectStatement(where) + QStringLiteral(" LIMIT %1").arg(RangeRows),
                                                       first ? QVariantList() : QVariantList{last}, [&](const QStringList &cells) {
                                                           ++read;
                                                           last = cells.at(keyColumn);
                                                           visit(cells);
                                                       });
        if (!error.isEmpty())
            return ended(error);
        if (!first && read == RangeRows && last == previous)
            return ended(QCoreApplication::translate("TableSheet", "表 %1 无法按关键字 %2 分段读取：读到 %3 后没有前进").arg(definition.tableName, key, last));
        previous = last;
    }
    return ended(QString());
}

void TableSheet::append(const QStringList &cells)
{
    QString row;
    int length = 0;
    for (const QString &cell : cells)
        length += cell.size();
    row.reserve(length);
    for (int c = 0; c < m_columns.size(); ++c) {
        row += cells.value(c);
        m_cellEnds.append(row.size());
    }
    m_rows.append(row);
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
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return QString();
    const int first = row * m_columns.size();
    const int start = column == 0 ? 0 : m_cellEnds.at(first + column - 1);
    return m_rows.at(row).mid(start, m_cellEnds.at(first + column) - start);
}
