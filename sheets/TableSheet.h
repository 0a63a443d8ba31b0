#pragma once

#include "SheetData.h"
#include "TableDefinition.h"

#include <QStringList>

#include <functional>

// The rows of a table as the database holds them, every column of its definition, in key order.
// Each row is kept as one text with its cells' ends, a fraction of the memory of a cell apiece:
// a table of millions of rows is exported from it.
class TableSheet : public SheetData
{
public:
    // Reads the rows meeting the condition (every row when it is empty) through the link; error
    // says why none could be read. A condition that would make a second statement is refused
    // before anything runs.
    static TableSheet read(const TableDefinition &definition, const QString &condition, QString *error);
    // The rows (every column of the definition) that reader hands to its visitor, in its order;
    // error: the reader's, and no rows with it.
    using Visit = std::function<void(const QStringList &)>;
    static TableSheet collect(const TableDefinition &definition, const std::function<QString(const Visit &)> &reader,
                              QString *error);
    // Every row meeting the condition handed to visit as it is read, every column in key order,
    // NULL as the empty text; why the rows could not be read, or empty. Read through the link,
    // or through the named connection of the calling thread.
    static QString forEachRow(const TableDefinition &definition, const QString &condition,
                              const std::function<void(const QStringList &)> &visit, const QString &connection = QString());

    // Every table the definition files describe, once each, by file name.
    static QList<TableDefinition> definitions();

    QVector<SheetColumn> columns() const override;
    int rowCount() const override;
    QString text(int row, int column) const override;

private:
    static constexpr int RangeRows = 20000;

    explicit TableSheet(const TableDefinition &definition);
    static bool isPrimaryKeyOnMySql(const QString &table, const QString &column, const QString &connection);
    static QString forEachKeyRange(const TableDefinition &definition, const QString &condition, int keyColumn,
                                   const std::function<void(const QStringList &)> &visit, const QString &connection);
    void append(const QStringList &cells);

    QVector<SheetColumn> m_columns;
    QVector<QString> m_rows;   // a row's cells one after another
    QVector<int> m_cellEnds;   // where each cell ends in its row's text, row after row
};
