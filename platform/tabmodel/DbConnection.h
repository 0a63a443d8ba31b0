#pragma once

#include "SqlWrite.h"
#include "TabModelTypes.h"

#include <QSqlDatabase>
#include <QString>
#include <QList>
#include <QMetaType>
#include <QStringList>

#include <functional>

// One database server: a host and its port.
struct DbServer
{
    QString host;
    int port = 0;
};

// How a link to a database server is encrypted.
struct DbTls
{
    enum Mode {
        Off,       // clear text
        Preferred, // encrypted when the server offers it, its certificate unchecked
        Required,  // encrypted or refused; with a CA file the certificate chain is checked
        Verify,    // encrypted, the certificate chain and the host name checked, or refused
    };
    Mode mode = Preferred;
    QString caFile;   // trusted CA certificates; without one, Verify trusts the system's
    QString certFile; // a client certificate, for servers that authenticate clients by it
    QString keyFile;  // its private key

    // "off", "preferred", "required", "verify"
    static QString modeName(Mode mode);
    // As the connection dialog and messages say it: 关闭, 首选, 必需, 验证服务器.
    static QString modeTitle(Mode mode);
    // Letter case ignored; "disabled", "on" and "verify-full" are accepted as well.
    static Mode modeFromName(const QString &name, bool *ok);
    static QString acceptedModeNames();
    // The CA certificates a check trusts: the CA file, else the system's (Verify only).
    QString trustedCaFile() const;
};

// What it takes to open one database link.
struct DbLinkParams
{
    orv_dbms::EDbType type = orv_dbms::DB_MYSQL;
    QString host; // one host, or several "db1,db2", each may carry its port ("db1:3306", "[::1]:5432")
    int port = 0; // the port of the hosts that carry none; 0 is the type's usual port
    QString user;
    QString password;
    QString database; // for SQLite the file path
    DbTls tls;

    QString typeName() const;
    // "velm4100@127.0.0.1:3306 (MySQL)", without the password
    QString describe() const;
    // Equal for two parameters that open the same session (the password included).
    QString identity() const;
    // The servers in the order they are tried (a replicated pair: the primary first).
    QList<DbServer> servers() const;
    // "db1:3306, db2:3307"
    QString serverText() const;
    // port, or the usual port of the type when it is 0
    int serverPort() const;
};

