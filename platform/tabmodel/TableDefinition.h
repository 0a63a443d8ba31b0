#pragma once

#include "ColMgrDataList.h"

#include <QList>
#include <QString>

// A table definition file: <tableDefinition name=".." desc=".."> with one <column> per column.
struct TableDefinition
{
    QString fileName;  // e.g. "FES_ANALOG.xml"
    QString tableName; // e.g. "fes_analog"
    QString description;
    ColMgrDataList columns;

    bool isValid() const { return !tableName.isEmpty() && !columns.isEmpty(); }
    // Every column of the rows meeting the condition (all rows when empty), in key order.
    QString selectStatement(const QString &condition = QString()) const;

    // Reads one file; on failure returns an invalid definition and sets error.
    static TableDefinition readFile(const QString &path, QString *error);
    // Every *.xml of a directory, sorted by file name; unreadable files are reported in errors.
    static QList<TableDefinition> readDirectory(const QString &dir, QStringList *errors);
};
