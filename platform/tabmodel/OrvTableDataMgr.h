#pragma once

#include "DbConnection.h"
#include "TabModelTypes.h"
#include "TableDefinition.h"

#include <QAtomicInteger>
#include <QHash>
#include <QObject>
#include <QSqlQuery>
#include <QStringList>

class OrvTableModel;

// The process-wide database link and the table models handed out over it. The link is the
// default QSqlDatabase connection; models are owned and cached here.
class OrvTableDataMgr : public QObject
{
    Q_OBJECT
public:
    enum RIGHT {
        RIGHT_READONLY = 0, // records may be read but not edited
        RIGHT_EDIT = 1,
    };

    static OrvTableDataMgr *getInstance();
    ~OrvTableDataMgr() override;

    QString initDBLink(DataBaseInterface::LinkType linkType, const QString &user, const QString &password,
                       const QString &host, int port, const QString &dbName, orv_dbms::EDbType dbType);
    QString initDBLink(DataBaseInterface::LinkType linkType);
    void onSysQuit();
    bool isLinked() const;
    const DbLinkParams &linkParams() const { return m_params; }

    // The platform's database configuration (<root>/etc/database.ini); the embedded demo
    // database when the file or an entry is missing.
    static DbLinkParams platformLinkParams();

    void setExtraDbInfo(const QString &info);
    void setLoginUser(const QString &user);
    QString loginUser() const { return m_loginUser; }
    void setRight(RIGHT right);
    RIGHT right() const { return m_right; }
    void setPrimaryEditable(bool editable);
    bool isPrimaryEditable() const { return m_primaryEditable; }
    QString getDbInfo() const;

    bool selectOnly(const QString &sql, QSqlQuery &query);
    // All in one transaction; false (and dbError) when any statement fails, nothing applied.
    bool executeOnly(const QStringList &sqls);
    // As executeOnly, returning the error text instead of a flag.
    QString executeBatch(const QStringList &sqls);
    QString lastError() const { return m_lastError; }

    OrvTableModel *createModel(const QString &name);
    // A model of its own for a caller that edits it (a property page); not cached, owned by parent.
    OrvTableModel *createOwnModel(const QString &name, QObject *parent);
    // The definition of a definition file name, or an invalid one (error set) when unknown.
    TableDefinition definition(const QString &fileName, QString *error = nullptr);

    // Counts the writes made through this library, so that cached models know they are stale.
    // Safe to call from any thread.
    quint64 dataGeneration() const { return m_generation.loadAcquire(); }
    void noteDataChanged();

signals:
    void dbError(const QString &error);
    void dbInfoChanged(const QString &info);

private:
    OrvTableDataMgr();
    QString openLink(const DbLinkParams &params, DataBaseInterface::LinkType linkType);

    static OrvTableDataMgr *s_instance;
    DbLinkParams m_params;
    DataBaseInterface::LinkType m_linkType = DataBaseInterface::LINK_DIRECT;
    bool m_linked = false;
    QString m_extraDbInfo;
    QString m_loginUser;
    RIGHT m_right = RIGHT_EDIT;
    bool m_primaryEditable = false;
    QString m_lastError;
    QAtomicInteger<quint64> m_generation = 1;
    QHash<QString, TableDefinition> m_definitions;
    QHash<QString, OrvTableModel *> m_models;
};
