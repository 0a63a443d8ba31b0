#include "DbConnection.h"

#include "PostgresCopy.h"
#include "ResponseWatchdog.h"
#include "StatementStopper.h"
#include "TlsProbe.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <libpq-fe.h>
#include <mysql.h>
#include <sqlite3.h>

#include <atomic>

namespace {

struct TypeName
{
    orv_dbms::EDbType type;
    const char *name;
    const char *driver;
    int defaultPort;
};

const TypeName kTypes[] = {
    {orv_dbms::DB_ORACLE, "Oracle", "QOCI", 1521},
    {orv_dbms::DB_MYSQL, "MySQL", "QMYSQL", 3306},
    {orv_dbms::DB_OPENGAUSS, "OpenGauss", "QPSQL", 5432},
    {orv_dbms::DB_KINGBASE, "KingBase", "QPSQL", 54321},
    {orv_dbms::DB_SQLITE, "SQLite", "QSQLITE", 0},
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

// libpq's connection under a PostgreSQL connection; null for another database, or one Qt closed.
PGconn *postgresHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.data());
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

// Once, before the library's first connection (later it refuses, harmlessly): its count of the
// memory it holds takes one lock for the whole process on every allocation, which readers on
// two threads then wait for in turn. Nothing here reads that count.
void configureSqliteLibrary()
{
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    Q_UNUSED(configured)
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

struct ModeName
{
    DbTls::Mode mode;
    const char *name;
};

// The first four are the tool's; the others libpq's words for the same.
const ModeName kModes[] = {
    {DbTls::Off, "off"},          {DbTls::Preferred, "preferred"}, {DbTls::Required, "required"},
    {DbTls::Verify, "verify"},    {DbTls::Off, "disable"},         {DbTls::Preferred, "prefer"},
    {DbTls::Required, "require"}, {DbTls::Verify, "verify-full"},
};

// Debian's bundle of the CA certificates the system trusts (package ca-certificates).
const char *const kSystemCaFile = "/etc/ssl/certs/ca-certificates.crt";

QString mySqlTlsOptions(const DbTls &tls)
{
    if (tls.mode == DbTls::Off)
        return QString();
    // Any SSL option has the driver ask for TLS; a CA file also has the chain checked during the
    // handshake, before the login. An empty cipher list keeps the library's own.
    const QString ca = tls.mode == DbTls::Preferred ? QString() : tls.trustedCaFile();
    QStringList options{ca.isEmpty() ? QStringLiteral("SSL_CIPHER=") : QStringLiteral("SSL_CA=") + ca};
    if (!tls.certFile.isEmpty())
        options << QStringLiteral("SSL_CERT=") + tls.certFile << QStringLiteral("SSL_KEY=") + tls.keyFile;
    return options.join(QLatin1Char(';'));
}

// A libpq value in quotes, so that blanks in a path survive.
QString libpqValue(const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString postgresTlsOptions(const DbTls &tls)
{
    static const char *const kSslModes[] = {"disable", "prefer", "require", "verify-full"};
    QStringList options{QStringLiteral("sslmode=") + QLatin1String(kSslModes[tls.mode])};
    const QString ca = tls.mode >= DbTls::Required ? tls.trustedCaFile() : QString();
    if (!ca.isEmpty())
        options << QStringLiteral("sslrootcert=") + libpqValue(ca);
    if (tls.mode != DbTls::Off && !tls.certFile.isEmpty())
        options << QStringLiteral("sslcert=") + libpqValue(tls.certFile) << QStringLiteral("sslkey=") + libpqValue(tls.keyFile);
    return options.join(QLatin1Char(';'));
}

QString connectOptions(const DbLinkParams &params, const QList<DbServer> &servers)
{
    const int limit = DbConnection::responseLimitSeconds();
    switch (params.type) {
    case orv_dbms::DB_MYSQL:
        // Found rows, not changed rows: an update that stores an unchanged value still found its row.
        // The client library's own limit lies just beyond the tool's, which says why it gave up.
        return QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=%2;MYSQL_OPT_WRITE_TIMEOUT=%2;"
                              "CLIENT_FOUND_ROWS;%3")
            .arg(DbConnection::ConnectTimeoutSeconds)
            .arg(limit + 2)
            .arg(mySqlTlsOptions(params.tls));
    case orv_dbms::DB_OPENGAUSS:
    case orv_dbms::DB_KINGBASE: {
        // Pinned from the first statement on: the driver learns at connection time whether the
        // server reads backslashes as escapes, and escapes the values it binds accordingly.
        // Keepalives find a server that vanished; with several hosts libpq opens the one that
        // accepts writes.
        QString options = QStringLiteral("connect_timeout=%1;keepalives=1;keepalives_idle=10;keepalives_interval=5;"
                                         "keepalives_count=3;tcp_user_timeout=%2;"
                                         "options='-cclient_min_messages=warning -cstandard_conforming_strings=on';%3")
                              .arg(DbConnection::ConnectTimeoutSeconds)
                              .arg(limit * 1000)
                              .arg(postgresTlsOptions(params.tls));
        if (servers.size() > 1) {
            QStringList ports;
            for (const DbServer &server : servers)
                ports.append(QString::number(server.port));
            options += QStringLiteral(";port=%1;target_session_attrs=read-write").arg(ports.join(QLatin1Char(',')));
        }
        return options;
    }
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

QString serverName(const DbServer &server)
{
    return DbConnection::serverAddress(server.host, QString::number(server.port));
}

QString notOfferedSentence(const QString &server, DbTls::Mode mode)
{
    return QObject::tr("数据库服务器 %1 不提供加密连接，而加密连接设为“%2”，连接已拒绝").arg(server, DbTls::modeTitle(mode));
}

QString certificateSentence(const QString &server, const QString &reason)
{
    return QObject::tr("数据库服务器 %1 的证书未通过验证：%2，连接已拒绝").arg(server, reason);
}

TlsProbe::Protocol probeProtocol(const DbLinkParams &p)
{
    return p.type == orv_dbms::DB_MYSQL ? TlsProbe::Protocol::MariaDb : TlsProbe::Protocol::Postgres;
}

// libpq says only that the certificate failed: a look of its own finds out why.
QString certificateFailure(const DbLinkParams &p)
{
    for (const DbServer &server : p.servers()) {
        const TlsProbe::Result probe = TlsProbe::examine(probeProtocol(p), server, p.tls.trustedCaFile(),
                                                         p.tls.mode == DbTls::Verify, DbConnection::ConnectTimeoutSeconds);
        if (!probe.failure.isEmpty())
            return certificateSentence(serverName(server), probe.failure);
    }
    return QString();
}

// MariaDB refuses a login in clear text to a server that wants TLS as it refuses a wrong password.
bool mayWantTls(const DbLinkParams &p)
{
    const QList<DbServer> servers = p.servers();
    return p.tls.mode == DbTls::Off && !servers.isEmpty()
        && TlsProbe::examine(TlsProbe::Protocol::MariaDb, servers.first(), QString(), false, DbConnection::ConnectTimeoutSeconds).offered;
}

QString tlsFailureSentence(const DbLinkParams &p, const QString &text, const QString &code)
{
    const QString server = p.serverText();
    if (mentions(text, {"no encryption"}))
        return QObject::tr("数据库服务器 %1 只接受加密连接，而加密连接设为“%2”").arg(server, DbTls::modeTitle(p.tls.mode));
    if (mentions(text, {"server does not support SSL"}))
        return notOfferedSentence(server, p.tls.mode);
    if (mentions(text, {"certificate verify failed", "does not match host name"})) {
        const QString sentence = certificateFailure(p);
        return sentence.isEmpty() ? certificateSentence(server, text.simplified()) : sentence;
    }
    if (code == QLatin1String("1045") && mayWantTls(p))
        return QObject::tr("数据库服务器 %1 拒绝了用户 %2 的登录：用户名或密码错误，或者服务器只接受加密连接（加密连接设为“%3”）")
            .arg(server, p.user, DbTls::modeTitle(p.tls.mode));
    if (code == QLatin1String("2026"))
        return QObject::tr("无法与数据库服务器 %1 建立加密连接").arg(server);
    return QString();
}

struct LinkFailure
{
    DbConnection::LinkField field;
    QString sentence;
};

// Why a server link failed, as a sentence naming what failed and the parameter to blame.
LinkFailure linkFailureOf(const DbLinkParams &p, const QSqlError &error)
{
    using F = DbConnection::LinkField;
    const QString text = errorText(error);
    const QString code = error.nativeErrorCode();
    const QString server = p.serverText();
    const QString tls = tlsFailureSentence(p, text, code);
    if (!tls.isEmpty())
        return {code == QLatin1String("1045") ? F::Credentials : F::Tls, tls};
    if (code == QLatin1String("1045") || mentions(text, {"password authentication failed", "authentication failed"}))
        return {F::Credentials, QObject::tr("数据库服务器 %1 拒绝了用户 %2 的登录：用户名或密码错误").arg(server, p.user)};
    if (code == QLatin1String("1044"))
        return {F::Database, QObject::tr("用户 %1 无权访问数据库服务器 %2 上的数据库 %3").arg(p.user, server, p.database)};
    if (code == QLatin1String("1049") || (mentions(text, {"database"}) && mentions(text, {"does not exist"})))
        return {F::Database, QObject::tr("数据库服务器 %1 上不存在数据库 %2").arg(server, p.database)};
    if (mentions(text, {"role"}) && mentions(text, {"does not exist"}))
        return {F::User, QObject::tr("数据库服务器 %1 上不存在用户 %2").arg(server, p.user)};
    if (code == QLatin1String("2005") || mentions(text, {"could not translate host name", "Unknown server host", "Unknown host"}))
        return {F::Server, QObject::tr("找不到数据库服务器地址 %1").arg(p.host)};
    if (code == QLatin1String("2002") || code == QLatin1String("2003")
        || mentions(text, {"Connection refused", "could not connect", "Can't connect", "timeout expired", "timed out"}))
        return {F::Server, QObject::tr("无法连接到数据库服务器 %1（服务器未启动、地址或端口错误，或网络不通）").arg(server)};
    return {F::None, QObject::tr("无法打开数据库服务器 %1 上的数据库 %2（用户 %3）").arg(server, p.database, p.user)};
}

QString linkFailure(const DbLinkParams &p, const QSqlError &error, DbConnection::LinkField *field)
{
    LinkFailure failure{DbConnection::LinkField::Database, QObject::tr("无法打开SQLite数据库文件 %1").arg(p.database)};
    if (p.type != orv_dbms::DB_SQLITE)
        failure = linkFailureOf(p, error);
    if (field)
        *field = failure.field;
    return failure.sentence + QLatin1Char('\n') + QObject::tr("驱动信息：%1").arg(driverLine(error));
}

// Runs one statement of the session set-up. Empty text on success.
QString runSetting(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return QString();
    return QObject::tr("无法设置数据库会话(%1)：%2").arg(sql, errorText(query.lastError()));
}

// Seconds after which the server itself ends a statement: before the tool would give up waiting.
int serverStatementLimit()
{
    return qMax(1, DbConnection::responseLimitSeconds() - 2);
}

// Whether the server ended the statement because it ran past the session's limit.
bool endedByStatementLimit(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    // PostgreSQL gives one code for a statement it cancelled at its limit and one a client
    // cancelled, which only its words (in the server's language) tell apart.
    return code == QLatin1String("1969")
        || (code == QLatin1String("57014") && !error.databaseText().contains(QLatin1String("user request"), Qt::CaseInsensitive));
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
    // MariaDB ends a statement that runs too long itself (servers of other kinds lack the setting).
    runSetting(db, QStringLiteral("SET SESSION max_statement_time = %1").arg(serverStatementLimit()));
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
    runSetting(db, QStringLiteral("SET statement_timeout = '%1s'").arg(serverStatementLimit()));
    // The tool's reads pass rows on rather than compute: compiling a statement over a large
    // table costs the server more than it saves. A server without the setting runs as it is.
    runSetting(db, QStringLiteral("SET jit = off"));
    return QString();
}

// Runs one write and counts the rows it changed.
class StatementRunner
{
public:
    explicit StatementRunner(QSqlDatabase &db) : m_query(db), m_sqlite(sqliteHandle(db)) {}
    ~StatementRunner() { sqlite3_finalize(m_reused); }
    StatementRunner(const StatementRunner &) = delete;
    StatementRunner &operator=(const StatementRunner &) = delete;

    // Empty text on success; rows receives the number of rows changed. A statement with values
    // to bind is prepared once and executed again for the rows that repeat its text.
    QString run(const QString &sql, const QVariantList &values, int *rows)
    {
        // On SQLite the handle is used directly: Qt's per-statement bookkeeping would
        // otherwise cost more than the statement itself.
        return m_sqlite ? runSqlite(sql, values, rows) : runQt(sql, values, rows);
    }
    // The driver's error of the last failed statement (none on SQLite, whose file is never lost).
    QSqlError lastError() const { return m_error; }

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
        m_error = ok ? QSqlError() : m_query.lastError();
        const QString reason = ok ? QString() : errorText(m_error);
        *rows = ok ? m_query.numRowsAffected() : 0;
        m_query.finish();
        return reason;
    }

    // Prepared once on the server, not per row.
    bool prepared(const QString &sql)
    {
        if (sql != m_prepared)
            m_prepared = m_query.prepare(sql) ? sql : QString();
        return !m_prepared.isEmpty();
    }

    QString runSqlite(const QString &sql, const QVariantList &values, int *rows)
    {
        sqlite3_stmt *stmt = sqliteStatement(sql, !values.isEmpty());
        if (!stmt)
            return QString::fromUtf8(sqlite3_errmsg(m_sqlite));
        for (int i = 0; i < values.size(); ++i)
            bindSqlite(stmt, i + 1, values.at(i));
        int rc = SQLITE_ROW;
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(stmt);
        const QString reason = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_sqlite));
        *rows = reason.isEmpty() ? sqlite3_changes(m_sqlite) : 0;
        // A kept statement is reset, so that it holds no lock that would stop the commit.
        if (stmt == m_reused)
            sqlite3_reset(stmt);
        else
            sqlite3_finalize(stmt);
        return reason;
    }

    // The kept statement when the text repeats it; a text that does not is compiled, and kept
    // when it is to be reused. Null when it does not compile.
    sqlite3_stmt *sqliteStatement(const QString &sql, bool reuse)
    {
        if (reuse && m_reused && sql == m_reusedText)
            return m_reused;
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_sqlite, text.constData(), text.size(), &stmt, nullptr) != SQLITE_OK)
            return nullptr;
        if (reuse) {
            sqlite3_finalize(m_reused);
            m_reused = stmt;
            m_reusedText = sql;
        }
        return stmt;
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
    sqlite3_stmt *m_reused = nullptr;
    QString m_reusedText;
    QSqlError m_error;
};

} // namespace

