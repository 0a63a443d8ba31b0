#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>

// The rows of a query together with its failure, so that a read that failed is never taken
// for "no rows".
struct DbRows
{
    QVector<QVariantList> rows; // NULL as a null QVariant
    QString error;              // empty when the query ran
    QString sql;                // the statement, for messages
    bool linkDown = false;      // the server could not be reached, or the connection went: a
                                // server that restarts answers the same read a moment later

    bool ok() const { return error.isEmpty(); }
    int size() const { return rows.size(); }
    // NULL reads as the empty text.
    QString text(int row, int column) const { return rows.value(row).value(column).toString(); }
};

// A query with the values bound to its ?, in order.
struct SqlStatement
{
    QString sql;
    QVariantList values;
};
