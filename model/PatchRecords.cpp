#include "PatchRecords.h"

#include "OrvTableModel.h"
#include "SqlText.h"

namespace {

struct BackTabQuery
{
    const char *keyColumn;
    const char *where; // %1 location, %2 subsystem, %3 the quoted devices
    bool rtuCondition;
};

const BackTabQuery kBackTabs[PatchRecords::BackTabCount] = {
    {"TAG_NAME", "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND DEVICE IN (%3)", true},
    {"KEY_ID_TAG", "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND getBeforeLastDot(getAfterFirstDot(KEY_ID_TAG)) IN (%3)", true},
    {"TAG_NAME", "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND getBeforeLastDot(TAG_NAME) IN (%3)", false},
    {"TAG_NAME", "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND getBeforeLastDot(TAG_NAME) IN (%3)", true},
};

} // namespace

QString PatchRecords::backKeyColumn(int tab)
{
    return tab >= 0 && tab < BackTabCount ? QLatin1String(kBackTabs[tab].keyColumn) : QString();
}

QString PatchRecords::backCondition(int tab, const QString &location, const QString &subsystem, const QStringList &devices,
                                    const QString &rtu)
{
    if (tab < 0 || tab >= BackTabCount)
        return QString();
    QString where = QString::fromLatin1(kBackTabs[tab].where)
                        .arg(orv_sql::escaped(location), orv_sql::escaped(subsystem), orv_sql::quotedList(devices));
    // "所有" carries -1; a tag name, or no RTU at all, reads as 0 and narrows to that tag.
    if (kBackTabs[tab].rtuCondition && rtu.toInt(nullptr, 10) != -1)
        where += QStringLiteral(" AND RTU_TAG = '%1'").arg(orv_sql::escaped(rtu));
    return where;
}

QString PatchRecords::fesCondition(const QString &subsystem, const QStringList &devices)
{
    return QStringLiteral("SUB_SYSTEM = '%1' AND DEV_TAG IN (%2)").arg(orv_sql::escaped(subsystem), orv_sql::quotedList(devices));
}

QString PatchRecords::selectText(const OrvTableModel *table, const QString &condition)
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3;").arg(table->getSqlName().join(QLatin1Char(',')), table->getTableName(), condition);
}
