// Measures the batch point editors on a 200,000-point demo database (SQLite, MariaDB, PostgreSQL):
//  - a search until its first rows are on screen (wall and CPU time), and until its rows are
//    counted, against merely reading all its rows with QSqlQuery: the back-stage editor's search
//    of about 100,000 rows over its four tabs, and the front-end editor's of about 30,000;
//  - one keystroke in a filter over those rows;
//  - "从0开始自增" over 10,000 selected rows, from the menu action to "修改成功!", audited as in the
//    tool, against the database's own command-line client running the same statements in one
//    transaction (wall time, and CPU time of the editor's process and of the client's).
// The demo spreads its points over stations and subsystems; the benchmark first gathers 7,700
// devices (about 100,000 rows of the four analog tables) into station 1, subsystem 4.
#include "TestSupport.h"

#include "AppLog.h"
#include "OrvBackPointPatch.h"
#include "OrvBatchEdit.h"
#include "OrvFesPointPatch.h"
#include "OrvPatchTable.h"
#include "PatchRecords.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "SqlText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);
constexpr int Devices = 7700;
constexpr int Chunk = 500;

void report(const QString &name, double value, const char *unit, int precision = 3)
{
    out << QStringLiteral("BENCH pointpatch_%1 %2 %3\n").arg(name).arg(value, 0, 'f', precision).arg(QLatin1String(unit));
    out.flush();
}

double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

double best(int runs, const std::function<double()> &run)
{
    double b = 1e9;
    for (int i = 0; i < runs; ++i)
        b = qMin(b, run());
    return b;
}

struct Timing
{
    double wall = 1e9;
    double cpu = 0; // of this process: the editor's share, the database's work apart
};

// The run of least wall time.
Timing bestTiming(int runs, const std::function<void()> &work)
{
    Timing b;
    for (int i = 0; i < runs; ++i) {
        const double cpu = cpuSeconds();
        const double wall = seconds(work);
        if (wall < b.wall)
            b = {wall, cpuSeconds() - cpu};
    }
    return b;
}

// Turns the event loop until the model has counted its rows (the count comes from another thread).
void waitForCount(const QAbstractItemModel *model)
{
    const auto *table = qobject_cast<const OrvTableModel *>(model);
    QElapsedTimer timer;
    timer.start();
    while (table && table->matchingRows() < 0 && table->lastError().isEmpty() && timer.elapsed() < 120000)
        QTest::qWait(2);
}

// The editor's search: until its first rows are painted, and until every tab has counted its rows.
template <typename Editor>
QPair<Timing, double> searchTimes(Editor &editor, const QList<QTableView *> &views, int runs)
{
    const auto firstRows = [&editor] {
        editor.onPushButtonSearchClicked();
        QApplication::processEvents();
    };
    const Timing first = bestTiming(runs, firstRows);
    const double counted = best(runs, [&] {
        return seconds([&] {
            firstRows();
            for (const QTableView *view : views)
                waitForCount(view->model());
        });
    });
    return {first, counted};
}

void reportSearch(const QString &name, int rows, const QPair<Timing, double> &times, double read)
{
    report(name + QStringLiteral("_first_rows_of_%1").arg(rows), times.first.wall, "s");
    report(name + QStringLiteral("_first_rows_of_%1_cpu").arg(rows), times.first.cpu, "s");
    report(name + QStringLiteral("_counted_%1").arg(rows), times.second, "s");
    report(name + QStringLiteral("_read_%1_rows").arg(rows), read, "s");
    report(name + QStringLiteral("_first_rows_vs_read"), times.first.wall / read, "x", 2);
}

QStringList tags(const QString &sql)
{
    QStringList values;
    QSqlQuery query;
    query.setForwardOnly(true);
    if (OrvTableDataMgr::getInstance()->selectOnly(sql, query))
        while (query.next())
            values << query.value(0).toString();
    return values;
}

