// Times the property page on a large system: opening the 后台测点 page (its analog table read and
// shown) and every keystroke of its filter while a word is typed and erased again, worst and
// median, each until the page has laid out and painted again.
#include "TestSupport.h"

#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

double settle(const QElapsedTimer &timer)
{
    QApplication::processEvents();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

void report(const QString &what, QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    out << QStringLiteral("BENCH pages_%1_worst %2 ms\n").arg(what).arg(ms.last(), 0, 'f', 2);
    out << QStringLiteral("BENCH pages_%1_median %2 ms\n").arg(what).arg(ms.at(ms.size() / 2), 0, 'f', 2);
    out.flush();
}

// Types the word one letter at a time, then erases it again; the time of each keystroke.
QVector<double> typeAndErase(QLineEdit *filter, const QString &word)
{
    QVector<double> ms;
    QStringList steps;
    for (int n = 1; n <= word.size(); ++n)
        steps << word.left(n);
    for (int n = word.size() - 1; n >= 0; --n)
        steps << word.left(n);
    for (const QString &text : steps) {
        QElapsedTimer timer;
        timer.start();
        filter->setText(text);
        ms << settle(timer);
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points in the database.", 100000},
                                                      {"runs", "Times each word is typed.", 3}});
    TestRoot root;
    const QString error = openDemo(Backend::SQLite, QStringLiteral("bench_pages"), root, DemoOptions::forPointCount(values.at(0)));
    if (!error.isEmpty()) {
        out << error << "\n";
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    OrvPropertyPage page({QStringLiteral("ANALOG.xml")}, nullptr);
    page.resize(1280, 720);
    page.show();
    if (!QTest::qWaitForWindowExposed(&page))
        out << "the page was not shown; times without painting\n";
    const double open = settle(timer);
    const int rows = page.view()->model()->rowCount();
    out << QStringLiteral("BENCH pages_rows %1 rows\n").arg(rows);
    out << QStringLiteral("BENCH pages_open %1 ms\n").arg(open, 0, 'f', 1);

    auto *filter = page.findChild<QLineEdit *>();
    auto *column = page.findChild<QComboBox *>();
    QVector<double> all, oneColumn;
    for (int run = 0; run < qMax(1, values.at(1)); ++run) {
        all += typeAndErase(filter, QStringLiteral("sta07.bas3_fan12.ic"));
        all += typeAndErase(filter, QStringLiteral("风机12"));
    }
    column->setCurrentIndex(2); // 描述
    for (int run = 0; run < qMax(1, values.at(1)); ++run)
        oneColumn += typeAndErase(filter, QStringLiteral("有功功率"));
    report(QStringLiteral("filter_all_columns"), all);
    report(QStringLiteral("filter_one_column"), oneColumn);
    delete OrvTableDataMgr::getInstance();
    return 0;
}