QString DbTls::modeName(Mode mode)
{
    return QLatin1String(kModes[mode].name);
}

QString DbTls::modeTitle(Mode mode)
{
    switch (mode) {
    case Off: return QObject::tr("关闭");
    case Preferred: return QObject::tr("首选");
    case Required: return QObject::tr("必需");
    case Verify: return QObject::tr("验证服务器");
    }
    return QString();
}

DbTls::Mode DbTls::modeFromName(const QString &name, bool *ok)
{
    const QString wanted = name.trimmed();
    for (const ModeName &m : kModes) {
        if (wanted.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) {
            if (ok)
                *ok = true;
            return m.mode;
        }
    }
    if (ok)
        *ok = false;
    return Preferred;
}

QString DbTls::acceptedModeNames()
{
    return QStringList{modeName(Off), modeName(Preferred), modeName(Required), modeName(Verify)}.join(QStringLiteral(", "));
}

QString DbTls::trustedCaFile() const
{
    if (!caFile.isEmpty() || mode != Verify)
        return caFile;
    return QLatin1String(kSystemCaFile);
}

QString DbLinkParams::typeName() const
{
    const TypeName *t = findType(type);
    return t ? QString::fromLatin1(t->name) : QStringLiteral("类型%1").arg(int(type));
}

int DbLinkParams::serverPort() const
{
    // No port is the type's usual one. Left to the drivers, libpq refuses port 0 and MariaDB's
    // client takes 3306 where the TLS look-ahead would try port 0 and check nothing.
    const TypeName *t = findType(type);
    return port == 0 && t ? t->defaultPort : port;
}

