#include "OrvTableDataMgr.h"

#include "IniSettings.h"
#include "InstallRoot.h"
#include "OrvDbDesign.h"
#include "OrvLog.h"
#include "OrvTableModel.h"
#include "ResponseWatchdog.h"
#include "SqlText.h"
#include "ViewName.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>

OrvTableDataMgr *OrvTableDataMgr::s_instance = nullptr;

OrvTableDataMgr *OrvTableDataMgr::getInstance()
{
    if (!s_instance)
        s_instance = new OrvTableDataMgr;
    return s_instance;
}

OrvTableDataMgr::OrvTableDataMgr() = default;

OrvTableDataMgr::~OrvTableDataMgr()
{
    qDeleteAll(m_models);
    m_models.clear();
    DbConnection::close(QLatin1String(QSqlDatabase::defaultConnection));
    if (s_instance == this)
        s_instance = nullptr;
}

namespace {

// "db1:5432,db2:5433": each host with the port at its position; the last port for the hosts beyond.
QString withPorts(const QStringList &hosts, const QStringList &ports)
{
    QStringList servers;
    for (int i = 0; i < hosts.size(); ++i)
        servers.append(DbConnection::serverAddress(hosts.at(i).trimmed(), ports.value(i, ports.last()).trimmed()));
    return servers.join(QLatin1Char(','));
}

// The encryption of the [database] section: tls, tls_ca, tls_cert, tls_key; relative files are
// taken from the folder of the file.
DbTls tlsSettings(const orv_public::IniSettings &ini, QString *error)
{
    DbTls tls;
    const QString mode = ini.value(QStringLiteral("database/tls"), DbTls::modeName(DbTls::Preferred));
    bool known = false;
    tls.mode = DbTls::modeFromName(mode, &known);
    if (!known && error && error->isEmpty())
        *error = OrvTableDataMgr::tr("数据库配置 %1 中的加密方式“%2”无法识别，可用的方式: %3").arg(ini.path(), mode, DbTls::acceptedModeNames());
    const QDir folder = QFileInfo(ini.path()).absoluteDir();
    auto file = [&](const char *key) {
        const QString name = ini.value(QStringLiteral("database/") + QLatin1String(key));
        return name.isEmpty() ? name : folder.absoluteFilePath(name);
    };
    tls.caFile = file("tls_ca");
    tls.certFile = file("tls_cert");
    tls.keyFile = file("tls_key");
    return tls;
}

} // namespace

