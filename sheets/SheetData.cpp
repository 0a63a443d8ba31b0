#include "SheetData.h"

QVector<SheetColumn> SheetData::columnsOf(const ColMgrDataList &definition, const QList<int> &which)
{
    QVector<SheetColumn> columns;
    const QList<int> positions = which.isEmpty() ? definition.getShowCol(true) : which;
    for (int col : positions) {
        const ColMgrData &c = definition.at(col);
        columns.append({c.description, c.sqlName, c.kind});
    }
    return columns;
}

QVector<SheetColumn> SheetData::textColumns(const QStringList &descriptions, const QStringList &names)
{
    QVector<SheetColumn> columns;
    for (int i = 0; i < descriptions.size(); ++i)
        columns.append({descriptions.at(i), names.value(i, descriptions.at(i)), ColumnKind()});
    return columns;
}