QList<DbServer> DbLinkParams::servers() const
{
    QList<DbServer> list;
    const int usualPort = serverPort();
    for (QString entry : host.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        entry = entry.trimmed();
        DbServer server{entry, usualPort};
        // "[::1]:5432" and "db1:5432"; a bare IPv6 address has more than one colon and no port.
        const int close = entry.startsWith(QLatin1Char('[')) ? entry.indexOf(QLatin1Char(']')) : -1;
        const int colon = close >= 0 ? entry.indexOf(QLatin1Char(':'), close) : entry.lastIndexOf(QLatin1Char(':'));
        if (close >= 0)
            server.host = entry.mid(1, close - 1);
        if (colon > 0 && (close >= 0 || entry.count(QLatin1Char(':')) == 1)) {
            bool ok = false;
            const int explicitPort = entry.mid(colon + 1).toInt(&ok);
            if (ok) {
                server.port = explicitPort == 0 ? usualPort : explicitPort;
                if (close < 0)
                    server.host = entry.left(colon);
            }
        }
        if (!server.host.isEmpty())
            list.append(server);
    }
    return list;
}

QString DbLinkParams::serverText() const
{
    QStringList texts;
    for (const DbServer &server : servers())
        texts.append(serverName(server));
    return texts.join(QStringLiteral(", "));
}