DbLinkParams OrvTableDataMgr::platformLinkParams(QString *error)
{
    const orv_public::IniSettings ini(QDir(InstallRoot::etcDir()).filePath(QStringLiteral("database.ini")));
    // Only a file that is not there means the embedded demo: one that cannot be read is no
    // permission to open something else.
    if (!ini.readError().isEmpty() && error)
        *error = tr("无法读取数据库配置 %1: %2").arg(ini.path(), ini.readError());
    for (const QString &bad : ini.unreadable())
        ORV_LOG_ERROR(tr("数据库配置 %1 中的值不是文本，按默认值读取: %2").arg(ini.path(), bad));
    // Nor is a file without a type (no [database] line, a misspelt key): the demo opened in its
    // place would take the edits meant for the platform's database.
    if (ini.readError().isEmpty() && QFileInfo::exists(ini.path()) && !ini.contains(QStringLiteral("database/type")) && error)
        *error = tr("数据库配置 %1 的 [database] 节中没有数据库类型 type，可用的类型: %2").arg(ini.path(), DbConnection::acceptedTypeNames());
    DbLinkParams p;
    const QString typeName = ini.value(QStringLiteral("database/type"), QStringLiteral("SQLite"));
    bool known = false;
    p.type = DbConnection::typeFromName(typeName, &known);
    if (!known && error)
        *error = tr("数据库配置 %1 中的数据库类型“%2”无法识别，可用的类型: %3")
                     .arg(ini.path(), typeName, DbConnection::acceptedTypeNames());
    p.database = ini.value(QStringLiteral("database/name"), QStringLiteral("data/demo.sqlite"));
    // A relative file is the user's: on a read-only installation a copy of the shipped one.
    if (p.type == orv_dbms::DB_SQLITE && QFileInfo(p.database).isRelative()) {
        QString copyError;
        p.database = InstallRoot::provideUserFile(p.database, &copyError);
        if (!copyError.isEmpty())
            ORV_LOG_ERROR(copyError);
    }
    p.host = ini.value(QStringLiteral("database/host"), QStringLiteral("127.0.0.1"));
    // Several hosts may be given their ports in one list: "host=db1,db2" with "port=5432,5433".
    const QStringList ports = ini.value(QStringLiteral("database/port"), QStringLiteral("0")).split(QLatin1Char(','));
    // A mistyped port must not quietly become the usual one, a server other than the one meant.
    for (const QString &port : ports) {
        bool ok = port.trimmed().isEmpty();
        const int number = ok ? 0 : port.trimmed().toInt(&ok);
        if ((!ok || number < 0 || number > 65535) && error && error->isEmpty())
            *error = tr("数据库配置 %1 中的端口“%2”无效：端口须是1到65535之间的数").arg(ini.path(), port.trimmed());
    }
    p.port = ports.first().trimmed().toInt();
    if (ports.size() > 1)
        p.host = withPorts(p.host.split(QLatin1Char(',')), ports);
    p.user = ini.value(QStringLiteral("database/user"));
    p.password = ini.value(QStringLiteral("database/password"));
    p.tls = tlsSettings(ini, error);
    return p;
}

QString OrvTableDataMgr::initDBLink(DataBaseInterface::LinkType linkType, const QString &user,
                                    const QString &password, const QString &host, int port,
                                    const QString &dbName, orv_dbms::EDbType dbType, const DbTls &tls)
{
    DbLinkParams p;
    p.tls = tls;
    p.type = dbType;
    p.user = user;
    p.password = password;
    p.host = host;
    p.port = port;
    p.database = dbName;
    return openLink(p, linkType);
}

QString OrvTableDataMgr::initDBLink(DataBaseInterface::LinkType linkType)
{
    QString error;
    const DbLinkParams params = platformLinkParams(&error);
    return error.isEmpty() ? openLink(params, linkType) : error;
}

QString OrvTableDataMgr::openLink(const DbLinkParams &params, DataBaseInterface::LinkType linkType)
{
    onSysQuit();
    const QString error = DbConnection::open(params, QLatin1String(QSqlDatabase::defaultConnection), &m_lastLinkField);
    if (!error.isEmpty())
        return error;
    {
        QMutexLocker lock(&m_mutex);
        m_params = params;
        m_linkType = linkType;
    }
    m_linked = true;
    m_lost = false;
    noteDataChanged();
    emit dbInfoChanged(getDbInfo());
    return QString();
}

void OrvTableDataMgr::onSysQuit()
{
    // Models stay valid objects; they simply read nothing until a link exists again.
    m_linked = false;
    DbConnection::close(QLatin1String(QSqlDatabase::defaultConnection));
    noteDataChanged();
}

DbLinkParams OrvTableDataMgr::linkParams() const
{
    QMutexLocker lock(&m_mutex);
    return m_params;
}

bool OrvTableDataMgr::isLinked() const
{
    return m_linked;
}

void OrvTableDataMgr::setExtraDbInfo(const QString &info)
{
    m_extraDbInfo = info;
    emit dbInfoChanged(getDbInfo());
}

void OrvTableDataMgr::setLoginUser(const QString &user)
{
    QMutexLocker lock(&m_mutex);
    m_loginUser = user;
}

QString OrvTableDataMgr::loginUser() const
{
    QMutexLocker lock(&m_mutex);
    return m_loginUser;
}

