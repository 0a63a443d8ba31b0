// Measures the table-model library on SQLite, MariaDB and PostgreSQL:
//  - rows per second of selectOnly reading every value of 100,000 back-stage points;
//  - 10,000 UPDATEs run by the Worker under the wait dialog, handed over as statement texts
//    (executeSqls) and as the writes the batch editors build (executeWrites), against the same
//    statements run in one transaction by the database's own command-line client.
#include "TestSupport.h"

#include "AppLog.h"
#include "OrvTableDataMgr.h"
#include "OrvWaitPrgDlg.h"
#include "SqlWrite.h"
#include "Worker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

#include <boost/bind/bind.hpp>

namespace {

QTextStream out(stdout);

QStringList updateStatements(const QStringList &tags, const QString &mark)
{
    QStringList sqls;
    for (int i = 0; i < tags.size(); ++i)
        sqls << QStringLiteral("UPDATE analog SET DESCRIPTION = '%1 %2' WHERE TAG_NAME = '%3';").arg(mark).arg(i).arg(tags.at(i));
    return sqls;
}

// The same statements as the editors build them: the template renders the texts above.
QList<SqlWrite> updateWrites(const QStringList &tags, const QString &mark)
{
    QList<SqlWrite> writes;
    for (int i = 0; i < tags.size(); ++i)
        writes << SqlWrite::templateUpdate(QStringLiteral("analog"), QStringLiteral("TAG_NAME"), tags.at(i), QStringLiteral("DESCRIPTION"),
                                           QStringLiteral("%1 %2").arg(mark).arg(i));
    return writes;
}

double selectRowsPerSecond(int *rows)
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery query;
    query.setForwardOnly(true);
    // Every back-stage point's front-end link: one row per point.
    OrvTableDataMgr::getInstance()->selectOnly(
        QStringLiteral("SELECT * FROM analog_map_to_fes UNION ALL SELECT * FROM digital_map_to_fes "
                       "UNION ALL SELECT * FROM accuml_map_to_fes UNION ALL SELECT * FROM mix_map_to_fes;"),
        query);
    const int cols = query.record().count();
    int n = 0;
    qint64 chars = 0;
    while (query.next()) {
        for (int c = 0; c < cols; ++c)
            chars += query.value(c).toString().size();
        ++n;
    }
    query.finish();
    *rows = n;
    return chars >= 0 ? n / (timer.nsecsElapsed() / 1e9) : 0;
}

double workerSeconds(const boost::function<void(Worker *)> &job, int count, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    Worker worker(nullptr);
    OrvWaitPrgDlg dlg(boost::bind(job, &worker), nullptr);
    dlg.setRange(0, count);
    QObject::connect(&worker, &Worker::sigExecuteSqlsProcess, &dlg, &QProgressDialog::setValue, Qt::BlockingQueuedConnection);
    QObject::connect(&worker, &Worker::sigExecuteSqlsResult, &dlg, [error](const QString &r) { *error = r; },
                     Qt::BlockingQueuedConnection);
    dlg.exec();
    return timer.nsecsElapsed() / 1e9;
}

double textsSeconds(const QStringList &sqls, QString *error)
{
    return workerSeconds([&sqls](Worker *w) { w->executeSqls(sqls); }, sqls.size(), error);
}

double writesSeconds(const QList<SqlWrite> &writes, QString *error)
{
    return workerSeconds([&writes](Worker *w) { w->executeWrites(writes); }, writes.size(), error);
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points in the database.", 100000},
                                                      {"updates", "UPDATE statements per batch.", 10000},
                                                      {"runs", "Repetitions; the best run counts.", 7}});
    const int points = values.at(0);
    const int updates = values.at(1);
    const int runs = qMax(1, values.at(2));

    TestRoot root;
    // Every write is audited, as in the tool.
    orv_public::StartLogSystem("MODEL", "bench_tabmodel");
    int failures = 0;
    for (Backend backend : benchBackends()) {
        DbLinkParams p;
        QElapsedTimer fill;
        fill.start();
        QString error = createDemoDatabase(backend, QStringLiteral("bench_tabmodel"), root, DemoOptions::forPointCount(points), &p);
        const double fillSeconds = fill.nsecsElapsed() / 1e9;
        if (error.isEmpty())
            error = openLink(p);
        if (!error.isEmpty()) {
            out << backendName(backend) << ": " << error << "\n";
            ++failures;
            continue;
        }
        QStringList tags;
        {
            QSqlQuery q;
            OrvTableDataMgr::getInstance()->selectOnly(QStringLiteral("SELECT TAG_NAME FROM analog;"), q);
            while (q.next() && tags.size() < updates)
                tags << q.value(0).toString();
        }
        double bestSelect = 0, bestTexts = 1e9, bestWrites = 1e9, bestClient = 1e9;
        int rows = 0;
        for (int run = 0; run < runs && error.isEmpty(); ++run) {
            bestSelect = qMax(bestSelect, selectRowsPerSecond(&rows));
            bestTexts = qMin(bestTexts, textsSeconds(updateStatements(tags, QStringLiteral("texts%1").arg(run)), &error));
            if (error.isEmpty())
                bestWrites = qMin(bestWrites, writesSeconds(updateWrites(tags, QStringLiteral("writes%1").arg(run)), &error));
            if (error.isEmpty())
                bestClient = qMin(bestClient, clientSeconds(backend, p, updateStatements(tags, QStringLiteral("client%1").arg(run)),
                                                            root.file(QStringLiteral("updates.sql")), &error));
        }
        if (!error.isEmpty()) {
            out << backendName(backend) << ": " << error << "\n";
            ++failures;
            continue;
        }
        const QString name = QStringLiteral("BENCH tabmodel_%1_").arg(backendName(backend));
        out << name << QStringLiteral("select_%1_rows_per_s %2 rows/s\n").arg(rows).arg(bestSelect, 0, 'f', 0)
            << name << QStringLiteral("worker_texts_%1_updates %2 s\n").arg(updates).arg(bestTexts, 0, 'f', 3)
            << name << QStringLiteral("worker_writes_%1_updates %2 s\n").arg(updates).arg(bestWrites, 0, 'f', 3)
            << name << QStringLiteral("client_%1_updates %2 s\n").arg(updates).arg(bestClient, 0, 'f', 3)
            << name << QStringLiteral("worker_texts_vs_client %1 x\n").arg(bestTexts / bestClient, 0, 'f', 2)
            << name << QStringLiteral("worker_writes_vs_client %1 x\n").arg(bestWrites / bestClient, 0, 'f', 2)
            << name << QStringLiteral("demo_fill %1 s\n").arg(fillSeconds, 0, 'f', 1);
        out.flush();
    }
    OrvTableDataMgr::getInstance()->onSysQuit();
    delete OrvTableDataMgr::getInstance();
    orv_public::StopLogSystem();
    return failures == 0 ? 0 : 1;
}
