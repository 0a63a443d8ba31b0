#include "orvConfigCheck.h"

#include "Common.h"
#include "OrvTableDataMgr.h"
#include "RuleQuery.h"
#include "AccessRules.h"
#include "LinkPlaceRules.h"
#include "LinkRules.h"
#include "TagNameRules.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSet>
#include <QThread>
#include <QXmlStreamReader>

#include <atomic>
#include <memory>

orvConfigCheck::orvConfigCheck(QObject *parent)
    : orvConfigCheck(defaultConfigPath(), parent)
{
}

orvConfigCheck::orvConfigCheck(const QString &path, QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<ST_CfgCheckItem *>();
    initFuncMap();
    loadConfig(path);
}

QString orvConfigCheck::defaultConfigPath()
{
    return Common::getTreePath(QStringLiteral("../fileLogic/configcheck.xml"));
}

void orvConfigCheck::initFuncMap()
{
    mapCheckFunc = {
        {QStringLiteral("FUNC_CHECK_NULL"), FUNC_CHECK_NULL},
        {QStringLiteral("FUNC_CHECK_CHANNEL_TAGNAME"), FUNC_CHECK_CHANNEL_TAGNAME},
        {QStringLiteral("FUNC_CHECK_RTU_TAGNAME"), FUNC_CHECK_RTU_TAGNAME},
        {QStringLiteral("FUNC_CHECK_FESPOINT_TAGNAME"), FUNC_CHECK_FESPOINT_TAGNAME},
        {QStringLiteral("FUNC_CHECK_FES_DATABLOCK_TAGNAME"), FUNC_CHECK_FES_DATABLOCK_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_GROUP_TAGNAME"), FUNC_CHECK_DEV_GROUP_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_TAGNAME"), FUNC_CHECK_DEV_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_POINT_TAGNAME"), FUNC_CHECK_DEV_POINT_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_POINT_LINK_FES"), FUNC_CHECK_DEV_POINT_LINK_FES},
        {QStringLiteral("FUNC_CHECK_LINk"), FUNC_CHECK_LINK},
        {QStringLiteral("FUNC_CHECK_LOCK_PARAM_IS_CONTROL"), FUNC_CHECK_LOCK_PARAM_IS_CONTROL},
        {QStringLiteral("FUNC_CHECK_POINT_IS_EXIST"), FUNC_CHECK_POINT_IS_EXIST},
        {QStringLiteral("FUNC_CHECK_ACCESS"), FUNC_CHECK_ACCESS},
        {QStringLiteral("FUNC_CHECK_FES_LINKED_TWICE"), FUNC_CHECK_FES_LINKED_TWICE},
        {QStringLiteral("FUNC_CHECK_LINK_ACROSS_PLACES"), FUNC_CHECK_LINK_ACROSS_PLACES},
    };
    mapRepairFunc = {
        {QStringLiteral("FUNC_NULL"), FUNC_NULL},
        {QStringLiteral("FUNC_DELETE"), FUNC_DELETE},
    };
}

namespace {

// Parameters a check rule reads; the rule runs no query with fewer.
int neededParams(int nRule)
{
    switch (nRule) {
    case orvConfigCheck::FUNC_CHECK_FESPOINT_TAGNAME:
    case orvConfigCheck::FUNC_CHECK_FES_DATABLOCK_TAGNAME:
    case orvConfigCheck::FUNC_CHECK_DEV_POINT_TAGNAME: return 1;
    case orvConfigCheck::FUNC_CHECK_DEV_POINT_LINK_FES:
    case orvConfigCheck::FUNC_CHECK_LOCK_PARAM_IS_CONTROL: return 6;
    case orvConfigCheck::FUNC_CHECK_LINK: return 7;
    case orvConfigCheck::FUNC_CHECK_POINT_IS_EXIST:
    case orvConfigCheck::FUNC_CHECK_LINK_ACROSS_PLACES: return 3;
    case orvConfigCheck::FUNC_CHECK_FES_LINKED_TWICE: return 2;
    default: return 0;
    }
}

// The table and the key column of a deletion are the 1st and the 3rd parameter.
constexpr int DeleteParams = 3;

bool deletesRecords(const ST_CfgCheckItem *item)
{
    return item && item->nRepairRule == orvConfigCheck::FUNC_DELETE && item->lstParams.size() >= DeleteParams;
}

// The record a finding of a deleting item names. A NULL key is not the empty one.
QString recordOf(const ST_CfgCheckItem &item, const ST_CfgCheckError &e)
{
    return item.lstParams.at(0).toLower() + QLatin1Char('\n') + item.lstParams.at(2).toLower()
        + (e.strTagName.isNull() ? QStringLiteral("\nNULL") : QStringLiteral("\n'") + e.strTagName);
}

} // namespace