void OrvTableDataMgr::setRight(RIGHT right)
{
    m_right = right;
}

void OrvTableDataMgr::setPrimaryEditable(bool editable)
{
    m_primaryEditable = editable;
}

QString OrvTableDataMgr::getDbInfo() const
{
    QString link = tr("数据库未连接");
    if (m_linked) {
        // Of several servers, the one that answered.
        DbLinkParams inUse = m_params;
        if (m_params.servers().size() > 1)
            inUse.host = DbConnection::serverInUse(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false));
        link = tr("数据库:%1").arg(inUse.describe());
        if (m_params.type != orv_dbms::DB_SQLITE) {
            const QString protocol = DbConnection::tlsProtocol(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false));
            link += QLatin1Char(' ') + (protocol.isEmpty() ? tr("未加密") : tr("已加密(%1)").arg(protocol));
        }
    }
    return m_extraDbInfo + link;
}

bool OrvTableDataMgr::selectOnly(const QString &sql, QSqlQuery &query)
{
    return selectOnly(sql, QVariantList(), query);
}

bool OrvTableDataMgr::selectOnly(const QString &sql, const QVariantList &values, QSqlQuery &query)
{
    m_lastError = ensureLink();
    if (!m_lastError.isEmpty())
        return false;
    bool ok = runSelect(sql, values, query);
    // A server that restarted took the connection along: the read is asked again once over a
    // new one. A server that did not answer in time is not asked again at once.
    if (!ok && m_lost && !m_timedOut) {
        m_lastError = ensureLink();
        ok = m_lastError.isEmpty() && runSelect(sql, values, query);
    }
    return ok;
}

bool OrvTableDataMgr::runSelect(const QString &sql, const QVariantList &values, QSqlQuery &query)
{
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    ResponseGuard guard(db, DbConnection::responseLimitSeconds());
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant &v : values)
            query.addBindValue(v);
        ok = query.exec();
    }
    if (!ok)
        noteFailure(query.lastError(), guard.timedOut(), &m_lastError);
    return ok;
}

void OrvTableDataMgr::noteFailure(const QSqlError &error, bool timedOut, QString *text)
{
    m_timedOut = timedOut;
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (timedOut || DbConnection::isLinkLost(db, error))
        m_lost = true;
    *text = DbConnection::failureText(db, timedOut, error);
    if (m_lost)
        emit linkStatus(tr("数据库连接中断: %1").arg(text->simplified()));
}

QString OrvTableDataMgr::ensureLink()
{
    if (!m_linked)
        return tr("数据库未连接");
    // A connection that went bad under a call made past this class is lost too: Qt would run
    // nothing on it, and say no word why.
    if (!m_lost && !QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false).isOpen())
        m_lost = true;
    if (!m_lost)
        return QString();
    const QString error = DbConnection::reopen(m_params, QLatin1String(QSqlDatabase::defaultConnection));
    if (!error.isEmpty()) {
        emit linkStatus(tr("数据库连接中断，重新连接失败"));
        return tr("数据库连接中断，重新连接失败: %1").arg(error);
    }
    m_lost = false;
    m_timedOut = false;
    noteDataChanged();
    emit dbInfoChanged(getDbInfo());
    emit linkStatus(tr("已重新连接数据库 %1").arg(DbConnection::serverInUse(QSqlDatabase::database())));
    return QString();
}

OrvAuditLog::Context OrvTableDataMgr::auditContext() const
{
    QMutexLocker lock(&m_mutex);
    OrvAuditLog::Context context;
    context.account = m_loginUser.isEmpty() ? m_params.user : m_loginUser;
    const QString how = m_linkType == DataBaseInterface::LINK_PLATFORM ? tr("平台连接") : tr("直连");
    context.link = m_params.describe() + QLatin1Char(' ') + how;
    return context;
}

