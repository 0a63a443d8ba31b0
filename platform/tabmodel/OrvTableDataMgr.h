#pragma once

#include "DbConnection.h"
#include "DbRows.h"
#include "OrvAuditLog.h"
#include "SqlWrite.h"
#include "TabModelTypes.h"
#include "TableDefinition.h"

#include <QAtomicInteger>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include <atomic>
#include <functional>

class OrvTableModel;
class QSqlError;

// The process-wide database link and the table models handed out over it. The link is the
// default QSqlDatabase connection; models are owned and cached here. Every write of the tool
// passes through here (or through the Worker, which uses the same checks): the user's right,
// single statements, values against their columns, rows changed, and the audit trail.
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
                       const QString &host, int port, const QString &dbName, orv_dbms::EDbType dbType,
                       const DbTls &tls = DbTls());
    QString initDBLink(DataBaseInterface::LinkType linkType);
    // The parameter the last failed initDBLink blames; None after a success.
    DbConnection::LinkField lastLinkField() const { return m_lastLinkField; }
    void onSysQuit();
    bool isLinked() const;
    // What the link was opened with. Any thread.
    DbLinkParams linkParams() const;

    // The platform's database configuration (<root>/etc/database.ini); the embedded demo
    // database when the file or an entry is missing. error tells why it cannot be used.
    static DbLinkParams platformLinkParams(QString *error = nullptr);

    void setExtraDbInfo(const QString &info);
    void setLoginUser(const QString &user);
    QString loginUser() const;
    void setRight(RIGHT right);
    RIGHT right() const { return RIGHT(m_right.load()); }
    void setPrimaryEditable(bool editable);
    bool isPrimaryEditable() const { return m_primaryEditable; }
    QString getDbInfo() const;

    bool selectOnly(const QString &sql, QSqlQuery &query);
    // The same with values bound to the ? of the text, in order.
    bool selectOnly(const QString &sql, const QVariantList &values, QSqlQuery &query);
    // All in one transaction; false (and dbError) when any statement fails, nothing applied.
    bool executeOnly(const QStringList &sqls);
    // As executeOnly, returning the error text instead of a flag, without dbError: the caller says it.
    QString executeBatch(const QStringList &sqls);
    // Every writer's writes go through here, over the link.
    DbConnection::BatchResult executeWrites(const QList<SqlWrite> &writes);
    // The one runner behind every write, over the link's connection or a clone of it that the
    // calling thread owns: refused when not linked, for a read-only user, or when a value does
    // not fit its column; else run in one transaction in which every write must change a row;
    // audited; the tables announced once committed. progress(n) follows each write. A refusal
    // found before (a text that cannot be taken apart) is passed in as `refused`. Any thread.
    DbConnection::BatchResult runWrites(QSqlDatabase db, const QList<SqlWrite> &writes,
                                        const std::function<void(int)> &progress = {}, const QString &refused = QString());
    // Statement texts taken apart into writes; the reason when one of them cannot be checked
    // (its write then carries only its text).
    static QString writesOfTexts(const QStringList &sqls, QList<SqlWrite> *writes);
    QString lastError() const { return m_lastError; }

    OrvTableModel *createModel(const QString &name);
    // A model of its own for a caller that edits it (a property page); not cached, owned by parent.
    OrvTableModel *createOwnModel(const QString &name, QObject *parent);
    // The definition of a definition file name, or an invalid one (error set) when unknown.
    TableDefinition definition(const QString &fileName, QString *error = nullptr);
    // The definition of a database table (letter case ignored); invalid when none names it. Any thread.
    TableDefinition definitionOfTable(const QString &table);

    // Counts the writes made through this library, so that cached models know they are stale.
    // Safe to call from any thread.
    quint64 dataGeneration() const { return m_generation.loadAcquire(); }
    void noteDataChanged();

    // Opens the link again when it was lost (a server restart, a failover, a server that stopped
    // answering); empty text when the link can be used. Every read and write asks it first.
    QString ensureLink();

signals:
    void dbError(const QString &error);
    void dbInfoChanged(const QString &info);
    // What happened to the link, for the status bar: lost, opened again, or not.
    void linkStatus(const QString &text);
    // Rows of these tables were changed and committed through the library ("*": not known which).
    void tablesChanged(const QStringList &tables);

private:
    OrvTableDataMgr();
    QString openLink(const DbLinkParams &params, DataBaseInterface::LinkType linkType);
    OrvAuditLog::Context auditContext() const;
    // Why the writes may not run; a refused value names its write and column in result.
    QString refusal(const QList<SqlWrite> &writes, DbConnection::BatchResult *result);
    QString valueRefusal(const QList<SqlWrite> &writes, DbConnection::BatchResult *result);
    bool runSelect(const QString &sql, const QVariantList &values, QSqlQuery &query);
    // Notes a failed call on the link: a lost link is opened again by the next call.
    void noteFailure(const QSqlError &error, bool timedOut, QString *text);
    void finishWrites(const QList<SqlWrite> &writes, OrvAuditLog::Trail &trail, OrvAuditLog::Outcome outcome,
                      const QString &reason);

    static OrvTableDataMgr *s_instance;
    DbLinkParams m_params;
    DataBaseInterface::LinkType m_linkType = DataBaseInterface::LINK_DIRECT;
    std::atomic<bool> m_linked{false};
    bool m_lost = false;     // the link's connection is gone; the next call opens it again
    bool m_timedOut = false; // it went because the server stopped answering
    QString m_extraDbInfo;
    QString m_loginUser;
    std::atomic<int> m_right{RIGHT_EDIT};
    bool m_primaryEditable = false;
    DbConnection::LinkField m_lastLinkField = DbConnection::LinkField::None;
    QString m_lastError;
    QAtomicInteger<quint64> m_generation = 1;
    // Guards what the worker's thread reads too: definitions and the audit identity.
    mutable QMutex m_mutex;
    QHash<QString, TableDefinition> m_definitions;
    QHash<QString, TableDefinition> m_tables; // by lower-case table name, filled on first use
    QHash<QString, OrvTableModel *> m_models;
};
