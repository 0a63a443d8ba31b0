#pragma once

#include "DbRows.h"
#include "SheetData.h"
#include "TableDefinition.h"

#include <functional>

// The rows of a table as the database holds them, every column of its definition, in key order.
class TableSheet : public SheetData
{
public:
    TableSheet(const TableDefinition &definition, const DbRows &rows);

    // Reads the rows meeting the condition (every row when it is empty) through the link; the
    // rows' error says why none could be read. A condition that would make a second statement
    // is refused before anything runs.
    static DbRows read(const TableDefinition &definition, const QString &condition = QString());
    // Every row handed to visit as it is read, every column in key order, NULL as the empty
    // text; why the rows could not be read, or empty.
    static QString forEachRow(const TableDefinition &definition, const std::function<void(const QStringList &)> &visit);

    // Every table the definition files describe, once each, by file name.
    static QList<TableDefinition> definitions();

    QVector<SheetColumn> columns() const override;
    int rowCount() const override;
    QString text(int row, int column) const override;

private:
    QVector<SheetColumn> m_columns;
    DbRows m_rows;
};