void orvConfigCheck::loadConfig(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadError = tr("无法打开检查配置文件 %1: %2").arg(path, file.errorString());
        return;
    }
    ST_CfgCheckType group;
    ST_CfgCheckItem item;
    QString checkRule;
    QString repairRule;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("type")) {
                group.bEnable = a.value(QLatin1String("enable")) == QLatin1String("true");
                group.strName = a.value(QLatin1String("name")).toString();
            } else if (xml.name() == QLatin1String("checkitem")) {
                checkRule = a.value(QLatin1String("checkRule")).toString();
                repairRule = a.value(QLatin1String("repairRule")).toString();
                item.strTable = a.value(QLatin1String("table")).toString();
                item.strDes = a.value(QLatin1String("des")).toString();
                item.nCheckRule = mapCheckFunc.value(checkRule, FUNC_CHECK_NULL);
                item.nRepairRule = mapRepairFunc.value(repairRule, FUNC_NULL);
                item.bCanRepair = item.nRepairRule != FUNC_NULL;
            } else if (xml.name() == QLatin1String("param")) {
                item.lstParams.append(a.value(QLatin1String("value")).toString());
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("type")) {
                lstTypes.append(group);
                group = ST_CfgCheckType();
            } else if (xml.name() == QLatin1String("checkitem")) {
                warnAboutItem(group, item, checkRule, repairRule);
                group.lstItems.append(item);
                item = ST_CfgCheckItem();
            }
        }
    }
    if (xml.hasError())
        m_loadError = tr("检查配置文件 %1 格式错误(第%2行): %3").arg(path).arg(xml.lineNumber()).arg(xml.errorString());
}

void orvConfigCheck::warnAboutItem(const ST_CfgCheckType &group, const ST_CfgCheckItem &item, const QString &checkRule,
                                   const QString &repairRule)
{
    const QString where = tr("检查项“%1 / %2”: ").arg(group.strName, item.strDes);
    if (!checkRule.isEmpty() && !mapCheckFunc.contains(checkRule))
        m_loadWarnings.append(where + tr("未知的检查规则 %1，该项不做检查").arg(checkRule));
    if (!repairRule.isEmpty() && !mapRepairFunc.contains(repairRule))
        m_loadWarnings.append(where + tr("未知的修复规则 %1，该项不能自动修复").arg(repairRule));
    const int needed = neededParams(item.nCheckRule);
    if (item.lstParams.size() < needed)
        m_loadWarnings.append(where + tr("检查规则 %1 需要至少 %2 个参数，只有 %3 个，该项不做检查")
                                          .arg(checkRule).arg(needed).arg(item.lstParams.size()));
    if (item.nRepairRule == FUNC_DELETE && item.lstParams.size() < DeleteParams)
        m_loadWarnings.append(where + tr("修复规则 %1 需要至少 %2 个参数，只有 %3 个，该项不会删除任何记录")
                                          .arg(repairRule).arg(DeleteParams).arg(item.lstParams.size()));
    if (item.nCheckRule != FUNC_CHECK_ACCESS)
        return;
    for (const QString &definition : CfgCheckRules::accessDefinitions()) {
        QString error;
        if (!OrvTableDataMgr::getInstance()->definition(definition, &error).isValid())
            m_loadWarnings.append(where + tr("表定义 %1 无法打开，用到它的权限检查不报告任何结果: %2").arg(definition, error));
    }
}