// Moves the first 7,700 devices of subsystems 4 and 5 (by tag) with their points into station
// 1, subsystem 4: the back-stage devices with their four attribute tables, and as many front-end
// devices with their analog points.
QString gatherDevices()
{
    const QStringList back = tags(QStringLiteral("SELECT TAG_NAME FROM dev_info WHERE SUB_SYSTEM IN (4,5) ORDER BY TAG_NAME"));
    const QStringList fes = tags(QStringLiteral("SELECT TAG_NAME FROM fes_dev_info WHERE SUB_SYSTEM IN (4,5) ORDER BY TAG_NAME"));
    if (back.size() < Devices || fes.size() < Devices)
        return QStringLiteral("the demo has too few devices in subsystems 4 and 5 (use --points 200000)");
    // The front-end editor lists a subsystem's devices of every station: only the chosen stay in 4.
    QStringList sqls{QStringLiteral("UPDATE fes_dev_info SET SUB_SYSTEM = 5 WHERE SUB_SYSTEM = 4"),
                     QStringLiteral("UPDATE fes_analog SET SUB_SYSTEM = 5 WHERE SUB_SYSTEM = 4")};
    const QString move = QStringLiteral("UPDATE %1 SET LOCATION_ID = 1, SUB_SYSTEM = 4 WHERE %2 IN (%3)");
    for (int i = 0; i < Devices; i += Chunk) {
        const QString b = orv_sql::quotedList(back.mid(i, Chunk));
        sqls << move.arg(QStringLiteral("dev_info"), QStringLiteral("TAG_NAME"), b)
             << move.arg(QStringLiteral("analog"), QStringLiteral("DEVICE"), b)
             << move.arg(QStringLiteral("analog_map_to_fes"), QStringLiteral("getBeforeLastDot(getAfterFirstDot(KEY_ID_TAG))"), b)
             << move.arg(QStringLiteral("analog_limit_info"), QStringLiteral("getBeforeLastDot(TAG_NAME)"), b)
             << move.arg(QStringLiteral("analog_control"), QStringLiteral("getBeforeLastDot(TAG_NAME)"), b);
        const QString f = orv_sql::quotedList(fes.mid(i, Chunk));
        sqls << QStringLiteral("UPDATE fes_dev_info SET SUB_SYSTEM = 4 WHERE TAG_NAME IN (%1)").arg(f)
             << QStringLiteral("UPDATE fes_analog SET SUB_SYSTEM = 4 WHERE DEV_TAG IN (%1)").arg(f);
    }
    return runOnLink(sqls);
}

// Reads every value of the query's rows, as a caller would before showing them.
double readSeconds(const QString &sql)
{
    return seconds([&sql] {
        QSqlQuery query;
        query.setForwardOnly(true);
        OrvTableDataMgr::getInstance()->selectOnly(sql, query);
        const int columns = query.record().count();
        qint64 cells = 0;
        while (query.next())
            for (int i = 0; i < columns; ++i)
                cells += query.value(i).isValid();
        query.finish();
    });
}

bool reading(const QList<QTableView *> &views)
{
    return std::any_of(views.begin(), views.end(), [](const QTableView *view) {
        const auto *model = qobject_cast<const OrvTableModel *>(view->model());
        return model && model->isReading();
    });
}

// Times each keystroke until its rows are on screen, read off the GUI thread; worst and median in ms.
QPair<double, double> keystrokes(QLineEdit *field, const QList<QTableView *> &views, int rounds)
{
    const QStringList texts{"_", "_I", "_Ia", "_I", "_", "", "Q", "QF", "QF0", "QF01", "QF0", "QF", "Q", "", "x", ""};
    QVector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        for (const QString &text : texts) {
            ms << 1000 * seconds([&] {
                field->setText(text);
                QApplication::processEvents();
                while (reading(views))
                    QTest::qWait(1);
            });
        }
    }
    std::sort(ms.begin(), ms.end());
    return {ms.last(), ms.at(ms.size() / 2)};
}

