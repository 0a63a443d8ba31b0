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
    // Points whose link row names no front-end point: one join, the database's work.
    const QString key = RuleQuery::concat({QStringLiteral("'%1.'").arg(p[0]), QStringLiteral("a.") + p[1]});
    QList<ST_CfgCheckError> found;
    query.forEach(query.sortedSelect({QStringLiteral("a.") + p[1], QStringLiteral("a.") + p[2]},
                                     QStringLiteral("%1 a JOIN %2 m ON %3").arg(p[0], p[3], RuleQuery::sameText(QStringLiteral("m.KEY_ID_TAG"), key)),
                                     QStringLiteral("a.POINT_PROPERTY = '0' AND m.%1 = '-1'").arg(p[5])),
                  [&found](const RuleQuery::Row &row) {
                      found.append(finding(row.at(0), row.at(1), text(QT_TRANSLATE_NOOP("CfgCheckRules", "未关联前置测点"))));
                  });
    return query.result(found);
}

ST_CfgCheckResult checkLink(orvConfigCheck *engine, QStringList p)
{
    RuleQuery query;
    if (p.size() < 7)
        return query.result({});
    // The database says of each row whether a row of the parent holds its link value (an empty
    // value, or NULL read as one, is held by a parent whose key is empty or NULL); the rows are
    // walked for the progress they report.
    const QString parentKey = QStringLiteral("v.") + p[5];
    const QString value = QStringLiteral("t.") + p[1];
    const QString held = QStringLiteral("CASE WHEN EXISTS (SELECT 1 FROM %1 v WHERE %2) OR (%3 "
                                        "AND EXISTS (SELECT 1 FROM %1 v WHERE %4 IS NULL OR %5)) THEN '1' ELSE '0' END")
                             .arg(p[4], RuleQuery::sameText(parentKey, value),
                                  RuleQuery::isEmptyText(QStringLiteral("COALESCE(%1, '')").arg(value)), parentKey,
                                  RuleQuery::isEmptyText(parentKey));
    // Where the tag is the table's key, the descriptions of the rows found are looked up after:
    // reading every row's description cost more than the rest of the walk. A description column
    // the table lacks fails the rule then too, found rows or not.
    const bool keyed = query.describedByKey(p[0], p[2], p[3]);
    QStringList columns{QStringLiteral("t.") + p[2], QStringLiteral("t.") + p[1]};
    if (!keyed)
        columns.append(QStringLiteral("t.") + p[3]);
    columns.append(held);
    const int n = query.count(p[0]);
    int i = 0;
    int reported = -1;
    QList<ST_CfgCheckError> found;
    query.forEach(query.sortedSelect(columns, p[0] + QStringLiteral(" t"), QString(), columns.size() - 1),
                  [&](const RuleQuery::Row &row) {
                      // Each percent is reported once: a row-by-row signal would cost more than the check.
                      const int percent = n > 0 ? int(qint64(i++) * 100 / n) : 0;
                      if (percent != reported && engine)
                          engine->reportProgress(percent);
                      reported = percent;
                      if (row.last() == QLatin1String("0"))
                          found.append(finding(row.at(0), keyed ? QString() : row.at(2),
                                               p[1] + QStringLiteral(" = ") + row.at(1) + text(QT_TRANSLATE_NOOP("CfgCheckRules", " 不存在"))));
                  });
    if (keyed)
        query.describe(p[0], p[2], p[3], &found);
    return query.result(found);
}

ST_CfgCheckResult checkLockParamIsControl(orvConfigCheck *, QStringList p)
{
    RuleQuery query;
    if (p.size() < 6)
        return query.result({});
    // Each row is the referenced DI tag, description, and whether the DI is missing.
    QList<ST_CfgCheckError> found;
    const QString missing = QStringLiteral("CASE WHEN f.%1 IS NULL THEN 'missing' ELSE '' END").arg(kTagName);
    query.forEach(query.sortedSelect({QStringLiteral("r.") + p[1], QStringLiteral("r.") + p[2], missing},
                                     QStringLiteral("%1 r LEFT JOIN %2 f ON %3")
                                         .arg(p[0], p[3], RuleQuery::sameText(QStringLiteral("f.") + kTagName, QStringLiteral("r.") + p[1])),
                                     QStringLiteral("f.%1 IS NULL OR f.%2 = '0'").arg(kTagName, p[4]), 2),
                  [&found](const RuleQuery::Row &row) {
                      const bool missing = !row.at(2).isEmpty();
                      found.append(finding(row.at(0), row.at(1),
                                           missing ? text(QT_TRANSLATE_NOOP("CfgCheckRules", "DI点不存在"))
                                                   : text(QT_TRANSLATE_NOOP("CfgCheckRules", "DI点不可控"))));
                  });
    return query.result(found);
}

ST_CfgCheckResult checkPointIsExist(orvConfigCheck *, QStringList p)
{
    RuleQuery query;
    if (p.size() < 3)
        return query.result({});
    QVector<RuleQuery::Row> refs;
    query.forEach(query.sortedSelect({p[1]}, p[0]), [&refs](const RuleQuery::Row &row) { refs.append(row); });
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
