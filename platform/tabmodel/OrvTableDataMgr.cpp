#include "OrvTableDataMgr.h"

#include "IniSettings.h"
#include "InstallRoot.h"
#include "OrvLog.h"
#include "OrvTableModel.h"
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

QString OrvTableDataMgr::valueRefusal(const QList<SqlWrite> &writes)
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
            if (!reason.isEmpty())
                return writes.size() == 1 ? tr("%1。未执行任何修改。").arg(reason)
                                          : tr("第%1条语句: %2。未执行任何修改。").arg(i + 1).arg(reason);
        }
    }
    return QString();
}

QString OrvTableDataMgr::refusal(const QList<SqlWrite> &writes)
{
    if (!m_linked)
        return tr("数据库未连接");
    if (right() == RIGHT_READONLY)
        return tr("当前用户没有修改权限，未执行任何修改。");
    return valueRefusal(writes);
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
    DbConnection::BatchResult result;
    result.error = refused.isEmpty() ? refusal(writes) : refused;
    if (!result.error.isEmpty()) {
        finishWrites(writes, OrvAuditLog::Outcome::Refused, result.error);
        return result;
    }
    result = DbConnection::executeBatch(db, writes, progress);
    finishWrites(writes, result.error.isEmpty() ? OrvAuditLog::Outcome::Committed : OrvAuditLog::Outcome::RolledBack,
                 result.error);
    return result;
}

DbConnection::BatchResult OrvTableDataMgr::executeWrites(const QList<SqlWrite> &writes)
{
    const DbConnection::BatchResult result = runWrites(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false), writes);
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
    const DbConnection::BatchResult result =
        runWrites(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false), writes, {}, refused);
    m_lastError = result.error;
    return result.error;
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
