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
    const QString name = uniqueConnectionName();
    emit sigExecuteSqlsProcess(0);
    QString error = DbConnection::openClone(QLatin1String(QSqlDatabase::defaultConnection), name);
    if (error.isEmpty()) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            // Progress crosses to the GUI thread and waits there; report each percent, not each row.
            const int step = qMax(1, (sqls.size() + 99) / 100);
            error = DbConnection::executeBatch(db, sqls, [this, step, &sqls](int done) {
                if (done % step == 0 || done == sqls.size())
                    emit sigExecuteSqlsProcess(done);
            });
        }
        DbConnection::close(name);
    }
    if (error.isEmpty())
        OrvTableDataMgr::getInstance()->noteDataChanged();
    emit sigExecuteSqlsResult(error);
}
