#include "DbConnection.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <atomic>

namespace {

struct TypeName
{
    orv_dbms::EDbType type;
    const char *name;
    const char *driver;
};

const TypeName kTypes[] = {
    {orv_dbms::DB_ORACLE, "Oracle", "QOCI"},
    {orv_dbms::DB_MYSQL, "MySQL", "QMYSQL"},
    {orv_dbms::DB_OPENGAUSS, "OpenGauss", "QPSQL"},
    {orv_dbms::DB_KINGBASE, "KingBase", "QPSQL"},
    {orv_dbms::DB_SQLITE, "SQLite", "QSQLITE"},
};

struct TypeAlias
{
    const char *name;
    orv_dbms::EDbType type;
};

const TypeAlias kAliases[] = {
    {"MariaDB", orv_dbms::DB_MYSQL},
    {"PostgreSQL", orv_dbms::DB_OPENGAUSS},
    {"Postgres", orv_dbms::DB_OPENGAUSS},
    {"SQLite3", orv_dbms::DB_SQLITE},
};

const TypeName *findType(orv_dbms::EDbType type)
{
    for (const TypeName &t : kTypes)
        if (t.type == type)
            return &t;
    return nullptr;
}

// The text after the first '.' / before the last '.'; a text without a dot gives ''.
void sqliteAfterFirstDot(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(ctx);
        return;
    }
    const char *dot = strchr(text, '.');
    sqlite3_result_text(ctx, dot ? dot + 1 : "", -1, SQLITE_TRANSIENT);
}

void sqliteBeforeLastDot(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(ctx);
        return;
    }
    const char *dot = strrchr(text, '.');
    sqlite3_result_text(ctx, text, dot ? int(dot - text) : 0, SQLITE_TRANSIENT);
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

QString registerSqliteFunctions(QSqlDatabase &db)
{
    sqlite3 *sqlite = sqliteHandle(db);
    if (!sqlite)
        return QStringLiteral("无法取得SQLite连接句柄");
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(sqlite, "getAfterFirstDot", 1, flags, nullptr, sqliteAfterFirstDot, nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_create_function_v2(sqlite, "getBeforeLastDot", 1, flags, nullptr, sqliteBeforeLastDot, nullptr, nullptr, nullptr) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(sqlite));
    return QString();
}

QString connectOptions(const DbLinkParams &params)
{
    switch (params.type) {
    case orv_dbms::DB_MYSQL:
        // Found rows, not changed rows: an update that stores an unchanged value still found its row.
        return QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=600;MYSQL_OPT_WRITE_TIMEOUT=600;"
                              "CLIENT_FOUND_ROWS")
            .arg(DbConnection::ConnectTimeoutSeconds);
    case orv_dbms::DB_OPENGAUSS:
    case orv_dbms::DB_KINGBASE:
        // Pinned from the first statement on: the driver learns at connection time whether the
        // server reads backslashes as escapes, and escapes the values it binds accordingly.
        return QStringLiteral("connect_timeout=%1;options='-cclient_min_messages=warning -cstandard_conforming_strings=on'")
            .arg(DbConnection::ConnectTimeoutSeconds);
    case orv_dbms::DB_SQLITE:
        return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(DbConnection::SqliteBusyTimeoutMs);
    default:
        return QString();
    }
}

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text;
}

// The driver's text on one line, without libpq's tabs and line breaks.
QString driverLine(const QSqlError &error)
{
    return errorText(error).simplified();
}

bool mentions(const QString &text, std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (text.contains(QLatin1String(w), Qt::CaseInsensitive))
            return true;
    return false;
}

// Why a server link failed, as a sentence naming what failed.
QString linkFailureSentence(const DbLinkParams &p, const QSqlError &error)
{
    const QString text = errorText(error);
    const QString code = error.nativeErrorCode();
    const QString server = QStringLiteral("%1:%2").arg(p.host).arg(p.port);
    if (code == QLatin1String("1045") || mentions(text, {"password authentication failed", "authentication failed"}))
        return QObject::tr("数据库服务器 %1 拒绝了用户 %2 的登录：用户名或密码错误").arg(server, p.user);
    if (code == QLatin1String("1044"))
        return QObject::tr("用户 %1 无权访问数据库服务器 %2 上的数据库 %3").arg(p.user, server, p.database);
    if (code == QLatin1String("1049") || (mentions(text, {"database"}) && mentions(text, {"does not exist"})))
        return QObject::tr("数据库服务器 %1 上不存在数据库 %2").arg(server, p.database);
    if (mentions(text, {"role"}) && mentions(text, {"does not exist"}))
        return QObject::tr("数据库服务器 %1 上不存在用户 %2").arg(server, p.user);
    if (code == QLatin1String("2005") || mentions(text, {"could not translate host name", "Unknown server host", "Unknown host"}))
        return QObject::tr("找不到数据库服务器地址 %1").arg(p.host);
    if (code == QLatin1String("2002") || code == QLatin1String("2003")
        || mentions(text, {"Connection refused", "could not connect", "Can't connect", "timeout expired", "timed out"}))
        return QObject::tr("无法连接到数据库服务器 %1（服务器未启动、地址或端口错误，或网络不通）").arg(server);
    return QObject::tr("无法打开数据库服务器 %1 上的数据库 %2（用户 %3）").arg(server, p.database, p.user);
}

