#include "LinkPlaceRules.h"

#include "RuleQuery.h"

namespace CfgCheckRules {
namespace {

const QString kTagName = QStringLiteral("TAG_NAME");

// "location 1, subsystem 4"
QString place(const QString &location, const QString &subsystem)
{
    return text(QT_TRANSLATE_NOOP("CfgCheckRules", "位置 %1、专业 %2")).arg(location, subsystem);
}

// SQL true where two cells differ, NULL differing from any value but not from NULL.
QString differ(const QString &a, const QString &b)
{
    return QStringLiteral("(%1 <> %2 OR (%1 IS NULL) <> (%2 IS NULL))").arg(a, b);
}

} // namespace

ST_CfgCheckResult checkFesLinkedTwice(QStringList p)
{
    RuleQuery query;
    if (p.size() < 2)
        return query.result({});
    // The links in the order of their front-end point, where a point linked more than once is a
    // run of rows. Compared here rather than grouped by the database: grouping millions of links
    // by an unindexed column takes MariaDB longer than a statement may run.
    QStringList fesTags;
    QList<QStringList> keysOf;
    QString fesTag;
    QStringList keys;
    const auto close = [&] {
        if (keys.size() > 1) {
            fesTags.append(fesTag);
            keysOf.append(keys);
        }
        keys.clear();
    };
    query.forEach(query.sortedSelect({QStringLiteral("FES_TAG"), QStringLiteral("KEY_ID_TAG")}, p[0],
                                     QStringLiteral("FES_TAG <> '' AND FES_TAG <> '-1'")),
                  [&](const RuleQuery::Row &row) {
                      if (row.at(0) != fesTag) {
                          close();
                          fesTag = row.at(0);
                      }
                      keys.append(row.at(1));
                  });
    close();
    const QHash<QString, RuleQuery::Row> points = query.firstRows(p[1], kTagName, {QStringLiteral("DESCRIPTION")}, fesTags);
    QList<ST_CfgCheckError> found;
    for (int i = 0; i < fesTags.size(); ++i)
        found.append(finding(fesTags.at(i), points.value(fesTags.at(i)).value(0),
                             text(QT_TRANSLATE_NOOP("CfgCheckRules", "被 %1 个后台测点关联：%2"))
                                 .arg(keysOf.at(i).size())
                                 .arg(keysOf.at(i).join(QStringLiteral(", ")))));
    return query.result(found);
}

ST_CfgCheckResult checkLinkAcrossPlaces(QStringList p)
{
    RuleQuery query;
    if (p.size() < 3)
        return query.result({});
    // A link to nothing, or from a key of another table, is for the other link rules: the joins leave it out.
    const QString key = RuleQuery::concat({QStringLiteral("'%1.'").arg(p[1]), QStringLiteral("a.") + kTagName});
    const QString from = QStringLiteral("%1 m JOIN %2 a ON m.KEY_ID_TAG = %3 JOIN %4 f ON f.%5 = m.FES_TAG")
                             .arg(p[0], p[1], key, p[2], kTagName);
    const QString across = differ(QStringLiteral("a.LOCATION_ID"), QStringLiteral("f.LOCATION_ID")) + QStringLiteral(" OR ")
        + differ(QStringLiteral("a.SUB_SYSTEM"), QStringLiteral("f.SUB_SYSTEM"));
    QList<ST_CfgCheckError> found;
    query.forEach(query.sortedSelect({QStringLiteral("m.KEY_ID_TAG"), QStringLiteral("a.") + kTagName, QStringLiteral("m.DESCRIPTION"),
                                      QStringLiteral("m.FES_TAG"), QStringLiteral("f.LOCATION_ID"), QStringLiteral("f.SUB_SYSTEM"),
                                      QStringLiteral("a.LOCATION_ID"), QStringLiteral("a.SUB_SYSTEM")},
                                     from, QStringLiteral("m.FES_TAG <> '-1' AND (%1)").arg(across), 1),
                  [&found](const RuleQuery::Row &row) {
                      found.append(finding(row.at(1), row.at(2),
                                           text(QT_TRANSLATE_NOOP("CfgCheckRules", "前置测点 %1 在%2，后台测点在%3"))
                                               .arg(row.at(3), place(row.at(4), row.at(5)), place(row.at(6), row.at(7)))));
                  });
    return query.result(found);
}

} // namespace CfgCheckRules
