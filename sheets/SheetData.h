#pragma once

#include "ColMgrDataList.h"
#include "ColumnKind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// One column of a sheet: its two header texts and what it holds, which decides whether a cell
// is written as a number.
struct SheetColumn
{
    QString description; // the first header row
    QString name;        // the second header row, or the only one
    ColumnKind kind;     // text unless a table definition says otherwise
};

// The rows an export writes, read cell by cell so that nothing is copied first.
class SheetData
{
public:
    virtual ~SheetData() = default;

    virtual QVector<SheetColumn> columns() const = 0;
    virtual int rowCount() const = 0;
    // NULL reads as the empty text.
    virtual QString text(int row, int column) const = 0;

    // The given columns of a table definition (all when empty).
    static QVector<SheetColumn> columnsOf(const ColMgrDataList &definition, const QList<int> &which = {});
    // Text columns with these descriptions and names, pairwise.
    static QVector<SheetColumn> textColumns(const QStringList &descriptions, const QStringList &names);
};