QString linkFailure(const DbLinkParams &p, const QSqlError &error)
{
    const QString sentence = p.type == orv_dbms::DB_SQLITE
        ? QObject::tr("无法打开SQLite数据库文件 %1").arg(p.database)
        : linkFailureSentence(p, error);
    return sentence + QLatin1Char('\n') + QObject::tr("驱动信息：%1").arg(driverLine(error));
}

// Runs one statement of the session set-up. Empty text on success.
QString runSetting(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return QString();
    return QObject::tr("无法设置数据库会话(%1)：%2").arg(sql, errorText(query.lastError()));
}

QString prepareMySql(QSqlDatabase &db)
{
    const QString sqls[] = {
        QStringLiteral("SET NAMES utf8mb4 COLLATE utf8mb4_bin"),
        // Quotes are escaped by doubling them, so a backslash must stay an ordinary character;
        // a value that does not fit its column is an error, never silently changed.
        QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_BACKSLASH_ESCAPES,NO_ENGINE_SUBSTITUTION,"
                       "ERROR_FOR_DIVISION_BY_ZERO,NO_ZERO_DATE,NO_ZERO_IN_DATE'"),
        QStringLiteral("SET SESSION innodb_lock_wait_timeout = %1, lock_wait_timeout = %1").arg(DbConnection::lockWaitSeconds()),
    };
    for (const QString &sql : sqls) {
        const QString error = runSetting(db, sql);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

QString preparePostgres(QSqlDatabase &db)
{
    // Without it a backslash before a doubled quote would end the quoted value.
    QString error = runSetting(db, QStringLiteral("SET standard_conforming_strings = on"));
    if (error.isEmpty())
        error = runSetting(db, QStringLiteral("SET client_encoding = 'UTF8'"));
    if (!error.isEmpty())
        return error;
    // Servers of the family name the lock wait limit differently; one of them will do.
    if (!runSetting(db, QStringLiteral("SET lock_timeout = '%1s'").arg(DbConnection::lockWaitSeconds())).isEmpty())
        runSetting(db, QStringLiteral("SET lockwait_timeout = %1").arg(DbConnection::lockWaitSeconds() * 1000));
    return QString();
}

// Runs one write and counts the rows it changed.
class StatementRunner
{
public:
    explicit StatementRunner(QSqlDatabase &db) : m_query(db), m_sqlite(sqliteHandle(db)) {}

    // Empty text on success; rows receives the number of rows changed.
    QString run(const QString &sql, const QVariantList &values, int *rows)
    {
        // On SQLite the handle is used directly: Qt's per-statement bookkeeping would
        // otherwise cost more than the statement itself.
        return m_sqlite ? runSqlite(sql, values, rows) : runQt(sql, values, rows);
    }

private:
    QString runQt(const QString &sql, const QVariantList &values, int *rows)
    {
        bool ok = false;
        if (values.isEmpty()) {
            m_prepared.clear();
            ok = m_query.exec(sql);
        } else if (prepared(sql)) {
            for (int i = 0; i < values.size(); ++i)
                m_query.bindValue(i, values.at(i));
            ok = m_query.exec();
        }
        const QString reason = ok ? QString() : errorText(m_query.lastError());
        *rows = ok ? m_query.numRowsAffected() : 0;
        m_query.finish();
        return reason;
    }

    // A batch repeats one statement shape row after row: prepared once on the server, not per row.
    bool prepared(const QString &sql)
    {
        if (sql != m_prepared)
            m_prepared = m_query.prepare(sql) ? sql : QString();
        return !m_prepared.isEmpty();
    }

    QString runSqlite(const QString &sql, const QVariantList &values, int *rows)
    {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_sqlite, text.constData(), text.size(), &stmt, nullptr) != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(m_sqlite));
        for (int i = 0; i < values.size(); ++i)
            bindSqlite(stmt, i + 1, values.at(i));
        int rc = SQLITE_ROW;
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(stmt);
        const QString reason = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_sqlite));
        sqlite3_finalize(stmt);
        *rows = reason.isEmpty() ? sqlite3_changes(m_sqlite) : 0;
        return reason;
    }

    static void bindSqlite(sqlite3_stmt *stmt, int index, const QVariant &value)
    {
        if (value.isNull()) {
            sqlite3_bind_null(stmt, index);
            return;
        }
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), text.size(), SQLITE_TRANSIENT);
    }

    QSqlQuery m_query;
    QString m_prepared;
    sqlite3 *m_sqlite;
};

} // namespace

QString DbLinkParams::typeName() const
{
    const TypeName *t = findType(type);
    return t ? QString::fromLatin1(t->name) : QStringLiteral("类型%1").arg(int(type));
}

QString DbLinkParams::describe() const
{
    if (type == orv_dbms::DB_SQLITE)
        return QStringLiteral("%1 (SQLite)").arg(database);
    return QStringLiteral("%1@%2:%3 (%4)").arg(database, host).arg(port).arg(typeName());
}

