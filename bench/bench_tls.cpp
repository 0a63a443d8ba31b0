// What encryption costs on loopback, on servers of its own that take clear and encrypted links
// alike (tests/servers/tlsservers.sh with MODEL_TEST_TLS_OPTIONAL=1), with the link off, required
// without a CA file, and verified (the certificate chain and the host name checked):
//  - opening a connection and its session;
//  - the 后台测点 page's table read over the open link (its first window and its rows counted), and
//    opened as a page opens it: the first window over the link, the rows counted over a connection
//    of its own, opened for the count and closed after it;
// medians of the runs, the modes taking turns, and the ratios verify / off.
#include "TestSupport.h"

#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

QTextStream out(stdout);

const QString kState = QStringLiteral(MODEL_BINARY_DIR "/benchtls");

double median(QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms.isEmpty() ? -1 : ms.at(ms.size() / 2);
}

double elapsedMs(const std::function<bool()> &run)
{
    QElapsedTimer timer;
    timer.start();
    return run() ? timer.nsecsElapsed() / 1e6 : -1;
}

bool connectOnce(const DbLinkParams &p)
{
    const QString name = QStringLiteral("bench_tls");
    const QString error = DbConnection::open(p, name);
    DbConnection::close(name);
    if (!error.isEmpty())
        out << "FAILED " << error << '\n';
    return error.isEmpty();
}

struct PageTimes
{
    double read = -1;    // over the open link
    double open = -1;    // until its rows are counted over a connection of their own, as a page opens it
};

// The 后台测点 page's table, read both ways.
PageTimes pageMs(const DbLinkParams &p, int *rows)
{
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    const QString error = openLink(p);
    if (!error.isEmpty()) {
        out << "FAILED " << error << '\n';
        return {};
    }
    std::unique_ptr<OrvTableModel> model(mgr->createOwnModel(QStringLiteral("ANALOG.xml"), nullptr));
    PageTimes times;
    times.read = elapsedMs([&] { return model->load(true); });
    times.open = elapsedMs([&] {
        if (!model->open())
            return false;
        QElapsedTimer waited;
        waited.start();
        while (model->totalRows() < 0 && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return model->totalRows() >= 0;
    });
    *rows = model->rowCount();
    return times;
}

void report(const QString &name, double value, const char *unit)
{
    const int decimals = QLatin1String(unit) == QLatin1String("x") ? 3 : QLatin1String(unit) == QLatin1String("rows") ? 0 : 2;
    out << "BENCH tls_" << name << ' ' << QString::number(value, 'f', decimals) << ' ' << unit << '\n';
    out.flush();
}

DbLinkParams withMode(DbLinkParams p, DbTls::Mode mode)
{
    p.tls.mode = mode;
    if (mode == DbTls::Verify)
        p.tls.caFile = TestServers::value(QStringLiteral("MODEL_TEST_CERTS")) + QStringLiteral("/ca.crt");
    return p;
}

void measure(Backend backend, const TestRoot &root, int points, int runs)
{
    DbLinkParams p;
    const QString error = createDemoDatabase(backend, QStringLiteral("bench_tls"), root, DemoOptions::forPointCount(points), &p);
    if (!error.isEmpty()) {
        out << "FAILED " << error << '\n';
        return;
    }
    const QList<DbTls::Mode> modes{DbTls::Off, DbTls::Required, DbTls::Verify};
    QHash<int, QVector<double>> connect, read, open;
    int rows = 0;
    // The modes take turns, so that a drift of the machine weighs on all alike.
    for (int run = 0; run < runs; ++run) {
        for (DbTls::Mode mode : modes) {
            const DbLinkParams link = withMode(p, mode);
            connect[mode] << elapsedMs([&] { return connectOnce(link); });
            const PageTimes page = pageMs(link, &rows);
            read[mode] << page.read;
            open[mode] << page.open;
        }
    }
    const QString name = backendName(backend);
    for (DbTls::Mode mode : modes) {
        const QString suffix = QLatin1Char('_') + DbTls::modeName(mode);
        report(name + QStringLiteral("_connect") + suffix, median(connect.value(mode)), "ms");
        report(name + QStringLiteral("_page_read") + suffix, median(read.value(mode)), "ms");
        report(name + QStringLiteral("_page_open") + suffix, median(open.value(mode)), "ms");
    }
    report(name + QStringLiteral("_page_rows"), rows, "rows");
    report(name + QStringLiteral("_page_read_verify_vs_off"), median(read.value(DbTls::Verify)) / median(read.value(DbTls::Off)), "x");
    report(name + QStringLiteral("_page_open_verify_vs_off"),
           median(open.value(DbTls::Verify)) / median(open.value(DbTls::Off)), "x");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points of the demo system.", 100000},
                                                      {"runs", "Runs of each measurement.", 21}});
    qputenv("MODEL_TEST_TLS_OPTIONAL", "1");
    const QString started = serverScript(QStringLiteral("tlsservers.sh"), {QStringLiteral("start")}, kState);
    if (!started.isEmpty()) {
        out << "FAILED " << started << '\n';
        return 1;
    }
    qputenv("MODEL_TEST_SERVERS_ENV", (kState + QStringLiteral("/servers.env")).toLocal8Bit());
    {
        TestRoot root;
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL})
            measure(backend, root, values.at(0), values.at(1));
        delete OrvTableDataMgr::getInstance();
    }
    serverScript(QStringLiteral("tlsservers.sh"), {QStringLiteral("stop")}, kState);
    return 0;
}
