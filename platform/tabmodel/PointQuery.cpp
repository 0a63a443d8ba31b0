#include "PointQuery.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "SqlText.h"

#include <QSqlDatabase>

namespace PointQuery {
namespace {

DbRows points(const PointCatalogue::PointType &type, const QString &condition, const QVariantList &values, int limit)
{
    // The condition goes in last: a user's text never reaches a further arg().
    return OrvDbDesign().rows(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM %1 WHERE %3 ORDER BY TAG_NAME LIMIT %2")
                                  .arg(QLatin1String(type.backTable))
                                  .arg(limit)
                                  .arg(condition),
                              values);
}

} // namespace

DbRows locations()
{
    return OrvDbDesign().choices(QStringLiteral("SELECT LOCATION_ID,DESCRIPTION FROM SYS_MODEL_LOCATION_INFO ORDER BY LOCATION_ID;"),
                                 QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID"));
}

DbRows deviceGroups(const QString &location)
{
    return OrvDbDesign().choices(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_group WHERE LOCATION_ID = ? ORDER BY TAG_NAME"),
                                 QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), {location});
}

DbRows devices(const QString &group)
{
    return OrvDbDesign().choices(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_info WHERE GROUP_TAG_NAME = ? ORDER BY TAG_NAME"),
                                 QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), {group});
}

DbRows devicePoints(const PointCatalogue::PointType &type, const QString &device, int limit)
{
    return points(type, QStringLiteral("DEVICE = ?"), {device}, limit);
}

DbRows matchingPoints(const PointCatalogue::PointType &type, const QString &text, int limit)
{
    const QString pattern = orv_sql::likePattern(text);
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    const QString escape = QStringLiteral(" ESCAPE '%1'").arg(QLatin1Char(orv_sql::LikeEscape));
    return points(type, QStringLiteral("(%1%3 OR %2%3)").arg(DbConnection::likeIgnoringCase(db, QStringLiteral("TAG_NAME")),
                                                             DbConnection::likeIgnoringCase(db, QStringLiteral("DESCRIPTION")), escape),
                  {pattern, pattern}, limit);
}

DbRows linkedFesPoints(const PointCatalogue::PointType &type, const QStringList &keys)
{
    QVariantList values;
    QStringList marks;
    for (const QString &key : keys) {
        values.append(key);
        marks.append(QStringLiteral("?"));
    }
    return OrvDbDesign().rows(QStringLiteral("SELECT KEY_ID_TAG,FES_TAG FROM %1 WHERE KEY_ID_TAG IN (%2)")
                                  .arg(QLatin1String(type.mapTable), marks.join(QLatin1Char(','))),
                              values);
}

DbRows fesPointPlace(const QString &fesTable, const QString &tag)
{
    return OrvDbDesign().rows(QStringLiteral("SELECT RTU_TAG,LOCATION_ID,SUB_SYSTEM FROM %1 WHERE TAG_NAME = ?").arg(fesTable), {tag});
}

DbRows backPointPlace(const QString &backTable, const QString &tag)
{
    return OrvDbDesign().rows(QStringLiteral("SELECT d.LOCATION_ID,d.SUB_SYSTEM,p.RTU_TAG FROM %1 p LEFT JOIN dev_info d "
                                             "ON d.TAG_NAME = p.DEVICE WHERE p.TAG_NAME = ?")
                                  .arg(backTable),
                              {tag});
}

DbRows otherLinks(const QString &mapTable, const QString &fesTag, const QString &key)
{
    return OrvDbDesign().rows(
        QStringLiteral("SELECT KEY_ID_TAG,DESCRIPTION FROM %1 WHERE FES_TAG = ? AND KEY_ID_TAG <> ? ORDER BY KEY_ID_TAG").arg(mapTable),
        {fesTag, key});
}

} // namespace PointQuery
