#include "PointCascade.h"

#include "OrvDbDesign.h"
#include "SqlText.h"

const QString PointCascade::AllData = QStringLiteral("-1");

namespace {

const QString kTag = QStringLiteral("TAG_NAME");
const QString kDescription = QStringLiteral("DESCRIPTION");

DbRows choices(const QString &sql, const QString &shown, const QString &data)
{
    return OrvDbDesign().choices(sql, shown, data);
}

QString e(const QString &value)
{
    return orv_sql::escaped(value);
}

} // namespace

DbRows PointCascade::locations()
{
    // In the order of their numbers: the databases return rows in orders of their own.
    return choices(QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO ORDER BY LOCATION_ID;"), kDescription, QStringLiteral("LOCATION_ID"));
}

DbRows PointCascade::subsystems()
{
    return choices(QStringLiteral("SELECT * FROM SYS_MODEL_SUB_SYSTEM_INFO WHERE SUB_SYSTEM_ID not in (1,2,3) ORDER BY SUB_SYSTEM_ID;"), kDescription,
                   QStringLiteral("SUB_SYSTEM_ID"));
}

DbRows PointCascade::deviceGroups(const QString &location, const QString &subsystem)
{
    return choices(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_group WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
                       .arg(e(location), e(subsystem)),
                   kDescription, kTag);
}

DbRows PointCascade::backRtus(const QString &location, const QString &subsystem)
{
    return choices(QStringLiteral("SELECT TAG_NAME,RTU_NAME FROM FES_RTU_PARA WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
                       .arg(e(location), e(subsystem)),
                   QStringLiteral("RTU_NAME"), kTag);
}

DbRows PointCascade::groupDevices(const QString &group, const QString &location, const QString &subsystem)
{
    const QString sql = group == AllData
        ? QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_info WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
              .arg(e(location), e(subsystem))
        : QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_info WHERE GROUP_TAG_NAME = '%1';").arg(e(group));
    return choices(sql, kDescription, kTag);
}

DbRows PointCascade::fesRtus(const QString &location, const QString &subsystem)
{
    const QString sql = location == AllData
        ? QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM fes_rtu_para WHERE SUB_SYSTEM = '%1';").arg(e(subsystem))
        : QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM fes_rtu_para WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
              .arg(e(location), e(subsystem));
    return choices(sql, kDescription, kTag);
}

DbRows PointCascade::fesDevices(const QString &rtu, const QString &location, const QString &subsystem)
{
    QString sql;
    if (rtu != AllData)
        sql = QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE RTU_TAG = '%1';").arg(e(rtu));
    else if (location == AllData)
        sql = QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE SUB_SYSTEM = '%1';").arg(e(subsystem));
    else
        sql = QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
                  .arg(e(location), e(subsystem));
    return choices(sql, QStringLiteral("DEV_DESC"), kTag);
}

DbRows PointCascade::searchRtus(const QString &location, const QString &subsystem)
{
    return choices(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM fes_rtu_para WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' ORDER BY RTU_NO;")
                       .arg(e(location), e(subsystem)),
                   kDescription, kTag);
}

DbRows PointCascade::rtuDevices(const QString &rtu)
{
    return choices(QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE RTU_TAG = '%1';").arg(e(rtu)),
                   QStringLiteral("DEV_DESC"), kTag);
}

DbRows PointCascade::devicePoints(const QString &fesTable, const QString &device)
{
    return choices(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM %1 WHERE DEV_TAG = '%2' ORDER BY DOT_NO;").arg(fesTable, e(device)),
                   kDescription, kTag);
}
