#include "OrvTableDataMgr.h"

#include "InstallRoot.h"
#include "OrvTableModel.h"
#include "ViewName.h"

#include <QDir>
#include <QSettings>
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

DbLinkParams OrvTableDataMgr::platformLinkParams()
{
    const QString path = QDir(InstallRoot::etcDir()).filePath(QStringLiteral("database.ini"));
    QSettings ini(path, QSettings::IniFormat);
    DbLinkParams p;
    bool known = false;
    p.type = DbConnection::typeFromName(ini.value(QStringLiteral("database/type"), QStringLiteral("SQLite")).toString(), &known);
    if (!known)
        p.type = orv_dbms::DB_SQLITE;
    p.database = ini.value(QStringLiteral("database/name"), QStringLiteral("data/demo.sqlite")).toString();
    if (p.type == orv_dbms::DB_SQLITE)
        p.database = InstallRoot::filePath(p.database);
    p.host = ini.value(QStringLiteral("database/host"), QStringLiteral("127.0.0.1")).toString();
    p.port = ini.value(QStringLiteral("database/port"), 0).toInt();
    p.user = ini.value(QStringLiteral("database/user")).toString();
    p.password = ini.value(QStringLiteral("database/password")).toString();
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
    return openLink(platformLinkParams(), linkType);
}

QString OrvTableDataMgr::openLink(const DbLinkParams &params, DataBaseInterface::LinkType linkType)
{
    onSysQuit();
    const QString error = DbConnection::open(params, QLatin1String(QSqlDatabase::defaultConnection));
    if (!error.isEmpty())
        return error;
    m_params = params;
    m_linkType = linkType;
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
    m_loginUser = user;
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
    if (!m_linked) {
        m_lastError = tr("数据库未连接");
        return false;
    }
    if (query.exec(sql))
        return true;
    m_lastError = query.lastError().text();
    return false;
}

QString OrvTableDataMgr::executeBatch(const QStringList &sqls)
{
    if (!m_linked) {
        m_lastError = tr("数据库未连接");
        emit dbError(m_lastError);
        return m_lastError;
    }
    QSqlDatabase db = QSqlDatabase::database();
    m_lastError = DbConnection::executeBatch(db, sqls);
    if (!m_lastError.isEmpty()) {
        emit dbError(m_lastError);
        return m_lastError;
    }
    noteDataChanged();
    return QString();
}

bool OrvTableDataMgr::executeOnly(const QStringList &sqls)
{
    return executeBatch(sqls).isEmpty();
}

void OrvTableDataMgr::noteDataChanged()
{
    m_generation.fetchAndAddOrdered(1);
}

TableDefinition OrvTableDataMgr::definition(const QString &fileName, QString *error)
{
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