QString OrvTableDataMgr::valueRefusal(const QList<SqlWrite> &writes, DbConnection::BatchResult *result)
{
    // A batch sets one column of one table over and over: looked up once.
    QString table, column;
    TableDefinition def;
    const ColMgrData *descriptor = nullptr;
    for (int i = 0; i < writes.size(); ++i) {
        const SqlWrite &w = writes.at(i);
        for (const SqlWrite::Cell &cell : w.cells) {
            if (w.table.compare(table, Qt::CaseInsensitive) != 0) {
                table = w.table;
                def = definitionOfTable(table);
                column.clear();
            }
            if (cell.column.compare(column, Qt::CaseInsensitive) != 0) {
                column = cell.column;
                const int col = def.columns.findCol(column);
                descriptor = col >= 0 ? &def.columns.at(col) : nullptr;
            }
            QString reason;
            if (!descriptor)
                reason = tr("表 %1 的定义中没有列 %2，无法检查其值").arg(w.table, cell.column);
            else if (!cell.value.isNull())
                reason = descriptor->refusal(cell.value.toString());
            if (!reason.isEmpty()) {
                result->failedIndex = i;
                result->failedColumn = cell.column;
                return writes.size() == 1 ? tr("%1。未执行任何修改。").arg(reason)
                                          : tr("第%1条语句: %2。未执行任何修改。").arg(i + 1).arg(reason);
            }
        }
    }
    return QString();
}

QString OrvTableDataMgr::refusal(const QList<SqlWrite> &writes, DbConnection::BatchResult *result)
{
    if (!m_linked)
        return tr("数据库未连接");
    if (right() == RIGHT_READONLY)
        return tr("当前用户没有修改权限，未执行任何修改。");
    return valueRefusal(writes, result);
}

void OrvTableDataMgr::finishWrites(const QList<SqlWrite> &writes, OrvAuditLog::Trail &trail, OrvAuditLog::Outcome outcome,
                                   const QString &reason)
{
    trail.record(outcome, auditContext(), reason);
    if (outcome != OrvAuditLog::Outcome::Committed)
        return;
    noteDataChanged();
    QStringList tables;
    QSet<QString> seen;
    for (const SqlWrite &w : writes) {
        if (!seen.contains(w.table.toLower())) {
            seen.insert(w.table.toLower());
            tables.append(w.table);
        }
    }
    // Queued, also on the GUI thread: a writer finishes its own bookkeeping (a saved model marks
    // itself current) before the pages hear of the change.
    QMetaObject::invokeMethod(this, [this, tables] { emit tablesChanged(tables); }, Qt::QueuedConnection);
}

DbConnection::BatchResult OrvTableDataMgr::runWrites(QSqlDatabase db, const QList<SqlWrite> &writes,
                                                     const std::function<void(int)> &progress, const QString &refused)
{
    OrvAuditLog::Trail trail(writes);
    DbConnection::BatchResult result;
    result.error = refused.isEmpty() ? refusal(writes, &result) : refused;
    if (!result.error.isEmpty()) {
        finishWrites(writes, trail, OrvAuditLog::Outcome::Refused, result.error);
        return result;
    }
    result = DbConnection::executeBatch(db, writes, progress);
    finishWrites(writes, trail, result.error.isEmpty() ? OrvAuditLog::Outcome::Committed : OrvAuditLog::Outcome::RolledBack,
                 result.error);
    return result;
}

DbConnection::BatchResult OrvTableDataMgr::executeWrites(const QList<SqlWrite> &writes)
{
    const QSqlDatabase link = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    // A link that cannot be opened again refuses the writes, and the audit trail says so.
    DbConnection::BatchResult result = runWrites(link, writes, {}, ensureLink());
    // The link was gone before anything reached the server: the writes are run once more over a
    // new one. Once the transaction had begun they are not: they are reported undone. A server
    // that did not answer is not asked again at once.
    if (result.linkLost) {
        m_lost = true;
        m_timedOut = result.timedOut;
        if (!result.begun && !result.timedOut && ensureLink().isEmpty())
            result = runWrites(link, writes);
    }
    if (result.linkLost) {
        m_lost = true;
        emit linkStatus(tr("数据库连接中断，修改未完成"));
    }
    m_lastError = result.error;
    return result;
}

