#include "FesLinkWarnings.h"

#include "PointCatalogue.h"
#include "PointQuery.h"

#include <QCoreApplication>

#include <algorithm>

namespace FesLinkWarnings {
namespace {

// Links named at most; more are counted.
constexpr int LinksNamed = 3;

QString tr(const char *text)
{
    return QCoreApplication::translate("FesLinkWarnings", text);
}

QStringList placeWarnings(const DbRows &fes, const DbRows &point)
{
    QStringList warnings;
    if (point.size() == 0)
        return warnings;
    if (fes.text(0, 1) != point.text(0, 0))
        warnings.append(tr("前置测点在位置 %1，后台测点的设备在位置 %2").arg(fes.text(0, 1), point.text(0, 0)));
    if (fes.text(0, 2) != point.text(0, 1))
        warnings.append(tr("前置测点属于专业 %1，后台测点的设备属于专业 %2").arg(fes.text(0, 2), point.text(0, 1)));
    if (!point.text(0, 2).isEmpty() && fes.text(0, 0) != point.text(0, 2))
        warnings.append(tr("前置测点在 RTU %1 上，后台测点在 RTU %2 上").arg(fes.text(0, 0), point.text(0, 2)));
    return warnings;
}

QString linkWarning(const DbRows &links)
{
    QStringList named;
    for (int i = 0; i < links.size() && i < LinksNamed; ++i)
        named.append(tr("%1（%2）").arg(links.text(i, 0), links.text(i, 1)));
    QString text = tr("前置测点已关联到后台测点 %1").arg(named.join(tr("、")));
    if (links.size() > LinksNamed)
        text += tr(" 等 %1 个").arg(links.size());
    return text;
}

// Only a back-stage table of the catalogue is read: the key comes from the database.
bool isBackTable(const QString &table)
{
    const QList<const PointCatalogue::PointType *> types = PointCatalogue::backTypes();
    return std::any_of(types.begin(), types.end(),
                       [&table](const PointCatalogue::PointType *t) { return table.compare(QLatin1String(t->backTable), Qt::CaseInsensitive) == 0; });
}

} // namespace

QStringList of(const QString &mapTable, const QString &pointKey, const QString &fesTag, const DbRows &fesPlace, QString *error)
{
    const int dot = pointKey.indexOf(QLatin1Char('.'));
    const QString backTable = pointKey.left(qMax(dot, 0));
    const DbRows point = isBackTable(backTable) ? PointQuery::backPointPlace(backTable, pointKey.mid(dot + 1)) : DbRows();
    const DbRows links = PointQuery::otherLinks(mapTable, fesTag, pointKey);
    for (const DbRows *read : {&point, &links})
        if (!read->ok()) {
            *error = read->error;
            return {};
        }
    QStringList warnings = placeWarnings(fesPlace, point);
    if (links.size() > 0)
        warnings.append(linkWarning(links));
    return warnings;
}

} // namespace FesLinkWarnings