namespace DbConnection {

namespace {
std::atomic<int> g_lockWaitSeconds{30};
}

int lockWaitSeconds()
{
    return g_lockWaitSeconds.load();
}

void setLockWaitSeconds(int seconds)
{
    g_lockWaitSeconds = seconds;
}

QString driverName(orv_dbms::EDbType type)
{
    const TypeName *t = findType(type);
    return t ? QString::fromLatin1(t->driver) : QString();
}

orv_dbms::EDbType typeFromName(const QString &name, bool *ok)
{
    const QString wanted = name.trimmed();
    auto found = [ok](orv_dbms::EDbType type) {
        if (ok)
            *ok = true;
        return type;
    };
    for (const TypeName &t : kTypes)
        if (wanted.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return found(t.type);
    for (const TypeAlias &a : kAliases)
        if (wanted.compare(QLatin1String(a.name), Qt::CaseInsensitive) == 0)
            return found(a.type);
    if (ok)
        *ok = false;
    return orv_dbms::DB_MYSQL;
}

QString acceptedTypeNames()
{
    QStringList names;
    for (const TypeName &t : kTypes)
        names.append(QLatin1String(t.name));
    for (const TypeAlias &a : kAliases)
        names.append(QLatin1String(a.name));
    return names.join(QStringLiteral(", "));
}

QString open(const DbLinkParams &params, const QString &connectionName)
{
    close(connectionName);
    const QString driver = driverName(params.type);
    if (driver.isEmpty())
        return QObject::tr("不支持的数据库类型代码 %1").arg(int(params.type));
    if (!QSqlDatabase::isDriverAvailable(driver))
        return QObject::tr("无法连接%1数据库 %2: 缺少Qt数据库驱动 %3 (已安装的驱动: %4)")
            .arg(params.typeName(), params.describe(), driver, QSqlDatabase::drivers().join(QLatin1Char(' ')));
    if (params.type == orv_dbms::DB_SQLITE && !QFileInfo(params.database).isFile())
        return QObject::tr("数据库文件不存在: %1").arg(params.database);

    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, connectionName);
        db.setDatabaseName(params.database);
        if (params.type != orv_dbms::DB_SQLITE) {
            db.setHostName(params.host);
            db.setPort(params.port);
            db.setUserName(params.user);
            db.setPassword(params.password);
        }
        db.setConnectOptions(connectOptions(params));
        if (db.open())
            failure = prepare(db);
        else
            failure = linkFailure(params, db.lastError());
    }
    if (!failure.isEmpty())
        close(connectionName);
    return failure;
}

QString openClone(const QString &sourceConnection, const QString &connectionName)
{
    close(connectionName);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::cloneDatabase(sourceConnection, connectionName);
        if (!db.isValid())
            failure = QObject::tr("没有可用的数据库连接");
        else if (db.open())
            failure = prepare(db);
        else
            failure = QObject::tr("无法打开数据库连接 %1: %2").arg(db.databaseName(), errorText(db.lastError()));
    }
    if (!failure.isEmpty())
        close(connectionName);
    return failure;
}

void close(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

QString prepare(QSqlDatabase &db)
{
    if (isMySql(db))
        return prepareMySql(db);
    if (isPostgres(db))
        return preparePostgres(db);
    if (isSqlite(db))
        return registerSqliteFunctions(db);
    return QString();
}

bool isSqlite(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QSQLITE"); }
bool isMySql(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QMYSQL"); }
bool isPostgres(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QPSQL"); }

BatchResult executeBatch(QSqlDatabase &db, const QList<SqlWrite> &writes, const std::function<void(int)> &progress)
{
    BatchResult result;
    if (!db.isOpen()) {
        result.error = QObject::tr("数据库未连接");
        return result;
    }
    if (!db.transaction()) {
        result.error = QObject::tr("无法开始事务: %1").arg(errorText(db.lastError()));
        return result;
    }
    StatementRunner runner(db);
    for (int i = 0; i < writes.size(); ++i) {
        const SqlWrite &write = writes.at(i);
        const QString sql = write.sql();
        int rows = 0;
        const QString reason = runner.run(sql, write.boundValues(), &rows);
        if (!reason.isEmpty() || rows == 0) {
            db.rollback();
            result.failedIndex = i;
            result.changedNothing = reason.isEmpty();
            result.error = reason.isEmpty()
                ? QObject::tr("第%1条语句没有改动任何记录(记录可能已被删除或修改)，全部修改已撤销。\n语句: %2").arg(i + 1).arg(sql)
                : QObject::tr("第%1条语句执行失败，全部修改已撤销。\n语句: %2\n原因: %3").arg(i + 1).arg(sql, reason);
            return result;
        }
        result.rowsChanged += rows;
        if (progress)
            progress(i + 1);
    }
    if (!db.commit()) {
        const QString reason = errorText(db.lastError());
        db.rollback();
        result.error = QObject::tr("提交事务失败，全部修改已撤销: %1").arg(reason);
        result.rowsChanged = 0;
    }
    return result;
}

} // namespace DbConnection