QString OrvTableDataMgr::writesOfTexts(const QStringList &sqls, QList<SqlWrite> *writes)
{
    writes->clear();
    writes->reserve(sqls.size());
    QString refused;
    for (int i = 0; i < sqls.size(); ++i) {
        const QString &sql = sqls.at(i);
        QString why;
        SqlWrite w;
        if (!orv_sql::isSingleStatement(sql)) {
            why = tr("第%1条语句不是单条SQL语句，已拒绝执行，未执行任何修改。\n语句: %2").arg(i + 1).arg(sql);
        } else {
            QString forms;
            w = SqlWrite::fromText(sql, &forms);
            if (!forms.isEmpty())
                why = tr("第%1条语句的值无法检查，已拒绝执行，未执行任何修改。可以检查的语句: %2\n语句: %3").arg(i + 1).arg(forms, sql);
        }
        if (!why.isEmpty()) {
            w = SqlWrite();
            w.form = SqlWrite::Given;
            w.givenText = sql;
            if (refused.isEmpty())
                refused = why;
        }
        writes->append(w);
    }
    return refused;
}

QString OrvTableDataMgr::executeBatch(const QStringList &sqls)
{
    QList<SqlWrite> writes;
    const QString refused = writesOfTexts(sqls, &writes);
    if (!refused.isEmpty()) {
        m_lastError = runWrites(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false), writes, {}, refused).error;
        return m_lastError;
    }
    return executeWrites(writes).error;
}

bool OrvTableDataMgr::executeOnly(const QStringList &sqls)
{
    const QString error = executeBatch(sqls);
    if (!error.isEmpty())
        emit dbError(error);
    return error.isEmpty();
}

void OrvTableDataMgr::noteDataChanged()
{
    m_generation.fetchAndAddOrdered(1);
}

TableDefinition OrvTableDataMgr::definition(const QString &fileName, QString *error)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_definitions.constFind(fileName);
    if (it != m_definitions.constEnd())
        return it.value();
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\'))) {
        if (error)
            *error = tr("无效的表定义名: %1").arg(fileName);
        return TableDefinition();
    }
    const TableDefinition def = TableDefinition::readFile(QDir(InstallRoot::tablesDir()).filePath(fileName), error);
    if (def.isValid())
        m_definitions.insert(fileName, def);
    return def;
}

TableDefinition OrvTableDataMgr::definitionOfTable(const QString &table)
{
    QMutexLocker lock(&m_mutex);
    if (m_tables.isEmpty()) {
        for (const TableDefinition &def : TableDefinition::readDirectory(InstallRoot::tablesDir(), nullptr))
            if (!m_tables.contains(def.tableName.toLower()))
                m_tables.insert(def.tableName.toLower(), def);
    }
    return m_tables.value(table.toLower());
}

OrvTableModel *OrvTableDataMgr::createModel(const QString &name)
{
    OrvTableModel *model = m_models.value(name);
    if (model) {
        // Written to since it was read: read it again, so no caller sees stale rows.
        if (model->isLoaded() && model->loadedGeneration() != dataGeneration())
            model->load(true);
        return model;
    }
    model = createOwnModel(name, this);
    if (model)
        m_models.insert(name, model);
    return model;
}

OrvTableModel *OrvTableDataMgr::createOwnModel(const QString &name, QObject *parent)
{
    QString defName = name;
    QString condition;
    orv_view::parse(name, &defName, &condition);
    const TableDefinition def = definition(defName);
    return def.isValid() ? new OrvTableModel(def, condition, parent) : nullptr;
}