QString DbLinkParams::describe() const
{
    if (type == orv_dbms::DB_SQLITE)
        return QStringLiteral("%1 (SQLite)").arg(database);
    return QStringLiteral("%1@%2 (%3)").arg(database, serverText(), typeName());
}

QString DbLinkParams::identity() const
{
    return describe() + QLatin1Char('\n') + user + QLatin1Char('\n') + password;
}

namespace DbConnection {

namespace {
std::atomic<int> g_lockWaitSeconds{25};
std::atomic<int> g_responseLimitSeconds{29};
}

int lockWaitSeconds()
{
    return g_lockWaitSeconds.load();
}

void setLockWaitSeconds(int seconds)
{
    g_lockWaitSeconds = seconds;
}

int responseLimitSeconds()
{
    return g_responseLimitSeconds.load();
}

void setResponseLimitSeconds(int seconds)
{
    g_responseLimitSeconds = seconds;
}

namespace {

// Whether libpq gave the connection up (it says why in the locale's words, with no code).
bool postgresConnectionBad(const QSqlDatabase &db)
{
    if (!isPostgres(db))
        return false;
    PGconn *conn = postgresHandle(db);
    return !conn || PQstatus(conn) == CONNECTION_BAD;
}

} // namespace

bool isLinkLost(const QSqlDatabase &db, const QSqlError &error)
{
    // MariaDB client errors: server gone, connection lost, cannot connect, killed, timed out.
    static const char *const kCodes[] = {"2002", "2003", "2006", "2013", "2026", "2055", "1927", "4031"};
    const QString code = error.nativeErrorCode();
    for (const char *c : kCodes)
        if (code == QLatin1String(c))
            return true;
    // PostgreSQL: a connection exception, or the server ending sessions (shut down, crashed,
    // starting up).
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") || code == QLatin1String("57P02")
        || code == QLatin1String("57P03"))
        return true;
    if (postgresConnectionBad(db))
        return true;
    return mentions(errorText(error), {"server closed the connection", "no connection to the server", "terminating connection",
                                       "could not receive data", "could not send data", "connection to server", "gone away",
                                       "Lost connection", "SSL SYSCALL", "connection not open", "Broken pipe",
                                       "Connection reset", "Connection timed out"});
}

