#pragma once

#include "SqlWrite.h"
#include "TabModelTypes.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// What it takes to open one database link.
struct DbLinkParams
{
    orv_dbms::EDbType type = orv_dbms::DB_MYSQL;
    QString host;
    int port = 0;
    QString user;
    QString password;
    QString database; // for SQLite the file path

    QString typeName() const;
    // "velm4100@127.0.0.1:3306 (MySQL)", without the password
    QString describe() const;
};

namespace DbConnection {

// Seconds a connection attempt may take before the server is called dead.
constexpr int ConnectTimeoutSeconds = 5;
// Seconds a statement waits for a lock another session holds before it fails (30); tests
// shorten it for the connections they open afterwards.
int lockWaitSeconds();
void setLockWaitSeconds(int seconds);
// Milliseconds an SQLite statement waits for another connection's lock.
constexpr int SqliteBusyTimeoutMs = 10000;

QString driverName(orv_dbms::EDbType type);
// Accepts the type names and their usual aliases (MariaDB, PostgreSQL, SQLite3), letter case ignored.
orv_dbms::EDbType typeFromName(const QString &name, bool *ok);
// The names typeFromName accepts, for messages.
QString acceptedTypeNames();

// Opens the named Qt SQL connection (replacing one of that name) and pins its session. Empty
// text on success, else a sentence naming server, port, database and user, and the driver's
// own text on the next line.
QString open(const DbLinkParams &params, const QString &connectionName);
// Opens a copy of an open connection for use on the calling thread.
QString openClone(const QString &sourceConnection, const QString &connectionName);
void close(const QString &connectionName);

// The session every connection runs in, whoever opens it: on MariaDB utf8mb4, strict mode,
// backslashes read literally and a lock wait limit; on PostgreSQL standard-conforming strings
// and a lock wait limit; on SQLite the dotted-tag text functions. Empty text on success.
QString prepare(QSqlDatabase &db);

bool isSqlite(const QSqlDatabase &db);
bool isMySql(const QSqlDatabase &db);
bool isPostgres(const QSqlDatabase &db);

struct BatchResult
{
    QString error;        // empty on success
    int failedIndex = -1; // the statement that failed
    bool changedNothing = false; // it ran, but changed no row
    int rowsChanged = 0;  // by all writes together, when committed
};

// Runs the writes in order in one transaction: all or nothing. A write that must change rows
// (update, delete, insert) and changed none fails the batch. progress(n) is called after n writes.
BatchResult executeBatch(QSqlDatabase &db, const QList<SqlWrite> &writes,
                         const std::function<void(int)> &progress = {});

} // namespace DbConnection
