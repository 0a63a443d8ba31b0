#include "LinkPlaceRules.h"

#include "RuleQuery.h"

#include <QHash>

#include <algorithm>
#include <deque>
#include <vector>

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

// 64 bits of a text: two texts that share them are told apart by their text afterwards.
quint64 fingerprint(const QString &text)
{
    return quint64(qHash(text, 0)) << 32 | qHash(text, 0x9e3779b9U);
}

// The values that occur more than once, sorted.
std::vector<quint64> repeatedValues(std::deque<quint64> values)
{
    std::sort(values.begin(), values.end());
    std::vector<quint64> repeated;
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i] == values[i - 1] && (repeated.empty() || repeated.back() != values[i]))
            repeated.push_back(values[i]);
    return repeated;
}

} // namespace

ST_CfgCheckResult checkFesLinkedTwice(QStringList p)
{
    RuleQuery query;
    if (p.size() < 2)
        return query.result({});
    // Two walks over the links, which the database reads as they lie (MariaDB in ranges of their
    // key): the first keeps a fingerprint of each front-end point, the second only the links whose
    // fingerprint came twice, grouped by their exact text. Sorting or grouping millions of links
    // by the front-end point, which has no index, takes a server many times longer, and holding
    // the points' texts costs a hundred bytes a link.
    const QString key = QStringLiteral("KEY_ID_TAG");
    const QStringList columns = {key, QStringLiteral("FES_TAG")};
    const QString linked = QStringLiteral("NOT (%1) AND NOT (%2)")
                               .arg(RuleQuery::isEmptyText(QStringLiteral("FES_TAG")), RuleQuery::sameText(QStringLiteral("FES_TAG"), QStringLiteral("'-1'")));
    std::deque<quint64> prints; // grows without copying what it holds
    query.forEachUnordered(p[0], columns.mid(1), linked, [&prints](const RuleQuery::Row &row) { prints.push_back(fingerprint(row.at(0))); }, key);
    const std::vector<quint64> repeated = repeatedValues(std::move(prints));
    QHash<QString, QStringList> keysOf;
    if (!repeated.empty())
        query.forEachUnordered(p[0], columns, linked, [&](const RuleQuery::Row &row) {
            if (std::binary_search(repeated.begin(), repeated.end(), fingerprint(row.at(1))))
                keysOf[row.at(1)].append(row.at(0));
        });
    QStringList fesTags;
    for (auto it = keysOf.begin(); it != keysOf.end(); ++it) {
        if (it->size() > 1) {
            fesTags.append(it.key());
            std::sort(it->begin(), it->end(), codePointLess);
        }
    }
    std::sort(fesTags.begin(), fesTags.end(), codePointLess);
    const QHash<QString, RuleQuery::Row> points = query.firstRows(p[1], kTagName, {QStringLiteral("DESCRIPTION")}, fesTags);
    QList<ST_CfgCheckError> found;
    for (const QString &fesTag : qAsConst(fesTags)) {
        const QStringList keys = keysOf.value(fesTag);
        found.append(finding(fesTag, points.value(fesTag).value(0),
                             text(QT_TRANSLATE_NOOP("CfgCheckRules", "被 %1 个后台测点关联：%2"))
                                 .arg(keys.size())
                                 .arg(keys.join(QStringLiteral(", ")))));
    }
    return query.result(found);
}

ST_CfgCheckResult checkLinkAcrossPlaces(QStringList p)
{
    RuleQuery query;
    if (p.size() < 3)
        return query.result({});
    // A link to nothing, or from a key of another table, is for the other link rules: the joins leave it out.
    const QString key = RuleQuery::concat({QStringLiteral("'%1.'").arg(p[1]), QStringLiteral("a.") + kTagName});
    const QString from = QStringLiteral("%1 m JOIN %2 a ON %3 JOIN %4 f ON %5")
                             .arg(p[0], p[1], RuleQuery::sameText(QStringLiteral("m.KEY_ID_TAG"), key), p[2],
                                  RuleQuery::sameText(QStringLiteral("f.") + kTagName, QStringLiteral("m.FES_TAG")));
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
