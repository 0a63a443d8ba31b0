// Times a full run of the shipped configcheck.xml over a seeded demo system of 100,000 back-stage
// points on every database the test bed offers (SQLite always; MariaDB and PostgreSQL when
// MODEL_TEST_SERVERS_ENV names running servers, see run_bench.sh), and checks that every database
// gives the same findings in the same order. Exit status 1 when they differ or a run fails.
#include "TestSupport.h"

#include "Common.h"
#include "OrvTableDataMgr.h"
#include "orvConfigCheck.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

QTextStream out(stdout);

struct Run
{
    double seconds = 0;
    double cpuSeconds = 0; // of this process: the tool's share, the database's work apart
    QList<double> groupSeconds;
    QStringList findings; // group|item|tag|description|reason, in the order found
    QStringList failures;
};

Run runAll()
{
    orvConfigCheck engine(nullptr);
    Run run;
    const double cpuStart = cpuSeconds();
    QElapsedTimer total;
    total.start();
    for (ST_CfgCheckType &type : engine.lstTypes) {
        QElapsedTimer timer;
        timer.start();
        engine.checkType(&type);
        run.groupSeconds.append(timer.nsecsElapsed() / 1e9);
    }
    run.seconds = total.nsecsElapsed() / 1e9;
    run.cpuSeconds = cpuSeconds() - cpuStart;
    for (const ST_CfgCheckType &type : qAsConst(engine.lstTypes))
        for (const ST_CfgCheckItem &item : type.lstItems) {
            if (!item.strCheckFailure.isEmpty())
                run.failures.append(item.strDes + QStringLiteral(": ") + item.strCheckFailure);
            for (const ST_CfgCheckError &e : item.lstErrors)
                run.findings.append(QStringList{type.strName, item.strDes, e.strTagName, e.strDesc, e.strReason}.join(QLatin1Char('|')));
        }
    return run;
}

// The best of repeat runs on one database.
Run measure(Backend backend, const TestRoot &root, const QString &database, const DemoOptions &options, int repeat,
            QString *error)
{
    // Making a large system here would count in the memory measured: keep it with MODEL_BENCH_DEMO_DIR.
    DbLinkParams p;
    *error = benchDemoDatabase(backend, database, root, options, &p);
    if (error->isEmpty())
        *error = openLink(p);
    if (!error->isEmpty())
        return Run();
    Run best;
    for (int i = 0; i < repeat; ++i) {
        const Run run = runAll();
        if (i == 0 || run.seconds < best.seconds)
            best = run;
    }
    delete OrvTableDataMgr::getInstance();
    return best;
}

// Where two runs' findings part, for the message.
QString firstDifference(const QStringList &a, const QStringList &b)
{
    for (int i = 0; i < qMin(a.size(), b.size()); ++i)
        if (a.at(i) != b.at(i))
            return QStringLiteral("#%1: %2 <> %3").arg(i + 1).arg(a.at(i), b.at(i));
    return QStringLiteral("%1 against %2 findings").arg(a.size()).arg(b.size());
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("points"), QStringLiteral("Back-stage points in the database."), QStringLiteral("n"), QStringLiteral("100000")},
        {QStringLiteral("repeat"), QStringLiteral("Runs per database; the best counts."), QStringLiteral("n"), QStringLiteral("3")},
        {QStringLiteral("no-defects"), QStringLiteral("Checks the system without seeded defects that bench_pages --points uses.")},
        {QStringLiteral("only"), QStringLiteral("Measures this database alone (sqlite, mariadb or postgresql); findings are not compared."),
         QStringLiteral("name")},
    });
    parser.process(app);

    TestRoot root;
    Common::initPath();
    const int points = parser.value(QStringLiteral("points")).toInt();
    DemoOptions options = DemoOptions::forPointCount(points);
    options.seedDefects = !parser.isSet(QStringLiteral("no-defects"));
    // Large systems take long to make: the pages benchmark's is checked as it is.
    const QString database = options.seedDefects ? QStringLiteral("bench_check_%1").arg(DemoGenerator(options).backStagePointCount())
                                                 : QStringLiteral("bench_pages_%1").arg(points);
    const int repeat = qMax(1, parser.value(QStringLiteral("repeat")).toInt());
    out << "# " << DemoGenerator(options).backStagePointCount() << " back-stage points, best of " << repeat << " runs\n";

    int failures = 0;
    Run sqlite;
    const QString only = parser.value(QStringLiteral("only"));
    for (Backend backend : availableBackends()) {
        const QString name = backendName(backend);
        if (!only.isEmpty() && name != only)
            continue;
        QString error;
        const Run run = measure(backend, root, database, options, repeat, &error);
        if (!error.isEmpty() || !run.failures.isEmpty()) {
            out << "# " << name << ": " << (error.isEmpty() ? run.failures.join(QStringLiteral("; ")) : error) << "\n";
            ++failures;
            continue;
        }
        for (int g = 0; g < run.groupSeconds.size(); ++g)
            out << QStringLiteral("BENCH configcheck_%1_group%2 %3 s\n").arg(name).arg(g + 1).arg(run.groupSeconds.at(g), 0, 'f', 3);
        out << QStringLiteral("BENCH configcheck_%1 %2 s\n").arg(name).arg(run.seconds, 0, 'f', 3);
        out << QStringLiteral("BENCH configcheck_%1_cpu %2 s\n").arg(name).arg(run.cpuSeconds, 0, 'f', 3);
        out << QStringLiteral("BENCH configcheck_%1_peak_rss %2 MB\n").arg(name).arg(peakMegabytes(), 0, 'f', 1);
        out << QStringLiteral("BENCH configcheck_%1_findings %2 findings\n").arg(name).arg(run.findings.size());
        if (backend == Backend::SQLite || !only.isEmpty()) {
            sqlite = run;
            continue;
        }
        out << QStringLiteral("BENCH configcheck_%1_vs_sqlite %2 x\n").arg(name).arg(run.seconds / sqlite.seconds, 0, 'f', 2);
        if (run.findings != sqlite.findings) {
            out << "# " << name << " findings differ from SQLite's: " << firstDifference(sqlite.findings, run.findings) << "\n";
            ++failures;
        }
    }
    out.flush();
    return failures == 0 ? 0 : 1;
}
