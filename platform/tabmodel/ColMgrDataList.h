#pragma once

#include "ColumnKind.h"
#include "SqlWrite.h"

#include <QList>
#include <QString>
#include <QStringList>

// One column of a table definition.
struct ColMgrData
{
    QString sqlName;
    QString sqlType;   // as written in the schema, e.g. "varchar(128)", "int", "decimal(12,4)"
    QString valueType; // "Int", "Double" or "String"
    ColumnKind kind;   // what both types together say the column holds
    bool editable = false;
    bool primaryKey = false;
    QString description; // the header text
    bool shown = true;
    bool indexed = false;

    // Why the value cannot be stored in this column, naming column and value; empty when it can.
    QString refusal(const QString &value) const;
    // The guard that the column still holds what was read as this text: an empty text was read
    // from NULL, or in a text column perhaps from ''.
    SqlWrite::Condition stillHolds(const QString &readText) const;
};

// Column descriptors in model-column order.
class ColMgrDataList : public QList<ColMgrData>
{
public:
    // Position of the column, -1 when absent. Names compare case-insensitively, as SQL does.
    int findCol(const QString &sqlName) const;
    QStringList getSqlName() const;
    QStringList getDescList() const;
    // Positions of the shown columns; with all=true every column.
    QList<int> getShowCol(bool all) const;
    QList<int> primaryKeyCols() const;
};