namespace DbConnection {

// Seconds a connection attempt may take before the server is called dead.
constexpr int ConnectTimeoutSeconds = 5;
// Seconds a statement waits for a lock another session holds before it fails (25); tests
// shorten it for the connections they open afterwards.
int lockWaitSeconds();
void setLockWaitSeconds(int seconds);
// Seconds the tool waits for a server's answer before it gives the call up (29): longer than a
// lock wait, so that a lock is reported as such; the server itself ends statements that run
// a little less long.
int responseLimitSeconds();
void setResponseLimitSeconds(int seconds);
// Milliseconds an SQLite statement waits for another connection's lock.
constexpr int SqliteBusyTimeoutMs = 10000;

QString driverName(orv_dbms::EDbType type);
// Accepts the type names and their usual aliases (MariaDB, PostgreSQL, SQLite3), letter case ignored.
orv_dbms::EDbType typeFromName(const QString &name, bool *ok);
// The names typeFromName accepts, for messages.
QString acceptedTypeNames();

// The field of the connection parameters a failed open points at, so that a dialog can say
// which one to correct.
enum class LinkField { None, Type, Server, Credentials, User, Database, Tls };

// Opens the named Qt SQL connection (replacing one of that name) and pins its session. Empty
// text on success, else a sentence naming server, port, database and user, and the driver's
// own text on the next line; field, when given, gets the parameter to blame.
QString open(const DbLinkParams &params, const QString &connectionName, LinkField *field = nullptr);
// Opens the named connection again on the same object, so that queries made on it stay usable:
// after a lost link, and after a failover (the servers are tried again, in order).
QString reopen(const DbLinkParams &params, const QString &connectionName);
void close(const QString &connectionName);
// A connection name no other connection of the process has ("<prefix>_<n>").
QString uniqueName(const QString &prefix);
// The named connection of the calling thread, or the link when the name is empty; not opened.
QSqlDatabase named(const QString &connectionName);
// Runs job over a connection of its own ("<prefix>_<n>"), opened like the link on the calling
// thread and closed after it; why it could not be opened, else what job says.
QString withOwnConnection(const DbLinkParams &params, const QString &prefix, const std::function<QString(const QString &name)> &job);

// The session every connection runs in, whoever opens it: on MariaDB utf8mb4, strict mode,
// backslashes read literally and a lock wait limit; on PostgreSQL standard-conforming strings
// and a lock wait limit; on SQLite the dotted-tag text functions. Empty text on success.
QString prepare(QSqlDatabase &db);

// Whether the error says that the connection to the server is gone (the server restarted, went
// away, or stopped answering), so that the link must be opened again: told by the error's code
// or the state of the connection db, as the driver's words follow the locale.
bool isLinkLost(const QSqlDatabase &db, const QSqlError &error);
// The text of a failed call for the user: a server that did not answer within the response
// limit (timedOut), or that ended a statement running past its limit, is said as such; else
// the driver's text.
QString failureText(const QSqlDatabase &db, bool timedOut, const QSqlError &error);
// The server a connection is on ("db2:5432"; for several hosts the one that answered); the file
// for SQLite.
QString serverInUse(const QSqlDatabase &db);
// "host:port", an IPv6 address in brackets: its own colons would be taken for the port's.
QString serverAddress(const QString &host, const QString &port);

// SQL of the connection's dialect: texts joined, and an ORDER BY term that sorts as QString
// compares texts (by code point, NULL as the empty text, trailing blanks counted).
QString concat(const QSqlDatabase &db, const QStringList &parts);
// "a = b" only for the same texts, and the empty text not for blanks: MariaDB's collations take
// texts that differ by trailing blanks for equal. The statement as it is to run: MariaDB's cache
// of a subquery's results keys them by outer values compared the same way.
QString sameText(const QSqlDatabase &db, const QString &a, const QString &b);
QString isEmptyText(const QSqlDatabase &db, const QString &expression);
QString withExactSubqueries(const QSqlDatabase &db, const QString &statement);
QString textOrder(const QSqlDatabase &db, const QString &expression);
// "expression LIKE ?" with letter case ignored the database's way, whatever the column's collation.
QString likeIgnoringCase(const QSqlDatabase &db, const QString &expression);

// Something that stops the statement the connection (opened with params) is running, callable
// from another thread and returning at once: SQLite is interrupted, a server is asked to cancel
// it over a connection of the stopper's own (StatementStopper); sent is called once that is done.
// Empty when there is none.
std::function<void()> statementCanceller(const QSqlDatabase &db, const DbLinkParams &params, const std::function<void()> &sent);

// Hands each row of the statement (cells as texts, NULL as the empty text) to visit, in its
// order, through the database's own interface where it reads faster than Qt's variants: SQLite's,
// and PostgreSQL's COPY for columns of texts and whole numbers. Says whether it did (error: why it
// failed, or empty); false: nothing was run, the statement is to be read through Qt.
bool forEachTextRow(const QSqlDatabase &db, const QString &sql, const std::function<void(const QStringList &)> &visit,
                    QString *error);

// The server's own estimate of a table's rows, which it keeps without counting (MariaDB); -1
// where there is none or it cannot be read.
int estimatedRows(const QSqlDatabase &db, const QString &table);

// The TLS protocol of an encrypted server connection ("TLSv1.3"); empty when it is not encrypted.
QString tlsProtocol(const QSqlDatabase &db);

bool isSqlite(const QSqlDatabase &db);
bool isMySql(const QSqlDatabase &db);
bool isPostgres(const QSqlDatabase &db);

struct BatchResult
{
    QString error;        // empty on success
    int failedIndex = -1; // the statement that failed; -1 when none (or the transaction never began)
    QString failedColumn; // the column whose value was refused
    bool changedNothing = false; // it ran, but changed no row
    int rowsChanged = 0;  // by all writes together, when committed
    bool linkLost = false; // the connection was gone
    bool timedOut = false; // because the server did not answer in time
    bool begun = false;    // the transaction had begun: something may have reached the server
};

// Runs the writes in order in one transaction: all or nothing. A write that must change rows
// (update, delete, insert) and changed none fails the batch. progress(n) is called after n writes.
BatchResult executeBatch(QSqlDatabase &db, const QList<SqlWrite> &writes,
                         const std::function<void(int)> &progress = {});

} // namespace DbConnection

Q_DECLARE_METATYPE(DbConnection::BatchResult)
