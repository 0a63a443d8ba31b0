#include "Worker.h"

#include "DbConnection.h"
#include "OrvTableDataMgr.h"

#include <QElapsedTimer>
#include <QSqlDatabase>


Worker::Worker(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<DbConnection::BatchResult>();
}

void Worker::executeSqls(QStringList sqls)
{
    QList<SqlWrite> writes;
    const QString refused = OrvTableDataMgr::writesOfTexts(sqls, &writes);
    run(writes, refused);
}

void Worker::executeWrites(const QList<SqlWrite> &writes)
{
    run(writes, QString());
}

void Worker::run(const QList<SqlWrite> &writes, const QString &refused)
{
    emit sigExecuteSqlsProcess(0);
    const QString name = DbConnection::uniqueName(QStringLiteral("orv_worker"));
    // A connection of its own, opened like the link (after a failover on the server that now
    // answers); one that cannot be opened is a refusal like any other, and recorded as such.
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    QString refusal = refused;
    if (refusal.isEmpty())
        refusal = mgr->isLinked() ? DbConnection::open(mgr->linkParams(), name) : tr("数据库未连接");
    // Reported a few times a second, which the eye follows, rather than at every row, which
    // would flood the window with events.
    QElapsedTimer sinceReport;
    sinceReport.start();
    const auto progress = [this, &sinceReport, &writes](int done) {
        if (sinceReport.elapsed() >= ProgressIntervalMs || done == writes.size()) {
            emit sigExecuteSqlsProcess(done);
            sinceReport.restart();
        }
    };
    const DbConnection::BatchResult result = mgr->runWrites(QSqlDatabase::database(name, false), writes, progress, refusal);
    DbConnection::close(name);
    emit sigExecuteWritesResult(result);
    emit sigExecuteSqlsResult(result.error);
}
