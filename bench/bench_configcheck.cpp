// Times a full run of the shipped configcheck.xml on a demo database of 100,000 back-stage points.
#include "TestSupport.h"

#include "Common.h"
#include "OrvTableDataMgr.h"
#include "orvConfigCheck.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const int points = parseIntOptions(app, {{"points", "Back-stage points in the database.", 100000}}).at(0);
    QTextStream out(stdout);

    TestRoot root;
    Common::initPath();
    DemoOptions options = DemoOptions::forPointCount(points);
    options.seedDefects = true;
    DbLinkParams p;
    QString error = createDemoDatabase(Backend::SQLite, QStringLiteral("bench_check"), root, options, &p);
    if (error.isEmpty())
        error = openLink(p);
    if (!error.isEmpty()) {
        out << error << "\n";
        return 1;
    }
    orvConfigCheck engine(nullptr);
    QElapsedTimer total;
    total.start();
    int findings = 0;
    for (ST_CfgCheckType &type : engine.lstTypes) {
        QElapsedTimer timer;
        timer.start();
        engine.checkType(&type);
        int n = 0;
        for (const ST_CfgCheckItem &item : qAsConst(type.lstItems))
            n += item.lstErrors.size();
        findings += n;
        out << QStringLiteral("%1 %2 s (%3 findings)\n").arg(type.strName, -12).arg(timer.nsecsElapsed() / 1e9, 0, 'f', 2).arg(n);
    }
    out << QStringLiteral("all groups on %1 back-stage points (SQLite): %2 s, %3 findings\n")
               .arg(options.stations * options.subsystems * options.groupsPerSubsystem * options.devicesPerGroup * 9)
               .arg(total.nsecsElapsed() / 1e9, 0, 'f', 2)
               .arg(findings);
    delete OrvTableDataMgr::getInstance();
    return 0;
}