// Notes when the next message box shows, and the CPU time used until then, and answers it.
class BoxWatch : public QObject
{
public:
    void start()
    {
        m_cpuStart = cpuSeconds();
        m_timer.start();
    }
    Timing shownAfter{-1, -1};
    QString text;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (box && event->type() == QEvent::Show && shownAfter.wall < 0) {
            shownAfter = {m_timer.nsecsElapsed() / 1e9, cpuSeconds() - m_cpuStart};
            text = box->text();
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
        }
        return false;
    }

private:
    QElapsedTimer m_timer;
    double m_cpuStart = 0;
};

// "从0开始自增" on DOT_NO of the first `rows` rows; the time until "修改成功!" shows.
Timing incrementTiming(OrvFesPointPatch &dlg, int rows, QString *error)
{
    QTableView *view = dlg.tableView();
    const int dot = OrvTableDataMgr::getInstance()->createModel(QStringLiteral("FES_ANALOG.xml"))->findCol(QStringLiteral("DOT_NO"));
    view->selectionModel()->select(QItemSelection(view->model()->index(0, 0), view->model()->index(rows - 1, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->selectionModel()->setCurrentIndex(view->model()->index(0, dot), QItemSelectionModel::NoUpdate);
    BoxWatch watch;
    qApp->installEventFilter(&watch);
    watch.start();
    dlg.batchEdit()->menu()->actions().at(0)->trigger();
    qApp->removeEventFilter(&watch);
    if (watch.text != QStringLiteral("修改成功!"))
        *error = watch.text.isEmpty() ? QStringLiteral("no message") : watch.text;
    return watch.shownAfter;
}

QStringList incrementStatements(const OrvFesPointPatch &dlg, int rows)
{
    QStringList sqls;
    for (int r = 0; r < rows; ++r)
        sqls << QStringLiteral("UPDATE fes_analog SET DOT_NO = '%1' WHERE TAG_NAME = '%2';")
                    .arg(r)
                    .arg(orv_sql::escaped(dlg.resultModel()->index(r, 0).data(Qt::EditRole).toString()));
    return sqls;
}

template <typename T>
bool showAndWait(T &dlg)
{
    dlg.resize(1280, 720);
    dlg.show();
    return QTest::qWaitForWindowExposed(&dlg);
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points in the database.", 200000},
                                                      {"updates", "Rows numbered by one increment.", 10000},
                                                      {"runs", "Repetitions; the best run counts.", 5}});
    const int points = values.at(0);
    const int updates = values.at(1);
    const int runs = qMax(1, values.at(2));

    TestRoot root;
    // Every write is audited, as in the tool.
    orv_public::StartLogSystem("MODEL", "bench_pointpatch");
    int failures = 0;
    for (Backend backend : benchBackends()) {
        const QString db = backendName(backend);
        DbLinkParams p;
        QString error = openDemo(backend, QStringLiteral("bench_pointpatch"), root, DemoOptions::forPointCount(points), &p);
        if (error.isEmpty())
            error = gatherDevices();
        if (!error.isEmpty()) {
            out << db << ": " << error << "\n";
            ++failures;
            continue;
        }

        OrvFesPointPatch fes(nullptr);
        if (!showAndWait(fes))
            out << db << ": the editor was not shown; times without painting\n";
        fes.findChild<QComboBox *>(QStringLiteral("comboBox_subSystem"))->setCurrentIndex(0);
        const QPair<Timing, double> fesTimes = searchTimes(fes, {fes.tableView()}, runs);
        const int rows = fes.resultModel()->rowCount();
        OrvTableModel *analog = OrvTableDataMgr::getInstance()->createModel(QStringLiteral("FES_ANALOG.xml"));
        const double read = best(runs, [&] { return readSeconds(PatchRecords::selectText(analog, fes.deviceCondition())); });
        reportSearch(db + QStringLiteral("_fes_search"), rows, fesTimes, read);
        const QPair<double, double> fesKeys = keystrokes(fes.findChild<QLineEdit *>(QStringLiteral("lineEdit_search")), {fes.tableView()}, runs);
        report(db + QStringLiteral("_fes_filter_keystroke_%1_rows_worst").arg(rows), fesKeys.first, "ms", 1);
        report(db + QStringLiteral("_fes_filter_keystroke_%1_rows_median").arg(rows), fesKeys.second, "ms", 1);

        // The clients run last: forking the client leaves this process's pages copy-on-write,
        // which would slow whatever touches them next.
        waitForCount(fes.resultModel());
        const int numbered = qMin(updates, rows);
        Timing editor;
        for (int run = 0; run < runs && error.isEmpty(); ++run) {
            const Timing t = incrementTiming(fes, numbered, &error);
            if (t.wall < editor.wall)
                editor = t;
        }
        const QStringList statements = incrementStatements(fes, numbered);
        fes.close();

        OrvBackPointPatch back(nullptr);
        if (!showAndWait(back))
            out << db << ": the editor was not shown; times without painting\n";
        back.findChild<QComboBox *>(QStringLiteral("comboBox_location"))->setCurrentIndex(0);
        back.findChild<QComboBox *>(QStringLiteral("comboBox_subSystem"))->setCurrentIndex(0);
        QList<QTableView *> backViews;
        for (int t = 0; t < OrvBackPointPatch::TabCount; ++t)
            backViews << back.tableView(t);
        const QPair<Timing, double> backTimes = searchTimes(back, backViews, runs);
        int backRows = 0;
        QStringList selects;
        for (int t = 0; t < OrvBackPointPatch::TabCount; ++t) {
            backRows += back.itemModel(t)->rowCount();
            static const char *const files[] = {"ANALOG.xml", "ANALOG_MAP_TO_FES.xml", "ANALOG_LIMIT_INFO.xml", "ANALOG_CONTROL.xml"};
            selects << PatchRecords::selectText(OrvTableDataMgr::getInstance()->createModel(QLatin1String(files[t])),
                                                 back.tabCondition(t));
        }
        const double backRead = best(runs, [&selects] {
            double s = 0;
            for (const QString &sql : selects)
                s += readSeconds(sql);
            return s;
        });
        reportSearch(db + QStringLiteral("_back_search_4_tabs"), backRows, backTimes, backRead);
        const int baseRows = back.itemModel(0)->rowCount();
        const QPair<double, double> backKeys = keystrokes(back.findChild<QLineEdit *>(QStringLiteral("lineEdit_search")), backViews, runs);
        report(db + QStringLiteral("_back_filter_keystroke_%1_rows_worst").arg(baseRows), backKeys.first, "ms", 1);
        report(db + QStringLiteral("_back_filter_keystroke_%1_rows_median").arg(baseRows), backKeys.second, "ms", 1);
        back.close();

        Timing client;
        for (int run = 0; run < runs && error.isEmpty(); ++run) {
            Timing t;
            t.wall = clientSeconds(backend, p, statements, root.file(QStringLiteral("increment.sql")), &error, &t.cpu);
            if (t.wall < client.wall)
                client = t;
        }
        if (!error.isEmpty()) {
            out << db << ": " << error << "\n";
            ++failures;
            continue;
        }
        report(db + QStringLiteral("_increment_%1_rows").arg(numbered), editor.wall, "s");
        report(db + QStringLiteral("_increment_%1_rows_cpu").arg(numbered), editor.cpu, "s");
        report(db + QStringLiteral("_client_%1_updates").arg(numbered), client.wall, "s");
        report(db + QStringLiteral("_client_%1_updates_cpu").arg(numbered), client.cpu, "s");
        report(db + QStringLiteral("_increment_vs_client"), editor.wall / client.wall, "x", 2);
    }
    OrvTableDataMgr::getInstance()->onSysQuit();
    delete OrvTableDataMgr::getInstance();
    orv_public::StopLogSystem();
    return failures == 0 ? 0 : 1;
}
