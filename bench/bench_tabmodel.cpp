// Measures the table-model library on SQLite, MariaDB and PostgreSQL:
//  - rows per second of selectOnly reading every value of 100,000 back-stage points;
//  - Worker::executeSqls of 10,000 UPDATEs under the wait dialog, against the same statements
//    run in one transaction by the database's own command-line client.
#include "TestSupport.h"

#include "OrvTableDataMgr.h"
#include "OrvWaitPrgDlg.h"
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

double workerSeconds(const QStringList &sqls, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    Worker worker(nullptr);
    OrvWaitPrgDlg dlg(boost::bind(&Worker::executeSqls, &worker, sqls), nullptr);
    dlg.setRange(0, sqls.size());
    QObject::connect(&worker, &Worker::sigExecuteSqlsProcess, &dlg, &QProgressDialog::setValue, Qt::BlockingQueuedConnection);
    QObject::connect(&worker, &Worker::sigExecuteSqlsResult, &dlg, [error](const QString &r) { *error = r; },
                     Qt::BlockingQueuedConnection);
    dlg.exec();
    return timer.nsecsElapsed() / 1e9;
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
        double bestSelect = 0, bestWorker = 1e9, bestClient = 1e9;
        int rows = 0;
        for (int run = 0; run < runs && error.isEmpty(); ++run) {
            bestSelect = qMax(bestSelect, selectRowsPerSecond(&rows));
            bestWorker = qMin(bestWorker, workerSeconds(updateStatements(tags, QStringLiteral("worker%1").arg(run)), &error));
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
            << name << QStringLiteral("worker_%1_updates %2 s\n").arg(updates).arg(bestWorker, 0, 'f', 3)
            << name << QStringLiteral("client_%1_updates %2 s\n").arg(updates).arg(bestClient, 0, 'f', 3)
            << name << QStringLiteral("worker_vs_client %1 x\n").arg(bestWorker / bestClient, 0, 'f', 2)
            << name << QStringLiteral("demo_fill %1 s\n").arg(fillSeconds, 0, 'f', 1);
        out.flush();
    }
    OrvTableDataMgr::getInstance()->onSysQuit();
    delete OrvTableDataMgr::getInstance();
    return failures == 0 ? 0 : 1;
}
