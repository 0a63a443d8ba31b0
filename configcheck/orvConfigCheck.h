#pragma once

#include "CfgCheckTypes.h"
#include "SqlWrite.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

// Reads configcheck.xml into check groups, runs their items' check rules and repairs
// findings by deletion.
class orvConfigCheck : public QObject
{
    Q_OBJECT
public:
    enum CheckRule {
        FUNC_CHECK_NULL = 0,
        FUNC_CHECK_CHANNEL_TAGNAME = 1,
        FUNC_CHECK_RTU_TAGNAME = 2,
        FUNC_CHECK_FESPOINT_TAGNAME = 3,
        FUNC_CHECK_FES_DATABLOCK_TAGNAME = 4,
        FUNC_CHECK_DEV_GROUP_TAGNAME = 5,
        FUNC_CHECK_DEV_TAGNAME = 6,
        FUNC_CHECK_DEV_POINT_TAGNAME = 7,
        FUNC_CHECK_DEV_POINT_LINK_FES = 8,
        FUNC_CHECK_LINK = 9,
        FUNC_CHECK_LOCK_PARAM_IS_CONTROL = 10,
        FUNC_CHECK_POINT_IS_EXIST = 11,
        FUNC_CHECK_ACCESS = 12,
        FUNC_CHECK_FES_LINKED_TWICE = 13,
        FUNC_CHECK_LINK_ACROSS_PLACES = 14,
    };
    enum RepairRule { FUNC_NULL = 0, FUNC_DELETE = 1 };

    // Reads the tool's configcheck.xml.
    explicit orvConfigCheck(QObject *parent = nullptr);
    // Reads the given file.
    orvConfigCheck(const QString &path, QObject *parent);

    static QString defaultConfigPath();

    // Runs the group's items, several at once on worker threads, each worker over a connection
    // of its own (the permission check stays on this thread). Waits for them in an event loop:
    // a window stays painted, and signals come on this thread.
    void checkType(ST_CfgCheckType *pType);
    // For a rule: how far it has come (0-100), from whichever thread it runs on.
    void reportProgress(int nPercent);
    // False when the deletion failed; the findings then stay as they were.
    bool repairItem(ST_CfgCheckItem *pItem);
    // The selected findings of all the items in one transaction: every record goes, or none.
    bool repairItems(const QList<ST_CfgCheckItem *> &items);

    // Why the file could not be read completely; empty when it was.
    QString loadError() const { return m_loadError; }
    // What in the file will not work as written: unknown rule names, too few parameters, a table
    // definition a rule needs that cannot be opened.
    QStringList loadWarnings() const { return m_loadWarnings; }
    // Why the last failed repair deleted nothing.
    QString repairError() const { return m_repairError; }
    // Records the last successful repair deleted.
    int repairedRecords() const { return m_repairedRecords; }
    // Items not repaired that lost findings of records the last repair deleted.
    QList<ST_CfgCheckItem *> repairTouched() const { return m_repairTouched; }

    // The statements a repair of the items would run, in order.
    QStringList repairStatements(const QList<ST_CfgCheckItem *> &items) const;
    // The deletions behind them.
    static QList<SqlWrite> repairWrites(const QList<ST_CfgCheckItem *> &items) { return plannedDeletions(items); }

    QList<ST_CfgCheckType> lstTypes;
    QMap<QString, int> mapCheckFunc;
    QMap<QString, int> mapRepairFunc;

signals:
    // In a group's run: how far, in percent, the run has come within its item nIndex (below).
    // A rule run on its own reports its own percent.
    void sigCheckProgress(int nValue);
    // A group's run has done nIndex (from 0) of its nCount items' worth: items done, and the
    // parts of those running.
    void sigCheckItem(int nIndex, int nCount);

private:
    void initFuncMap();
    void loadConfig(const QString &path);
    void warnAboutItem(const ST_CfgCheckType &group, const ST_CfgCheckItem &item, const QString &checkRule,
                       const QString &repairRule);
    ST_CfgCheckResult runRule(const ST_CfgCheckItem &item);
    // The rule with its tables ordered by their keys where the database can (see RuleQuery).
    ST_CfgCheckResult runKeyOrdered(const ST_CfgCheckItem &item);
    // Runs the group's items: on worker threads, and on the calling thread those that must.
    void runItems(const ST_CfgCheckType &group, std::vector<ST_CfgCheckResult> *results);
    // A worker's thread, not started yet: it takes the next item of apart until none is left.
    QThread *newWorker(const ST_CfgCheckType &group, const QVector<int> &apart, const std::shared_ptr<std::atomic<int>> &next,
                       std::vector<ST_CfgCheckResult> *results);
    // The item's rule, or the failure to open the worker's link (linkError) as its result.
    ST_CfgCheckResult runItem(const ST_CfgCheckType &group, int index, const QString &linkError);
    void itemProgress(int index, int percent);
    // Emits how far the group's run has come.
    void publishProgress();
    // One deletion per selected record, each record once, items in order, findings last first.
    static QList<SqlWrite> plannedDeletions(const QList<ST_CfgCheckItem *> &items);
    bool repairDelete(const QList<ST_CfgCheckItem *> &items);

    // The percent of each item of the group being run.
    QVector<int> m_itemPercent;
    int m_publishedItem = -1;
    QString m_loadError;
    QStringList m_loadWarnings;
    QString m_repairError;
    int m_repairedRecords = 0;
    QList<ST_CfgCheckItem *> m_repairTouched;
};
