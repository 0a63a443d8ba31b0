#include "LinkPlaceRules.h"

#include "RuleQuery.h"

#include <QMap>

namespace CfgCheckRules {
namespace {

const QString kTagName = QStringLiteral("TAG_NAME");
const QString kUnlinked = QStringLiteral("-1");

bool isLinked(const QString &fesTag)
{
    return !fesTag.isEmpty() && fesTag != kUnlinked;
}

// "location 1, subsystem 4" of a row holding LOCATION_ID, SUB_SYSTEM.
QString place(const RuleQuery::Row &row)
{
    return text(QT_TRANSLATE_NOOP("CfgCheckRules", "位置 %1、专业 %2")).arg(row.value(0), row.value(1));
}

} // namespace

ST_CfgCheckResult checkFesLinkedTwice(QStringList p)
{
    RuleQuery query;
    if (p.size() < 2)
        return query.result({});
    // Each row is front-end tag, point key; sorted, so a front-end point's links stand together.
    const QVector<RuleQuery::Row> links = query.rows(QStringLiteral("SELECT FES_TAG,KEY_ID_TAG FROM %1;").arg(p[0]), 2);
    QMap<QString, QStringList> keysOf;
    for (const RuleQuery::Row &link : links)
        if (isLinked(link.at(0)))
            keysOf[link.at(0)].append(link.at(1));
    QStringList shared;
    for (auto it = keysOf.constBegin(); it != keysOf.constEnd(); ++it)
        if (it.value().size() > 1)
            shared.append(it.key());
    const QHash<QString, RuleQuery::Row> descriptions = query.firstRows(p[1], kTagName, {QStringLiteral("DESCRIPTION")}, shared);
    QList<ST_CfgCheckError> found;
    for (const QString &fesTag : qAsConst(shared)) {
        const QStringList &keys = keysOf[fesTag];
        found.append(finding(fesTag, descriptions.value(fesTag).value(0),
                             text(QT_TRANSLATE_NOOP("CfgCheckRules", "被 %1 个后台测点关联：%2")).arg(keys.size()).arg(keys.join(QStringLiteral(", ")))));
    }
    return query.result(found);
}

ST_CfgCheckResult checkLinkAcrossPlaces(QStringList p)
{
    RuleQuery query;
    if (p.size() < 3)
        return query.result({});
    const QString prefix = p[1] + QLatin1Char('.');
    // Each row is point key, front-end tag, description.
    const QVector<RuleQuery::Row> links = query.rows(QStringLiteral("SELECT KEY_ID_TAG,FES_TAG,DESCRIPTION FROM %1;").arg(p[0]), 3);
    QStringList points;
    QStringList fesTags;
    for (const RuleQuery::Row &link : links) {
        points.append(link.at(0).mid(prefix.size()));
        fesTags.append(link.at(1));
    }
    const QStringList placeColumns{QStringLiteral("LOCATION_ID"), QStringLiteral("SUB_SYSTEM")};
    const QHash<QString, RuleQuery::Row> pointPlaces = query.firstRows(p[1], kTagName, placeColumns, points);
    const QHash<QString, RuleQuery::Row> fesPlaces = query.firstRows(p[2], kTagName, placeColumns, fesTags);
    QList<ST_CfgCheckError> found;
    for (int i = 0; i < links.size(); ++i) {
        const auto point = pointPlaces.constFind(points.at(i));
        const auto fes = fesPlaces.constFind(fesTags.at(i));
        // A link to nothing, or from a key of another table, is for the other link rules.
        if (!links.at(i).at(0).startsWith(prefix) || !isLinked(fesTags.at(i)) || point == pointPlaces.constEnd()
            || fes == fesPlaces.constEnd() || *point == *fes)
            continue;
        found.append(finding(points.at(i), links.at(i).at(2),
                             text(QT_TRANSLATE_NOOP("CfgCheckRules", "前置测点 %1 在%2，后台测点在%3"))
                                 .arg(fesTags.at(i), place(*fes), place(*point))));
    }
    return query.result(found);
}

} // namespace CfgCheckRules