ST_CfgCheckResult orvConfigCheck::runRule(const ST_CfgCheckItem &item)
{
    using namespace CfgCheckRules;
    switch (item.nCheckRule) {
    case FUNC_CHECK_CHANNEL_TAGNAME: return checkChannelTagName();
    case FUNC_CHECK_RTU_TAGNAME: return checkRtuTagName();
    case FUNC_CHECK_FESPOINT_TAGNAME: return checkFesPointTagName(item.lstParams);
    case FUNC_CHECK_FES_DATABLOCK_TAGNAME: return checkFesDataBlockTagName(item.lstParams);
    case FUNC_CHECK_DEV_GROUP_TAGNAME: return checkDevGroupTagName();
    case FUNC_CHECK_DEV_TAGNAME: return checkDevTagName();
    case FUNC_CHECK_DEV_POINT_TAGNAME: return checkDevPointTagName(item.lstParams);
    case FUNC_CHECK_DEV_POINT_LINK_FES: return checkDevPointLinkFes(this, item.lstParams);
    case FUNC_CHECK_LINK: return checkLink(this, item.lstParams);
    case FUNC_CHECK_LOCK_PARAM_IS_CONTROL: return checkLockParamIsControl(this, item.lstParams);
    case FUNC_CHECK_POINT_IS_EXIST: return checkPointIsExist(this, item.lstParams);
    case FUNC_CHECK_ACCESS: return checkAccess(this);
    case FUNC_CHECK_FES_LINKED_TWICE: return checkFesLinkedTwice(item.lstParams);
    case FUNC_CHECK_LINK_ACROSS_PLACES: return checkLinkAcrossPlaces(item.lstParams);
    default: return {};
    }
}

void orvConfigCheck::checkType(ST_CfgCheckType *pType)
{
    if (!pType)
        return;
    pType->bHasError = false;
    const int count = pType->lstItems.size();
    m_itemPercent = QVector<int>(count, 0);
    m_publishedItem = -1;
    publishProgress();
    std::vector<ST_CfgCheckResult> results(count);
    runItems(*pType, &results);
    m_itemPercent.clear();
    for (int i = 0; i < count; ++i) {
        ST_CfgCheckItem &item = pType->lstItems[i];
        item.lstErrors = results.at(i).lstErrors;
        item.strCheckFailure = results.at(i).strFailure;
        item.strFailedQuery = results.at(i).strFailedQuery;
        if (!item.lstErrors.isEmpty() || !item.strCheckFailure.isEmpty())
            pType->bHasError = true;
    }
}

namespace {

// A server's answer is held whole by its driver until read: two reads at once keep the memory
// of a check over millions of points bounded, and take most of what parallel reads gain.
constexpr int MaxCheckWorkers = 2;

// The item being run on this thread within a group's run; -1 outside one.
thread_local int t_item = -1;

// Rules that read through table definitions' models, which belong to the calling thread.
bool runsOnCallingThread(const ST_CfgCheckItem &item)
{
    return item.nCheckRule == orvConfigCheck::FUNC_CHECK_ACCESS;
}

int workerCount(int items)
{
    return qBound(1, qMin(QThread::idealThreadCount(), MaxCheckWorkers), items);
}

} // namespace