namespace {

// Why a call ended when a limit ended it: no answer in time, or a statement the server ended;
// empty text otherwise.
QString limitFailure(const QSqlDatabase &db, bool timedOut, const QSqlError &error)
{
    if (timedOut)
        return QObject::tr("数据库服务器 %1 在 %2 秒内没有响应，操作已中止").arg(serverInUse(db)).arg(responseLimitSeconds());
    if (endedByStatementLimit(error))
        return QObject::tr("语句运行超过 %1 秒，已被数据库服务器 %2 中止（%3）").arg(serverStatementLimit()).arg(serverInUse(db), errorText(error));
    return QString();
}

} // namespace

QString failureText(const QSqlDatabase &db, bool timedOut, const QSqlError &error)
{
    const QString limit = limitFailure(db, timedOut, error);
    return limit.isEmpty() ? error.text() : limit;
}

QString serverInUse(const QSqlDatabase &db)
{
    if (isSqlite(db))
        return db.databaseName();
    PGconn *conn = postgresHandle(db);
    if (conn && PQhost(conn))
        return serverAddress(QString::fromUtf8(PQhost(conn)), QString::fromUtf8(PQport(conn)));
    return serverAddress(db.hostName(), QString::number(db.port()));
}

QString serverAddress(const QString &host, const QString &port)
{
    const bool ipv6 = host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['));
    return (ipv6 ? QLatin1Char('[') + host + QLatin1Char(']') : host) + QLatin1Char(':') + port;
}

int estimatedRows(const QSqlDatabase &db, const QString &table)
{
    if (!isMySql(db))
        return -1;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT TABLE_ROWS FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                                 "AND LOWER(TABLE_NAME) = LOWER(?)"));
    query.addBindValue(table);
    bool ok = false;
    const int rows = query.exec() && query.next() ? query.value(0).toInt(&ok) : -1;
    return ok ? rows : -1;
}

QString tlsProtocol(const QSqlDatabase &db)
{
    if (isPostgres(db)) {
        PGconn *conn = postgresHandle(db);
        return conn && PQsslInUse(conn) ? QString::fromUtf8(PQsslAttribute(conn, "protocol")) : QString();
    }
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "MYSQL*") == 0) {
        MYSQL *mysql = *static_cast<MYSQL *const *>(handle.data());
        const char *version = nullptr;
        if (mysql && mysql_get_ssl_cipher(mysql) && mariadb_get_infov(mysql, MARIADB_CONNECTION_TLS_VERSION, &version) == 0 && version)
            return QString::fromUtf8(version);
    }
    return QString();
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

