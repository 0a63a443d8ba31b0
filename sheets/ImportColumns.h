#pragma once

#include "CsvFile.h"
#include "TableDefinition.h"

#include <QStringList>
#include <QVector>

// Which column of a table each field of a file holds, read from the file's header: a column's
// name (letter case ignored) or its description. A second header row of names, as the tool's
// own export writes below the descriptions, is recognised and passed over.
struct ImportColumns
{
    QVector<int> ofField;  // per field of a record: the definition's column, -1 for none
    int headerRows = 0;    // records before the first data record
    QStringList unknown;   // header texts that name no column; their fields are left out
    QString error;         // why the file cannot go into the table at all

    bool ok() const { return error.isEmpty(); }

    static ImportColumns match(const TableDefinition &definition, const QVector<CsvRecord> &records);
};
