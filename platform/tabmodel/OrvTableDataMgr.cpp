#include "OrvTableDataMgr.h"

#include "IniSettings.h"
#include "InstallRoot.h"
#include "OrvLog.h"
#include "OrvTableModel.h"
#include "SqlText.h"
#include "ValueCheck.h"
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

DbLinkParams OrvTableDataMgr::platformLinkParams(QString *error)
{
    const orv_public::IniSettings ini(QDir(InstallRoot::etcDir()).filePath(QStringLiteral("database.ini")));
    for (const QString &bad : ini.unreadable())
        ORV_LOG_ERROR(tr("数据库配置 %1 中的值不是文本，按默认值读取: %2").arg(ini.path(), bad));
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
    p.port = ini.value(QStringLiteral("database/port"), QStringLiteral("0")).trimmed().toInt();
    p.user = ini.value(QStringLiteral("database/user"));
    p.password = ini.value(QStringLiteral("database/password"));
    return p;
}

QString OrvTableDataMgr::initDBLink(DataBaseInterface::LinkType linkType, const QString &user,
                                    const QString &password, const QString &host, int port,
                                    const QString &dbName, orv_dbms::EDbType dbType)
{
    DbLinkParams p;
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
    const QString error = DbConnection::open(params, QLatin1String(QSqlDatabase::defaultConnection));
    if (!error.isEmpty())
        return error;
    {
        QMutexLocker lock(&m_mutex);
        m_params = params;
        m_linkType = linkType;
    }
    m_linked = true;
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
    const QString link = m_linked ? tr("数据库:%1").arg(m_params.describe()) : tr("数据库未连接");
    return m_extraDbInfo + link;
}

bool OrvTableDataMgr::selectOnly(const QString &sql, QSqlQuery &query)
{
    return selectOnly(sql, QVariantList(), query);
}

bool OrvTableDataMgr::selectOnly(const QString &sql, const QVariantList &values, QSqlQuery &query)
{
    if (!m_linked) {
        m_lastError = tr("数据库未连接");
        return false;
    }
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant &v : values)
            query.addBindValue(v);
        ok = query.exec();
    }
    if (!ok)
        m_lastError = query.lastError().text();
    return ok;
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

QString OrvTableDataMgr::valueRefusal(const SqlWrite &write)
{
    if (write.columns.isEmpty())
        return QString();
    const TableDefinition def = definitionOfTable(write.table);
    for (int i = 0; i < write.columns.size() && i < write.newValues.size(); ++i) {
        const int col = def.columns.findCol(write.columns.at(i));
        if (col < 0)
            continue;
        const QString refusal = orv_value::refusal(def.columns.at(col), write.newValues.at(i));
        if (!refusal.isEmpty())
            return refusal;
    }
    return QString();
}

QString OrvTableDataMgr::checkWrites(const QList<SqlWrite> &writes)
{
    if (right() == RIGHT_READONLY)
        return tr("当前用户没有修改权限，未执行任何修改。");
    for (int i = 0; i < writes.size(); ++i) {
        const SqlWrite &w = writes.at(i);
        if (!orv_sql::isSingleStatement(w.sql))
            return tr("第%1条语句不是单条SQL语句，已拒绝执行，未执行任何修改。\n语句: %2").arg(i + 1).arg(w.sql);
        const QString refusal = valueRefusal(w);
        if (!refusal.isEmpty())
            return writes.size() == 1 ? tr("%1。未执行任何修改。").arg(refusal)
                                      : tr("第%1条语句: %2。未执行任何修改。").arg(i + 1).arg(refusal);
    }
    return QString();
}

void OrvTableDataMgr::finishWrites(const QList<SqlWrite> &writes, OrvAuditLog::Outcome outcome, const QString &reason)
{
    OrvAuditLog::record(writes, outcome, auditContext(), reason);
    if (outcome != OrvAuditLog::Outcome::Committed)
        return;
    noteDataChanged();
    QStringList tables;
    QSet<QString> seen;
    for (const SqlWrite &w : writes) {
        const QString table = w.table.isEmpty() ? QStringLiteral("*") : w.table;
        if (!seen.contains(table.toLower())) {
            seen.insert(table.toLower());
            tables.append(table);
        }
    }
    // Queued, also on the GUI thread: a writer finishes its own bookkeeping (a saved model marks
    // itself current) before the pages hear of the change.
    QMetaObject::invokeMethod(this, [this, tables] { emit tablesChanged(tables); }, Qt::QueuedConnection);
}

DbConnection::BatchResult OrvTableDataMgr::executeWrites(const QList<SqlWrite> &writes)
{
    DbConnection::BatchResult result;
    if (!m_linked) {
        result.error = tr("数据库未连接");
    } else {
        result.error = checkWrites(writes);
        if (!result.error.isEmpty()) {
            finishWrites(writes, OrvAuditLog::Outcome::Refused, result.error);
        } else {
            QSqlDatabase db = QSqlDatabase::database();
            result = DbConnection::executeBatch(db, writes);
            finishWrites(writes, result.error.isEmpty() ? OrvAuditLog::Outcome::Committed : OrvAuditLog::Outcome::RolledBack,
                         result.error);
        }
    }
    m_lastError = result.error;
    return result;
}

QString OrvTableDataMgr::executeBatch(const QStringList &sqls)
{
    return executeWrites(SqlWrite::fromTexts(sqls)).error;
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