namespace {

// MariaDB's client library, as Qt drives it, logs in over clear text when a server offers no
// TLS, and checks no host name: both are looked at before the driver connects.
QString mySqlTlsRefusal(const DbLinkParams &params, const DbServer &server, LinkField *field)
{
    if (params.type != orv_dbms::DB_MYSQL || params.tls.mode < DbTls::Required)
        return QString();
    const TlsProbe::Result probe = TlsProbe::examine(TlsProbe::Protocol::MariaDb, server, params.tls.trustedCaFile(),
                                                     params.tls.mode == DbTls::Verify, ConnectTimeoutSeconds);
    const QString name = serverName(server);
    *field = LinkField::Tls;
    // A server that let the look-ahead wait its time-out out would have the driver wait it again.
    if (probe.silent) {
        *field = LinkField::Server;
        return QObject::tr("无法连接到数据库服务器 %1（%2 秒内没有应答）").arg(name).arg(ConnectTimeoutSeconds);
    }
    if (!probe.reached)
        return QString(); // the driver's attempt says why
    if (!probe.offered)
        return notOfferedSentence(name, params.tls.mode);
    return probe.failure.isEmpty() ? QString() : certificateSentence(name, probe.failure);
}

// Opens db on the server (or, for PostgreSQL, the hosts libpq chooses from) and pins its session.
QString openOn(QSqlDatabase &db, const DbLinkParams &params, const QList<DbServer> &servers, LinkField *field)
{
    db.setDatabaseName(params.database);
    if (params.type != orv_dbms::DB_SQLITE) {
        QStringList hosts;
        for (const DbServer &server : servers)
            hosts.append(server.host);
        db.setHostName(hosts.join(QLatin1Char(',')));
        db.setPort(servers.size() == 1 ? servers.first().port : -1);
        db.setUserName(params.user);
        db.setPassword(params.password);
    }
    LinkField refusedField = LinkField::None;
    const QString refused = mySqlTlsRefusal(params, servers.value(0), &refusedField);
    if (!refused.isEmpty()) {
        if (field)
            *field = refusedField;
        return refused;
    }
    db.setConnectOptions(connectOptions(params, servers));
    if (!db.open()) {
        DbLinkParams tried = params;
        tried.host = db.hostName();
        tried.port = servers.value(0).port;
        return linkFailure(tried, db.lastError(), field);
    }
    // Whatever a driver did, a link that must be encrypted is never used in clear text.
    if (params.tls.mode >= DbTls::Required && tlsProtocol(db).isEmpty()) {
        const QString server = serverInUse(db);
        db.close();
        if (field)
            *field = LinkField::Tls;
        return notOfferedSentence(server, params.tls.mode);
    }
    return prepare(db);
}

bool isReadOnlyServer(QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT @@read_only")) && query.next() && query.value(0).toInt() != 0;
}

// MariaDB knows no host lists: the servers are tried in order, and one that is a read-only
// replica is kept only when no server accepting writes answers.
QString openFirstWritable(QSqlDatabase &db, const DbLinkParams &params, LinkField *field)
{
    QStringList failures;
    int readOnly = -1;
    const QList<DbServer> servers = params.servers();
    for (int i = 0; i < servers.size(); ++i) {
        const QString failure = openOn(db, params, {servers.at(i)}, field);
        if (failure.isEmpty() && !isReadOnlyServer(db))
            return QString();
        if (failure.isEmpty() && readOnly < 0)
            readOnly = i;
        failures.append(failure.isEmpty() ? QObject::tr("%1 只读").arg(serverName(servers.at(i))) : failure);
        db.close();
    }
    if (readOnly >= 0)
        return openOn(db, params, {servers.at(readOnly)}, field);
    return failures.join(QLatin1Char('\n'));
}

QString connectLink(QSqlDatabase &db, const DbLinkParams &params, LinkField *field = nullptr)
{
    const QList<DbServer> servers = params.servers();
    if (params.type == orv_dbms::DB_MYSQL && servers.size() > 1)
        return openFirstWritable(db, params, field);
    return openOn(db, params, servers, field);
}

QString tlsFileProblem(const DbTls &tls)
{
    if (tls.mode == DbTls::Off)
        return QString();
    if (tls.certFile.isEmpty() != tls.keyFile.isEmpty())
        return QObject::tr("客户端证书和客户端私钥须一同给出");
    const QPair<QString, QString> files[] = {
        {QObject::tr("CA证书"), tls.trustedCaFile()},
        {QObject::tr("客户端证书"), tls.certFile},
        {QObject::tr("客户端私钥"), tls.keyFile},
    };
    for (const auto &file : files) {
        // The drivers take their options as one text in which a semicolon separates them.
        if (file.second.contains(QLatin1Char(';')))
            return QObject::tr("%1文件的路径中不能有分号: %2").arg(file.first, file.second);
        // A folder counts as readable, and the drivers would then fail it in words of their own.
        const QFileInfo info(file.second);
        if (!file.second.isEmpty() && !(info.isFile() && info.isReadable()))
            return QObject::tr("无法读取%1文件 %2").arg(file.first, file.second);
    }
    return QString();
}

QString checkOpenable(const DbLinkParams &params, LinkField *field = nullptr)
{
    LinkField blamed = LinkField::None;
    QString failure;
    const QString driver = DbConnection::driverName(params.type);
    if (driver.isEmpty()) {
        blamed = LinkField::Type;
        failure = QObject::tr("不支持的数据库类型代码 %1").arg(int(params.type));
    } else if (!QSqlDatabase::isDriverAvailable(driver)) {
        blamed = LinkField::Type;
        failure = QObject::tr("无法连接%1数据库 %2: 缺少Qt数据库驱动 %3 (已安装的驱动: %4)")
                      .arg(params.typeName(), params.describe(), driver, QSqlDatabase::drivers().join(QLatin1Char(' ')));
    } else if (params.type == orv_dbms::DB_SQLITE && !QFileInfo(params.database).isFile()) {
        blamed = LinkField::Database;
        failure = QFileInfo(params.database).isDir() ? QObject::tr("%1 是一个文件夹，不是SQLite数据库文件").arg(params.database)
                                                     : QObject::tr("数据库文件不存在: %1").arg(params.database);
    } else if (params.type != orv_dbms::DB_SQLITE && params.servers().isEmpty()) {
        blamed = LinkField::Server;
        failure = QObject::tr("没有填写数据库服务器地址");
    } else if (params.type != orv_dbms::DB_SQLITE) {
        // The client libraries cut a port to 16 bits or take a negative one for their default:
        // either reaches another server than the one named.
        for (const DbServer &server : params.servers())
            if (server.port < 1 || server.port > 65535)
                failure = QObject::tr("数据库服务器 %1 的端口 %2 无效：端口须在1到65535之间").arg(server.host).arg(server.port);
        blamed = LinkField::Server;
        if (failure.isEmpty()) {
            blamed = LinkField::Tls;
            failure = tlsFileProblem(params.tls);
        }
    }
    if (field)
        *field = blamed;
    return failure;
}

// libpq words its own failures in the locale's language, and a failed login is told apart by
// them (MariaDB's client speaks English alone): its catalogue is looked for where there is none.
// Set before its first message, which binds the catalogue once.
void keepLibpqUntranslated()
{
    static const bool kept = [] {
        if (!qEnvironmentVariableIsSet("PGLOCALEDIR"))
            qputenv("PGLOCALEDIR", "/nonexistent");
        return true;
    }();
    Q_UNUSED(kept)
}

} // namespace

