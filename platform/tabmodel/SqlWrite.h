#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// One write the library executes: its text (with ? for bound values) and what it changes, for
// the checks before it runs and the audit record after it.
struct SqlWrite
{
    enum Kind { Update, Delete, Insert, Other };

    Kind kind = Other;
    QString sql;
    QVariantList values; // bound to the ? of sql, in order
    QString table;
    QString keyColumn; // several key columns joined by ","
    QString key;       // their values joined by ","
    QStringList columns;   // the columns an update sets,
    QStringList newValues; // with their new values
    QStringList oldValues; // and the stored ones, where the writer knows them (else empty)

    // True for statements that must change at least one row to have done what was asked.
    bool changesRows() const { return kind != Other; }
    QString kindName() const;

    // Reads what a statement text changes. The tool's templates ("UPDATE t SET c = 'v' WHERE k = 'x';",
    // "delete from t where k = 'x';") give table, column, key and value; other texts only their kind
    // and table.
    static SqlWrite fromText(const QString &sql);
    static QList<SqlWrite> fromTexts(const QStringList &sqls);
};
