#include "LinkRules.h"

#include "OrvTableDataMgr.h"
#include "RuleQuery.h"
#include "orvConfigCheck.h"

namespace CfgCheckRules {
namespace {

const QString kTagName = QStringLiteral("TAG_NAME");

// A reference can only name a point of a table the configuration defines with a tag column; any
// other text names no point, and is not sent to the database as a table name.
bool isPointTable(const QString &table)
{
    const TableDefinition def = OrvTableDataMgr::getInstance()->definitionOfTable(table);
    return def.isValid() && def.columns.findCol(kTagName) >= 0;
}

} // namespace

ST_CfgCheckResult checkDevPointLinkFes(orvConfigCheck *, QStringList p)
{
    RuleQuery query;
    if (p.size() < 6)
        return query.result({});
    // Each row is tag, description.
    const QVector<RuleQuery::Row> points = query.rows(
        QStringLiteral("SELECT %1,%2 FROM %3 WHERE POINT_PROPERTY = '0';").arg(p[1], p[2], p[0]), 2);
    QStringList keys;
    for (const RuleQuery::Row &row : points)
        keys.append(p[0] + QLatin1Char('.') + row.at(0));
    const QHash<QString, RuleQuery::Row> links = query.firstRows(p[3], QStringLiteral("KEY_ID_TAG"), {p[4], p[5]}, keys);
    QList<ST_CfgCheckError> found;
    for (int i = 0; i < points.size(); ++i) {
        const auto link = links.constFind(keys.at(i));
        if (link != links.constEnd() && link->at(1) == QLatin1String("-1"))
            found.append(finding(points.at(i).at(0), points.at(i).at(1), text(QT_TRANSLATE_NOOP("CfgCheckRules", "未关联前置测点"))));
    }
    return query.result(found);
}

ST_CfgCheckResult checkLink(orvConfigCheck *engine, QStringList p)
{
    RuleQuery query;
    if (p.size() < 7)
        return query.result({});
    // Each row is tag, link value, description.
    const QVector<RuleQuery::Row> rows = query.rows(QStringLiteral("SELECT %1,%2,%3 FROM %4;").arg(p[2], p[1], p[3], p[0]), 3);
    const QSet<QString> valid = query.keys(QStringLiteral("SELECT %1,%2 FROM %3;").arg(p[5], p[6], p[4]), 2);
    if (query.failed())
        return query.result({});
    QList<ST_CfgCheckError> found;
    const int n = rows.size();
    int reported = -1;
    for (int i = 0; i < n; ++i) {
        // Each percent is reported once: a row-by-row signal would cost more than the check.
        const int percent = int(qint64(i) * 100 / n);
        if (percent != reported && engine)
            emit engine->sigCheckProgress(percent);
        reported = percent;
        const RuleQuery::Row &row = rows.at(i);
        if (!valid.contains(row.at(1)))
            found.append(finding(row.at(0), row.at(2), p[1] + QStringLiteral(" = ") + row.at(1) + text(QT_TRANSLATE_NOOP("CfgCheckRules", " 不存在"))));
    }
    return query.result(found);
}

ST_CfgCheckResult checkLockParamIsControl(orvConfigCheck *, QStringList p)
{
    RuleQuery query;
    if (p.size() < 6)
        return query.result({});
    // Each row is the referenced DI tag, description.
    const QVector<RuleQuery::Row> rows = query.rows(QStringLiteral("SELECT %1,%2 FROM %3;").arg(p[1], p[2], p[0]), 2);
    QStringList points;
    for (const RuleQuery::Row &row : rows)
        points.append(row.at(0));
    const QHash<QString, RuleQuery::Row> flags = query.firstRows(p[3], kTagName, {p[4], p[5]}, points);
    QList<ST_CfgCheckError> found;
    for (const RuleQuery::Row &row : rows) {
        const auto flag = flags.constFind(row.at(0));
        if (flag == flags.constEnd())
            found.append(finding(row.at(0), row.at(1), text(QT_TRANSLATE_NOOP("CfgCheckRules", "DI点不存在"))));
        else if (flag->at(0) == QLatin1String("0"))
            found.append(finding(row.at(0), row.at(1), text(QT_TRANSLATE_NOOP("CfgCheckRules", "DI点不可控"))));
    }
    return query.result(found);
}

ST_CfgCheckResult checkPointIsExist(orvConfigCheck *, QStringList p)
{
    RuleQuery query;
    if (p.size() < 3)
        return query.result({});
    const QVector<RuleQuery::Row> refs = query.rows(QStringLiteral("SELECT %1 FROM %3;").arg(p[1]).arg(p[0]), 1);
    // table.TAG.attribute names row TAG of table: the tags wanted per table, tables in first-seen order.
    struct Target
    {
        QString table;
        QString tag;
    };
    QVector<Target> targets;
    QStringList tables;
    QHash<QString, QStringList> tagsOf;
    for (const RuleQuery::Row &row : refs) {
        QStringList fields = row.at(0).split(QLatin1Char('.'));
        fields.removeLast();
        Target target;
        if (!fields.isEmpty() && isPointTable(fields.first())) {
            target = {fields.first(), fields.mid(1).join(QLatin1Char('.'))};
            if (!tagsOf.contains(target.table))
                tables.append(target.table);
            tagsOf[target.table].append(target.tag);
        }
        targets.append(target);
    }
    QHash<QString, QHash<QString, RuleQuery::Row>> existing;
    for (const QString &table : qAsConst(tables))
        existing.insert(table, query.firstRows(table, kTagName, {p.last()}, tagsOf.value(table)));
    QList<ST_CfgCheckError> found;
    for (int i = 0; i < refs.size(); ++i) {
        const QString &ref = refs.at(i).at(0);
        if (ref.isEmpty())
            continue; // nothing is referenced
        const Target &target = targets.at(i);
        if (target.table.isEmpty() || !existing.value(target.table).contains(target.tag))
            found.append(finding(ref, ref, text(QT_TRANSLATE_NOOP("CfgCheckRules", "后台测点 %1 不存在")).arg(ref)));
    }
    return query.result(found);
}

} // namespace CfgCheckRules