QString open(const DbLinkParams &params, const QString &connectionName, LinkField *field)
{
    configureSqliteLibrary();
    keepLibpqUntranslated();
    close(connectionName);
    QString failure = checkOpenable(params, field);
    if (!failure.isEmpty())
        return failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driverName(params.type), connectionName);
        failure = connectLink(db, params, field);
    }
    if (!failure.isEmpty())
        close(connectionName);
    return failure;
}

QString reopen(const DbLinkParams &params, const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isValid() || db.driverName() != driverName(params.type))
        return open(params, connectionName);
    const QString failure = checkOpenable(params);
    if (!failure.isEmpty())
        return failure;
    db.close();
    return connectLink(db, params);
}

QString uniqueName(const QString &prefix)
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("%1_%2").arg(prefix).arg(counter.fetch_add(1));
}

QSqlDatabase named(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection) : connectionName, false);
}

QString withOwnConnection(const DbLinkParams &params, const QString &prefix, const std::function<QString(const QString &name)> &job)
{
    const QString name = uniqueName(prefix);
    QString error = open(params, name);
    if (error.isEmpty())
        error = job(name);
    close(name);
    return error;
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

QString concat(const QSqlDatabase &db, const QStringList &parts)
{
    // || is OR to MariaDB (its session leaves PIPES_AS_CONCAT out).
    if (isMySql(db))
        return QStringLiteral("CONCAT(%1)").arg(parts.join(QLatin1String(", ")));
    return QLatin1Char('(') + parts.join(QLatin1String(" || ")) + QLatin1Char(')');
}

QString sameText(const QSqlDatabase &db, const QString &a, const QString &b)
{
    if (isMySql(db))
        return QStringLiteral("(%1 = %2 AND LENGTH(%1) = LENGTH(%2))").arg(a, b);
    return QStringLiteral("%1 = %2").arg(a, b);
}

QString isEmptyText(const QSqlDatabase &db, const QString &expression)
{
    if (isMySql(db))
        return QStringLiteral("LENGTH(%1) = 0").arg(expression);
    return QStringLiteral("%1 = ''").arg(expression);
}

QString withExactSubqueries(const QSqlDatabase &db, const QString &statement)
{
    if (isMySql(db))
        return QStringLiteral("SET STATEMENT optimizer_switch='subquery_cache=off' FOR ") + statement;
    return statement;
}

QString textOrder(const QSqlDatabase &db, const QString &expression)
{
    if (isMySql(db))
        return QStringLiteral("COALESCE(CAST(%1 AS CHAR), '') COLLATE utf8mb4_nopad_bin").arg(expression);
    if (isPostgres(db))
        return QStringLiteral("COALESCE(CAST(%1 AS TEXT), '') COLLATE \"C\"").arg(expression);
    return QStringLiteral("COALESCE(CAST(%1 AS TEXT), '')").arg(expression);
}

QString likeIgnoringCase(const QSqlDatabase &db, const QString &expression)
{
    if (isMySql(db))
        return QStringLiteral("%1 COLLATE utf8mb4_general_ci LIKE ?").arg(expression);
    if (isPostgres(db))
        return QStringLiteral("%1 ILIKE ?").arg(expression);
    return QStringLiteral("%1 LIKE ?").arg(expression); // SQLite's ignores the case of Latin letters
}

std::function<void()> statementCanceller(const QSqlDatabase &db, const DbLinkParams &params, const std::function<void()> &sent)
{
    if (sqlite3 *sqlite = sqliteHandle(db))
        return [sqlite, sent] {
            sqlite3_interrupt(sqlite);
            sent();
        };
    const bool mySql = isMySql(db);
    QSqlQuery session(db);
    if (!(mySql || isPostgres(db)) || !session.exec(mySql ? QStringLiteral("SELECT CONNECTION_ID()") : QStringLiteral("SELECT pg_backend_pid()"))
        || !session.next())
        return {};
    const QString cancel = (mySql ? QStringLiteral("KILL QUERY %1") : QStringLiteral("SELECT pg_cancel_backend(%1)"))
                               .arg(session.value(0).toLongLong());
    const QString server = serverInUse(db);
    return [params, server, cancel, sent] { StatementStopper::send(params, server, cancel, sent); };
}

namespace {

bool forEachPostgresRow(const QSqlDatabase &db, const QString &sql, const std::function<void(const QStringList &)> &visit,
                        QString *error)
{
    if (!isPostgres(db))
        return false;
    const PostgresCopy::Outcome outcome = PostgresCopy::forEachRow(postgresHandle(db), sql, responseLimitSeconds(), visit);
    if (outcome.taken && (outcome.timedOut || !outcome.error.isEmpty()))
        *error = failureText(db, outcome.timedOut, QSqlError(QString(), outcome.error, QSqlError::StatementError, outcome.code));
    return outcome.taken;
}

bool forEachSqliteRow(sqlite3 *sqlite, const QString &sql, const std::function<void(const QStringList &)> &visit,
                      QString *error)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(sqlite, text.constData(), text.size(), &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(sqlite));
        return true;
    }
    const int columns = sqlite3_column_count(stmt);
    // One list for every row, its cells replaced: a list made and freed per row costs more than
    // the rules that read it.
    QStringList row;
    for (int c = 0; c < columns; ++c)
        row.append(QString());
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            row[c] = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)), sqlite3_column_bytes(stmt, c));
        visit(row);
    }
    *error = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(sqlite));
    sqlite3_finalize(stmt);
    return true;
}

} // namespace

