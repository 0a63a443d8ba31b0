#include "ModelContext.h"

#include "OrvTableDataMgr.h"

#include <QCoreApplication>
#include <QSqlQuery>

namespace ModelContext {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ModelContext", text);
}

// Empty when the table has rows; else the reason for a failed query (with the database's own
// reason in detail) or for no rows.
QString checkTableHasRows(const QString &sql, const QString &queryFailed, const QString &noRows, QString *detail)
{
    QSqlQuery query;
    if (!OrvTableDataMgr::getInstance()->selectOnly(sql, query)) {
        if (detail)
            *detail = OrvTableDataMgr::getInstance()->lastError().simplified();
        return queryFailed;
    }
    // Drivers that cannot count (-1) are asked for a first row instead.
    const bool empty = query.size() == 0 || (query.size() < 0 && !query.next());
    query.finish();
    return empty ? noRows : QString();
}

} // namespace

bool check(QString &reason, QString *detail)
{
    struct Step
    {
        const char *sql;
        const char *queryFailed;
        const char *noRows;
    };
    static const Step steps[] = {
        {"SELECT * FROM SYS_MODEL_DOMAIN_INFO;", QT_TRANSLATE_NOOP("ModelContext", "数据库查询域失败"),
         QT_TRANSLATE_NOOP("ModelContext", "数据库中不存在任何域")},
        {"SELECT * FROM SYS_MODEL_LOCATION_INFO;", QT_TRANSLATE_NOOP("ModelContext", "数据库查询位置失败"),
         QT_TRANSLATE_NOOP("ModelContext", "数据库中不存在任何位置")},
        {"SELECT * FROM SYS_MODEL_APP_INFO;", QT_TRANSLATE_NOOP("ModelContext", "数据库查询应用失败"),
         QT_TRANSLATE_NOOP("ModelContext", "数据库中不存在任何应用")},
        {"SELECT * FROM SYS_MODEL_SUB_SYSTEM_INFO;", QT_TRANSLATE_NOOP("ModelContext", "数据库查询专业失败"),
         QT_TRANSLATE_NOOP("ModelContext", "数据库中不存在任何专业")},
    };
    for (const Step &step : steps) {
        reason = checkTableHasRows(QLatin1String(step.sql), tr(step.queryFailed), tr(step.noRows), detail);
        if (!reason.isEmpty())
            return false;
    }
    return true;
}

} // namespace ModelContext
