#include "Worker.h"

#include "DbConnection.h"
#include "OrvTableDataMgr.h"

#include <QAtomicInteger>
#include <QSqlDatabase>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("orv_worker_%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

Worker::Worker(QObject *parent)
    : QObject(parent)
{
}

void Worker::executeSqls(QStringList sqls)
{
    emit sigExecuteSqlsProcess(0);
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    const QList<SqlWrite> writes = SqlWrite::fromTexts(sqls);
    QString error = mgr->checkWrites(writes);
    if (!error.isEmpty()) {
        mgr->finishWrites(writes, OrvAuditLog::Outcome::Refused, error);
        emit sigExecuteSqlsResult(error);
        return;
    }
    const QString name = uniqueConnectionName();
    error = DbConnection::openClone(QLatin1String(QSqlDatabase::defaultConnection), name);
    if (error.isEmpty()) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            // Progress crosses to the GUI thread and waits there; report each percent, not each row.
            const int step = qMax(1, (writes.size() + 99) / 100);
            error = DbConnection::executeBatch(db, writes, [this, step, &writes](int done) {
                        if (done % step == 0 || done == writes.size())
                            emit sigExecuteSqlsProcess(done);
                    }).error;
        }
        DbConnection::close(name);
    }
    mgr->finishWrites(writes, error.isEmpty() ? OrvAuditLog::Outcome::Committed : OrvAuditLog::Outcome::RolledBack, error);
    emit sigExecuteSqlsResult(error);
}