bool forEachTextRow(const QSqlDatabase &db, const QString &sql, const std::function<void(const QStringList &)> &visit,
                    QString *error)
{
    if (sqlite3 *sqlite = sqliteHandle(db))
        return forEachSqliteRow(sqlite, sql, visit, error);
    return forEachPostgresRow(db, sql, visit, error);
}

bool isSqlite(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QSQLITE"); }
bool isMySql(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QMYSQL"); }
bool isPostgres(const QSqlDatabase &db) { return db.driverName() == QLatin1String("QPSQL"); }

namespace {

// A write's failure: the server's own words, or why the call ended.
QString callFailure(const QSqlDatabase &db, const ResponseGuard &guard, const QSqlError &error)
{
    const QString limit = limitFailure(db, guard.timedOut(), error);
    return limit.isEmpty() ? errorText(error) : limit;
}

// "sql\n值: a, NULL, b": a statement with the values it was given for its ?.
QString withValues(const QString &sql, const QVariantList &values)
{
    if (values.isEmpty())
        return sql;
    QStringList texts;
    for (const QVariant &v : values)
        texts.append(v.isNull() ? QStringLiteral("NULL") : v.toString());
    return sql + QObject::tr("\n值: %1").arg(texts.join(QLatin1String(", ")));
}

} // namespace

BatchResult executeBatch(QSqlDatabase &db, const QList<SqlWrite> &writes, const std::function<void(int)> &progress)
{
    BatchResult result;
    if (!db.isOpen()) {
        result.error = QObject::tr("数据库未连接");
        return result;
    }
    {
        ResponseGuard guard(db, responseLimitSeconds());
        if (!db.transaction()) {
            result.timedOut = guard.timedOut();
            result.linkLost = result.timedOut || isLinkLost(db, db.lastError());
            result.error = QObject::tr("无法开始事务: %1").arg(callFailure(db, guard, db.lastError()));
            return result;
        }
    }
    result.begun = true;
    StatementRunner runner(db);
    const int socket = ResponseGuard::socketOf(db);
    const int limit = responseLimitSeconds();
    for (int i = 0; i < writes.size(); ++i) {
        const SqlWrite &write = writes.at(i);
        const QString sql = write.sql();
        int rows = 0;
        ResponseGuard guard(socket, limit);
        QString reason = runner.run(sql, write.boundValues(), &rows);
        const bool tooMany = reason.isEmpty() && write.mostRows > 0 && rows > write.mostRows;
        if (!reason.isEmpty() || rows == 0 || tooMany) {
            result.timedOut = guard.timedOut();
            result.linkLost = result.timedOut || (!reason.isEmpty() && isLinkLost(db, runner.lastError()));
            const QString limit = limitFailure(db, guard.timedOut(), runner.lastError());
            if (!limit.isEmpty())
                reason = limit;
            db.rollback();
            result.failedIndex = i;
            result.changedNothing = reason.isEmpty() && rows == 0;
            // The values bound say which row it was: the statement alone names none.
            const QString said = withValues(sql, write.boundValues());
            result.error = tooMany
                ? QObject::tr("第%1条语句改动了 %2 条记录，应只改动 %3 条(条件指向的记录不止一条)，全部修改已撤销。\n语句: %4")
                      .arg(i + 1)
                      .arg(rows)
                      .arg(write.mostRows)
                      .arg(said)
                : reason.isEmpty()
                ? QObject::tr("第%1条语句没有改动任何记录(记录可能已被删除或修改)，全部修改已撤销。\n语句: %2").arg(i + 1).arg(said)
                : result.linkLost
                ? QObject::tr("第%1条语句执行时数据库连接中断，事务没有提交，全部修改均未生效。\n语句: %2\n原因: %3").arg(i + 1).arg(said, reason)
                : QObject::tr("第%1条语句执行失败，全部修改已撤销。\n语句: %2\n原因: %3").arg(i + 1).arg(said, reason);
            return result;
        }
        result.rowsChanged += rows;
        if (progress)
            progress(i + 1);
    }
    ResponseGuard guard(db, responseLimitSeconds());
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        result.timedOut = guard.timedOut();
        result.linkLost = result.timedOut || isLinkLost(db, error);
        const QString reason = callFailure(db, guard, error);
        db.rollback();
        // A connection lost at the commit leaves it open whether the server committed.
        result.error = result.linkLost
            ? QObject::tr("提交事务时数据库连接中断，无法确认修改是否已经保存，请刷新后核对: %1").arg(reason)
            : QObject::tr("提交事务失败，全部修改已撤销: %1").arg(reason);
        result.rowsChanged = 0;
    }
    return result;
}

} // namespace DbConnection
