#pragma once

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
// Milliseconds an SQLite statement waits for another connection's lock.
constexpr int SqliteBusyTimeoutMs = 10000;

QString driverName(orv_dbms::EDbType type);
orv_dbms::EDbType typeFromName(const QString &name, bool *ok);

// Opens the named Qt SQL connection (replacing one of that name). Empty text on success,
// else a reason that names the database, host and port and carries the server's text.
QString open(const DbLinkParams &params, const QString &connectionName);
// Opens a copy of an open connection for use on the calling thread.
QString openClone(const QString &sourceConnection, const QString &connectionName);
void close(const QString &connectionName);

// Per-connection set-up every connection needs: on SQLite the dotted-tag text functions.
void prepare(QSqlDatabase &db);

bool isSqlite(const QSqlDatabase &db);
bool isMySql(const QSqlDatabase &db);
bool isPostgres(const QSqlDatabase &db);

// Runs the statements in order in one transaction: all or nothing. Empty text on success,
// else which statement failed and why. progress(n) is called after n statements.
QString executeBatch(QSqlDatabase &db, const QStringList &sqls, const std::function<void(int)> &progress = {});

} // namespace DbConnection
