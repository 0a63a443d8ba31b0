#pragma once

#include <QStringList>

#include <functional>

typedef struct pg_conn PGconn;

// Reads a statement's rows as texts through COPY, which sends each row as one line: a large
// table comes several times faster than a result of one row at a time made into variants.
namespace PostgresCopy {

struct Outcome
{
    bool taken = false;   // false: nothing was run, the statement is to be read another way
    QString error;        // the server's or the link's words; empty when every row came
    QString code;         // the server's SQLSTATE for the error, where it gave one
    bool timedOut = false; // the server stopped answering within the limit
};

// Hands each row of select to visit (NULL as the empty text), in the statement's order, with
// cells as the server writes texts and whole numbers. A statement with a column of another type
// (whose COPY text differs from what the driver gives) is not taken, nor is one that cannot be
// described. limitSeconds bounds each wait for the server.
Outcome forEachRow(PGconn *conn, const QString &select, int limitSeconds, const std::function<void(const QStringList &)> &visit);

} // namespace PostgresCopy