void orvConfigCheck::runItems(const ST_CfgCheckType &group, std::vector<ST_CfgCheckResult> *results)
{
    QVector<int> apart;
    QVector<int> here;
    for (int i = 0; i < group.lstItems.size(); ++i)
        (runsOnCallingThread(group.lstItems.at(i)) ? here : apart).append(i);
    QEventLoop loop;
    int running = 0;
    QList<QThread *> workers;
    const auto next = std::make_shared<std::atomic<int>>(0);
    for (int w = 0; !apart.isEmpty() && w < workerCount(apart.size()); ++w) {
        QThread *worker = newWorker(group, apart, next, results);
        // Connected before it starts: a worker can be done before the next line runs.
        connect(worker, &QThread::finished, &loop, [&running, &loop] {
            if (--running == 0)
                loop.quit();
        });
        ++running;
        workers.append(worker);
        worker->start();
    }
    for (int index : qAsConst(here))
        (*results)[index] = runItem(group, index, QString());
    if (running > 0)
        loop.exec();
    for (QThread *worker : qAsConst(workers)) {
        worker->wait();
        delete worker;
    }
    // What the workers posted before they ended.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

QThread *orvConfigCheck::newWorker(const ST_CfgCheckType &group, const QVector<int> &apart,
                                   const std::shared_ptr<std::atomic<int>> &next, std::vector<ST_CfgCheckResult> *results)
{
    const DbLinkParams params = OrvTableDataMgr::getInstance()->linkParams();
    QThread *worker = QThread::create([this, &group, apart, next, results, params] {
        const QString name = DbConnection::uniqueName(QStringLiteral("orv_check"));
        const QString error = DbConnection::open(params, name);
        CfgCheckRules::RuleQuery::useConnection(name);
        // Each worker writes only the results of the items it took.
        for (int k = (*next)++; k < apart.size(); k = (*next)++)
            (*results)[apart.at(k)] = runItem(group, apart.at(k), error);
        CfgCheckRules::RuleQuery::useConnection(QString());
        DbConnection::close(name);
    });
    return worker;
}

ST_CfgCheckResult orvConfigCheck::runItem(const ST_CfgCheckType &group, int index, const QString &linkError)
{
    t_item = index;
    ST_CfgCheckResult result = linkError.isEmpty() ? runKeyOrdered(group.lstItems.at(index)) : ST_CfgCheckResult{{}, linkError, QString()};
    reportProgress(100);
    t_item = -1;
    return result;
}

ST_CfgCheckResult orvConfigCheck::runKeyOrdered(const ST_CfgCheckItem &item)
{
    using CfgCheckRules::RuleQuery;
    RuleQuery::allowKeyOrder(true);
    ST_CfgCheckResult result = runRule(item);
    // Keys the server ordered otherwise than by code points: run again in the exact order.
    if (RuleQuery::keyOrderFailed()) {
        RuleQuery::allowKeyOrder(false);
        result = runRule(item);
    }
    RuleQuery::allowKeyOrder(false);
    return result;
}

void orvConfigCheck::reportProgress(int nPercent)
{
    const int item = t_item;
    if (item < 0)
        emit sigCheckProgress(nPercent);
    else if (QThread::currentThread() == thread())
        itemProgress(item, nPercent);
    else
        QMetaObject::invokeMethod(this, [this, item, nPercent] { itemProgress(item, nPercent); }, Qt::QueuedConnection);
}

void orvConfigCheck::itemProgress(int index, int percent)
{
    if (index < 0 || index >= m_itemPercent.size() || percent <= m_itemPercent.at(index))
        return;
    m_itemPercent[index] = percent;
    publishProgress();
}

void orvConfigCheck::publishProgress()
{
    const int count = m_itemPercent.size();
    if (count == 0)
        return;
    int total = 0;
    for (int percent : qAsConst(m_itemPercent))
        total += percent;
    const int item = qMin(total / 100, count - 1);
    if (item != m_publishedItem) {
        m_publishedItem = item;
        emit sigCheckItem(item, count);
    }
    emit sigCheckProgress(total - item * 100);
}

bool orvConfigCheck::repairItem(ST_CfgCheckItem *pItem)
{
    return repairItems({pItem});
}

bool orvConfigCheck::repairItems(const QList<ST_CfgCheckItem *> &items)
{
    return repairDelete(items);
}

QList<SqlWrite> orvConfigCheck::plannedDeletions(const QList<ST_CfgCheckItem *> &items)
{
    QList<SqlWrite> deletions;
    QSet<QString> planned;
    for (const ST_CfgCheckItem *item : items) {
        if (!deletesRecords(item))
            continue;
        const QString table = item->lstParams.at(0);
        const QString key = item->lstParams.at(2);
        for (int i = item->lstErrors.size() - 1; i >= 0; --i) {
            const ST_CfgCheckError &e = item->lstErrors.at(i);
            // Several findings (of one item or of two) can name one record; it is deleted once,
            // as a second deletion would change nothing and so undo the whole repair.
            const QString record = recordOf(*item, e);
            if (!e.bSelected || planned.contains(record))
                continue;
            planned.insert(record);
            SqlWrite deletion = SqlWrite::templateDelete(table, key, e.strTagName);
            // No quoted value matches NULL: the bound form says IS NULL.
            if (e.strTagName.isNull())
                deletion.form = SqlWrite::Bound;
            deletions.append(deletion);
        }
    }
    return deletions;
}

QStringList orvConfigCheck::repairStatements(const QList<ST_CfgCheckItem *> &items) const
{
    QStringList sqls;
    for (const SqlWrite &d : plannedDeletions(items))
        sqls.append(d.sql());
    return sqls;
}

bool orvConfigCheck::repairDelete(const QList<ST_CfgCheckItem *> &items)
{
    m_repairError.clear();
    m_repairedRecords = 0;
    m_repairTouched.clear();
    const QList<SqlWrite> deletions = plannedDeletions(items);
    if (!deletions.isEmpty()) {
        // All or nothing: the findings go only when all their records went. The caller tells the user.
        const DbConnection::BatchResult result =
            OrvTableDataMgr::getInstance()->executeWrites(deletions);
        if (!result.error.isEmpty()) {
            const bool gone = result.changedNothing && result.failedIndex >= 0 && result.failedIndex < deletions.size();
            const SqlWrite &failed = deletions.value(result.failedIndex);
            // A keyless record is named as such, not as the empty key.
            const QString record = failed.keyValues().isNull() ? tr("%1 为 NULL").arg(failed.keyColumns())
                                                                : QStringLiteral("%1 = '%2'").arg(failed.keyColumns(), failed.keyValues());
            m_repairError = gone ? tr("表 %1 中已没有 %2 的记录(可能已被删除)，全部删除已撤销。请重新检查后再修复。").arg(failed.table, record)
                                 : result.error;
            return false;
        }
        m_repairedRecords = result.rowsChanged;
    }
    QSet<QString> deleted;
    for (ST_CfgCheckItem *item : items) {
        if (!deletesRecords(item))
            continue;
        for (int i = item->lstErrors.size() - 1; i >= 0; --i) {
            if (item->lstErrors.at(i).bSelected) {
                deleted.insert(recordOf(*item, item->lstErrors.at(i)));
                item->lstErrors.removeAt(i);
            }
        }
    }
    if (deleted.isEmpty())
        return true;
    // Any finding of a deleted record, unticked or another item's, would be repaired in vain and
    // fail its repair.
    for (ST_CfgCheckType &type : lstTypes) {
        for (ST_CfgCheckItem &other : type.lstItems) {
            if (!deletesRecords(&other))
                continue;
            const int before = other.lstErrors.size();
            for (int i = other.lstErrors.size() - 1; i >= 0; --i)
                if (deleted.contains(recordOf(other, other.lstErrors.at(i))))
                    other.lstErrors.removeAt(i);
            if (other.lstErrors.size() != before && !items.contains(&other))
                m_repairTouched.append(&other);
        }
    }
    return true;
}
