// Times the front-end point search dialog on a demo database of 100,000 back-stage points:
// every change in the location -> RTU -> device -> point type chain, and one keystroke of the
// device filter over an RTU of 500 devices. A step is timed until the shown dialog has laid
// out and painted again, worst and median of the repetitions.
#include "TestSupport.h"

#include "OrvFesPointDlg.h"
#include "OrvTableDataMgr.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

struct Timing
{
    double worst = 0;
    double median = 0;
};

Timing timeSteps(int count, const std::function<void(int)> &step)
{
    QVector<double> ms;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        // The delayed item layout and the repaint are part of the answer the user waits for.
        QApplication::processEvents();
        QApplication::processEvents();
        ms.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.last(), ms.at(ms.size() / 2)};
}

void report(const QString &backend, const QString &what, const Timing &t)
{
    out << QStringLiteral("BENCH pointsearch_%1_%2_worst %3 ms\n").arg(backend, what).arg(t.worst, 0, 'f', 2);
    out << QStringLiteral("BENCH pointsearch_%1_%2_median %3 ms\n").arg(backend, what).arg(t.median, 0, 'f', 2);
    out.flush();
}

// Gives the first RTU of the first location and subsystem `devices` devices in all.
QString growFirstRtu(int devices)
{
    QStringList rtus;
    QSqlQuery query;
    if (!OrvTableDataMgr::getInstance()->selectOnly(
            QStringLiteral("SELECT TAG_NAME FROM fes_rtu_para WHERE LOCATION_ID = 1 AND SUB_SYSTEM = 4 ORDER BY RTU_NO"), query)
        || !query.next())
        return QStringLiteral("no RTU at location 1, subsystem 4");
    const QString rtu = query.value(0).toString();
    query.finish();
    QStringList rows;
    // Descriptions in mixed letter case, so that every keystroke hides and shows devices.
    const char *const names[] = {"Cabinet", "TABLE", "feeder", "Bay", "aBsorber"};
    for (int i = 0; i < devices; ++i)
        rows << QStringLiteral("('%1.BIG%2','%3 %2','%1')").arg(rtu).arg(i).arg(QLatin1String(names[i % 5]));
    return runOnLink(
        {QStringLiteral("DELETE FROM fes_dev_info WHERE RTU_TAG = '%1'").arg(rtu),
         QStringLiteral("INSERT INTO fes_dev_info (TAG_NAME,DEV_DESC,RTU_TAG) VALUES ") + rows.join(QLatin1Char(','))});
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points in the database.", 100000},
                                                      {"devices", "Devices of the filtered RTU.", 500},
                                                      {"runs", "Repetitions of each step.", 40}});
    const int points = values.at(0);
    const int devices = values.at(1);
    const int runs = qMax(2, values.at(2));

    TestRoot root;
    int failures = 0;
    for (Backend backend : benchBackends()) {
        const QString name = backendName(backend);
        QString error = openDemo(backend, QStringLiteral("bench_pointsearch"), root, DemoOptions::forPointCount(points));
        if (error.isEmpty())
            error = growFirstRtu(devices);
        if (!error.isEmpty()) {
            out << name << ": " << error << "\n";
            ++failures;
            continue;
        }
        OrvFesPointDlg dlg(nullptr);
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg))
            out << name << ": the dialog was not shown; times without painting\n";
        auto *location = dlg.findChild<QComboBox *>(QStringLiteral("locationBox"));
        auto *rtu = dlg.findChild<QComboBox *>(QStringLiteral("rtuBox"));
        auto *type = dlg.findChild<QComboBox *>(QStringLiteral("pointTypeBox"));
        auto *deviceList = dlg.findChild<QListWidget *>(QStringLiteral("deviceList"));
        auto *filter = dlg.findChild<QLineEdit *>(QStringLiteral("deviceFilter"));
        QApplication::processEvents();

        report(name, QStringLiteral("location"),
               timeSteps(runs, [&](int i) { location->setCurrentIndex((i + 1) % location->count()); }));
        location->setCurrentIndex(1);
        report(name, QStringLiteral("rtu"), timeSteps(runs, [&](int i) { rtu->setCurrentIndex((i + 1) % rtu->count()); }));
        report(name, QStringLiteral("device"),
               timeSteps(runs, [&](int i) { deviceList->setCurrentRow((i * 7 + 1) % deviceList->count()); }));
        report(name, QStringLiteral("pointtype"), timeSteps(runs, [&](int i) { type->setCurrentIndex((i + 1) % type->count()); }));

        // Back to the big RTU; then type "tab", delete it again, and so on.
        location->setCurrentIndex(0);
        rtu->setCurrentIndex(0);
        if (deviceList->count() != devices) {
            out << name << QStringLiteral(": the filtered RTU has %1 devices, not %2\n").arg(deviceList->count()).arg(devices);
            ++failures;
            continue;
        }
        const QStringList keystrokes{QStringLiteral("t"), QStringLiteral("ta"), QStringLiteral("tab"), QStringLiteral("ta"),
                                     QStringLiteral("t"), QString(), QStringLiteral("B"), QStringLiteral("BA")};
        report(name, QStringLiteral("filter%1").arg(devices),
               timeSteps(runs, [&](int i) { filter->setText(keystrokes.at(i % keystrokes.size())); }));
        filter->clear();
    }
    OrvTableDataMgr::getInstance()->onSysQuit();
    delete OrvTableDataMgr::getInstance();
    return failures == 0 ? 0 : 1;
}
