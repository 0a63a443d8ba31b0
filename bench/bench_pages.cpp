// Times the property page on a large system, on every database the bench offers: opening the
// 后台测点 page (its analog table) until it has painted, the peak memory of the process meanwhile,
// jumps far down the table until their rows are painted, and every keystroke of its filter while a word is typed and erased again (worst and median,
// each until the page has painted its first matches, and how long the window itself was busy
// with it, the rows being read off the GUI thread), against reading the whole table with a
// bare QSqlQuery. Each database is measured in a process of its own, so that its memory is the
// page's alone; the demo systems are made first, by this process (and kept with
// MODEL_BENCH_DEMO_DIR).
#include "TestSupport.h"

#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTextStream>

#include <algorithm>

namespace {

QTextStream out(stdout);

double settle(const QElapsedTimer &timer)
{
    QApplication::processEvents();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

// Until the page has painted the rows a keystroke asked for, read off the GUI thread.
double settleRead(const QElapsedTimer &timer, const OrvTableModel *model)
{
    settle(timer);
    // Waits without spinning: a busy loop would take a core from the reading thread.
    while (model->isReading())
        QTest::qWait(1);
    return settle(timer);
}

struct Keystrokes
{
    QVector<double> shown;   // until the first matches are painted
    QVector<double> blocked; // the window busy with the keystroke itself
};

void report(const QString &name, double value, const char *unit, int precision = 1)
{
    out << QStringLiteral("BENCH pages_%1 %2 %3\n").arg(name).arg(value, 0, 'f', precision).arg(QLatin1String(unit));
    out.flush();
}

void reportSpread(const QString &name, QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    report(name + QStringLiteral("_worst"), ms.last(), "ms", 2);
    report(name + QStringLiteral("_median"), ms.at(ms.size() / 2), "ms", 2);
}

// Types the word one letter at a time, then erases it again; the times of each keystroke.
void typeAndErase(QLineEdit *filter, const OrvTableModel *model, const QString &word, Keystrokes *times)
{
    QStringList steps;
    for (int n = 1; n <= word.size(); ++n)
        steps << word.left(n);
    for (int n = word.size() - 1; n >= 0; --n)
        steps << word.left(n);
    for (const QString &text : steps) {
        QElapsedTimer timer;
        timer.start();
        filter->setText(text);
        times->blocked << settle(timer);
        times->shown << settleRead(timer, model);
    }
}

// A jump to a row far down (the scroll bar dragged there), until its rows are painted.
double jumpTo(QTableView *view, const OrvTableModel *model, int row)
{
    // The view lays out the rows the count brought before a user could drag to them.
    view->doItemsLayout();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    view->scrollTo(view->model()->index(row, 0), QAbstractItemView::PositionAtCenter);
    settle(timer);
    while (model->awaitsRead(row) && timer.elapsed() < 60000)
        QTest::qWait(1);
    if (model->awaitsRead(row))
        out << "row " << row << " not read: " << model->lastError() << '\n';
    return settle(timer);
}

// Every value of the table read with a bare query, as a yardstick.
double bareReadSeconds()
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery query(QSqlDatabase::database());
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT * FROM analog"));
    const int cols = query.record().count();
    qint64 chars = 0;
    while (query.next())
        for (int c = 0; c < cols; ++c)
            chars += query.value(c).toString().size();
    return chars >= 0 ? timer.nsecsElapsed() / 1e9 : 0;
}

// The measurements on one database, in this process.
int measure(const QString &prefix, const DbLinkParams &params, int runs)
{
    const QString error = openLink(params);
    if (!error.isEmpty()) {
        out << prefix << ": " << error << '\n';
        return 1;
    }
    const double cpuStart = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    OrvPropertyPage page({QStringLiteral("ANALOG.xml")}, nullptr);
    page.resize(1280, 720);
    page.show();
    if (!QTest::qWaitForWindowExposed(&page))
        out << "the page was not shown; times without painting\n";
    const double open = settle(timer);
    const double openCpu = cpuSeconds() - cpuStart;
    OrvTableModel *model = page.currentModel();
    QElapsedTimer counting;
    counting.start();
    while (model->totalRows() < 0 && counting.elapsed() < 600000)
        QTest::qWait(1);
    report(prefix + QStringLiteral("_rows"), model->totalRows(), "rows", 0);
    report(prefix + QStringLiteral("_first_paint"), open, "ms");
    report(prefix + QStringLiteral("_first_paint_cpu"), openCpu * 1000, "ms");
    report(prefix + QStringLiteral("_count_in"), counting.nsecsElapsed() / 1e6 + open, "ms", 0);

    QTableView *view = nullptr;
    for (QTableView *shown : page.findChildren<QTableView *>())
        view = shown->isVisible() ? shown : view;
    const int rows = model->totalRows();
    report(prefix + QStringLiteral("_jump_to_the_middle"), jumpTo(view, model, rows / 2 - 300), "ms");
    report(prefix + QStringLiteral("_jump_to_three_quarters"), jumpTo(view, model, rows / 4 * 3), "ms");
    report(prefix + QStringLiteral("_jump_to_the_end"), jumpTo(view, model, rows - 1), "ms");
    view->scrollToTop();

    auto *filter = page.findChild<QLineEdit *>();
    auto *column = page.findChild<QComboBox *>();
    Keystrokes all, oneColumn;
    const double keysCpuStart = cpuSeconds();
    for (int run = 0; run < qMax(1, runs); ++run) {
        typeAndErase(filter, model, QStringLiteral("sta07.bas3_fan12.ic"), &all);
        typeAndErase(filter, model, QStringLiteral("风机12"), &all);
    }
    // Of this process, reading threads included; the servers' work apart.
    const double keysCpu = cpuSeconds() - keysCpuStart;
    column->setCurrentIndex(2); // 描述
    for (int run = 0; run < qMax(1, runs); ++run)
        typeAndErase(filter, model, QStringLiteral("有功功率"), &oneColumn);
    reportSpread(prefix + QStringLiteral("_filter_all_columns"), all.shown);
    reportSpread(prefix + QStringLiteral("_filter_all_columns_window_busy"), all.blocked);
    report(prefix + QStringLiteral("_filter_all_columns_cpu_mean"), keysCpu * 1000 / qMax(1, all.shown.size()), "ms");
    reportSpread(prefix + QStringLiteral("_filter_one_column"), oneColumn.shown);
    report(prefix + QStringLiteral("_peak_rss"), peakMegabytes(), "MB");

    const double bare = bareReadSeconds();
    report(prefix + QStringLiteral("_bare_read"), bare * 1000, "ms");
    report(prefix + QStringLiteral("_first_paint_vs_bare_read"), open / 1000 / bare, "x", 3);
    delete OrvTableDataMgr::getInstance();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points in the database.", 100000},
                                                      {"runs", "Times each word is typed.", 3},
                                                      {"measure", "(internal) the backend to measure in this process.", -1}});
    const int points = values.at(0);
    const QString database = QStringLiteral("bench_pages_%1").arg(points);
    TestRoot root;
    if (values.at(2) >= 0) {
        const Backend backend = Backend(values.at(2));
        DbLinkParams p = TestServers::params(backend, database, root);
        // SQLite: the file the parent made.
        if (backend == Backend::SQLite)
            p.database = qEnvironmentVariable("MODEL_BENCH_PAGES_SQLITE");
        return measure(backendName(backend), p, values.at(1));
    }

    int failures = 0;
    for (Backend backend : benchBackends()) {
        DbLinkParams p;
        const QString error = benchDemoDatabase(backend, database, root, DemoOptions::forPointCount(points), &p);
        if (!error.isEmpty()) {
            out << backendName(backend) << ": " << error << '\n';
            ++failures;
            continue;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MODEL_BENCH_PAGES_SQLITE"), p.database);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--points"), QString::number(points), QStringLiteral("--runs"), QString::number(values.at(1)),
                     QStringLiteral("--measure"), QString::number(int(backend))});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0;
    }
    return failures ? 1 : 0;
}
