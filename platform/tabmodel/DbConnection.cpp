#include "DbConnection.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

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

void registerSqliteFunctions(QSqlDatabase &db)
{
    sqlite3 *sqlite = sqliteHandle(db);
    if (!sqlite)
        return;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(sqlite, "getAfterFirstDot", 1, flags, nullptr, sqliteAfterFirstDot, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(sqlite, "getBeforeLastDot", 1, flags, nullptr, sqliteBeforeLastDot, nullptr, nullptr, nullptr);
}

QString connectOptions(const DbLinkParams &params)
{
    switch (params.type) {
    case orv_dbms::DB_MYSQL:
        return QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=600;MYSQL_OPT_WRITE_TIMEOUT=600")
            .arg(DbConnection::ConnectTimeoutSeconds);
    case orv_dbms::DB_OPENGAUSS:
    case orv_dbms::DB_KINGBASE:
        return QStringLiteral("connect_timeout=%1;options=-cclient_min_messages=warning")
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

// Runs one statement that returns no rows. Empty text on success, else the server's reason.
class StatementRunner
{
public:
    explicit StatementRunner(QSqlDatabase &db) : m_query(db), m_sqlite(sqliteHandle(db)) {}

    QString run(const QString &sql)
    {
        // On SQLite the handle is used directly: Qt's per-statement bookkeeping would
        // otherwise cost more than the statement itself.
        if (m_sqlite) {
            char *message = nullptr;
            if (sqlite3_exec(m_sqlite, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
                return QString();
            const QString reason = QString::fromUtf8(message ? message : sqlite3_errmsg(m_sqlite));
            sqlite3_free(message);
            return reason;
        }
        const bool ok = m_query.exec(sql);
        const QString reason = ok ? QString() : errorText(m_query.lastError());
        m_query.finish();
        return reason;
    }

private:
    QSqlQuery m_query;
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

QString driverName(orv_dbms::EDbType type)
{
    const TypeName *t = findType(type);
    return t ? QString::fromLatin1(t->driver) : QString();
}

orv_dbms::EDbType typeFromName(const QString &name, bool *ok)
{
    for (const TypeName &t : kTypes) {
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0) {
            if (ok)
                *ok = true;
            return t.type;
        }
    }
    if (ok)
        *ok = false;
    return orv_dbms::DB_MYSQL;
}

QString open(const DbLinkParams &params, const QString &connectionName)
{
    close(connectionName);
    const QString driver = driverName(params.type);
    if (driver.isEmpty())
        return QStringLiteral("不支持的数据库类型代码 %1").arg(int(params.type));
    if (!QSqlDatabase::isDriverAvailable(driver))
        return QStringLiteral("无法连接%1数据库 %2: 缺少Qt数据库驱动 %3 (已安装的驱动: %4)")
            .arg(params.typeName(), params.describe(), driver, QSqlDatabase::drivers().join(QLatin1Char(' ')));
    if (params.type == orv_dbms::DB_SQLITE && !QFileInfo(params.database).isFile())
        return QStringLiteral("数据库文件不存在: %1").arg(params.database);

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
            prepare(db);
        else
            failure = QStringLiteral("无法连接数据库 %1: %2").arg(params.describe(), errorText(db.lastError()));
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
            failure = QStringLiteral("没有可用的数据库连接");
        else if (db.open())
            prepare(db);
        else
            failure = QStringLiteral("无法打开数据库连接 %1: %2").arg(db.databaseName(), errorText(db.lastError()));
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

void prepare(QSqlDatabase &db)
{
    if (isMySql(db)) {
        // Quotes are escaped by doubling them; a backslash must stay an ordinary character.
        QSqlQuery(db).exec(QStringLiteral("SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')"));
        return;
    }
    if (!isSqlite(db))
        return;
    registerSqliteFunctions(db);
    // Readers then never block the worker's writes, nor the writes a reader.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

bool isSqlite(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QSQLITE"); }
bool isMySql(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QMYSQL"); }
bool isPostgres(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QPSQL"); }

QString executeBatch(QSqlDatabase &db, const QStringList &sqls, const std::function<void(int)> &progress)
{
    if (!db.isOpen())
        return QStringLiteral("数据库未连接");
    if (!db.transaction())
        return QStringLiteral("无法开始事务: %1").arg(errorText(db.lastError()));
    StatementRunner runner(db);
    for (int i = 0; i < sqls.size(); ++i) {
        const QString reason = runner.run(sqls.at(i));
        if (!reason.isEmpty()) {
            db.rollback();
            return QStringLiteral("第%1条语句执行失败，全部修改已撤销。\n语句: %2\n原因: %3")
                .arg(i + 1).arg(sqls.at(i), reason);
        }
        if (progress)
            progress(i + 1);
    }
    if (!db.commit()) {
        const QString reason = errorText(db.lastError());
        db.rollback();
        return QStringLiteral("提交事务失败，全部修改已撤销: %1").arg(reason);
    }
    return QString();
}

} // namespace DbConnection
