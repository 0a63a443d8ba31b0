// How fast the link comes back, on servers of its own (tests/servers/replicaservers.sh):
//  - from a server restart (the server accepts connections again) to the first successful save;
//  - from a save against a frozen server to the message that it does not answer, at the tool's
//    own limit;
//  - from the promotion of a PostgreSQL standby (its primary stopped) to the first successful
//    save, and from a stopped MariaDB server to the first save on the next one.
#include "TestSupport.h"

#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <functional>
#include <memory>

namespace {

QTextStream out(stdout);

const QString kState = QStringLiteral(MODEL_BINARY_DIR "/benchreplicas");

OrvTableDataMgr *mgr()
{
    return OrvTableDataMgr::getInstance();
}

QString kindOf(Backend backend)
{
    return backend == Backend::MariaDB ? QStringLiteral("mariadb") : QStringLiteral("postgresql");
}

void report(const QString &name, double seconds)
{
    out << "BENCH reconnect_" << name << ' ' << QString::number(seconds, 'f', 3) << " s\n";
    out.flush();
}

void fail(const QString &what)
{
    out << "FAILED " << what << '\n';
    out.flush();
}

// Seconds from now until the save of one edited cell succeeds; -1 when it failed.
double secondsToSave(int value)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<OrvTableModel> model(mgr()->createOwnModel(QStringLiteral("REPORT_TYPE_INFO.xml"), nullptr));
    const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
    if (!model->load(true) || !model->setData(model->index(0, desc), QStringLiteral("bench %1").arg(value)))
        return -1;
    const QString error = model->saveChanges();
    if (!error.isEmpty()) {
        fail(error);
        return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}

// The link's save once the action is done.
double afterAction(const QStringList &action, int value)
{
    const QString error = replicaServers(action, kState);
    if (!error.isEmpty()) {
        fail(error);
        return -1;
    }
    return secondsToSave(value);
}

double frozenToMessage(Backend backend)
{
    std::unique_ptr<OrvTableModel> model(mgr()->createOwnModel(QStringLiteral("REPORT_TYPE_INFO.xml"), nullptr));
    const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
    if (!model->load(true) || !model->setData(model->index(1, desc), QStringLiteral("frozen")))
        return -1;
    replicaServers({QStringLiteral("freeze"), kindOf(backend)}, kState);
    QElapsedTimer timer;
    timer.start();
    const QString error = model->saveChanges();
    const double seconds = timer.nsecsElapsed() / 1e9;
    replicaServers({QStringLiteral("thaw"), kindOf(backend)}, kState);
    if (!error.contains(QStringLiteral("没有响应"))) {
        fail(error);
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QCoreApplication app(argc, argv);
    QString error = replicaServers({QStringLiteral("start")}, kState);
    if (!error.isEmpty()) {
        fail(error);
        return 1;
    }
    qputenv("MODEL_TEST_SERVERS_ENV", (kState + QStringLiteral("/servers.env")).toLocal8Bit());
    int failures = 0;
    {
        TestRoot root;
        QHash<int, DbLinkParams> links;
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL}) {
            DbLinkParams p;
            error = createDemoDatabase(backend, QStringLiteral("reconnect"), root, DemoOptions(), &p);
            links.insert(int(backend), p);
        }
        const int secondMariaDb = TestServers::value(QStringLiteral("MODEL_TEST_MYSQL_PORT2")).toInt();
        if (error.isEmpty())
            error = createDemoDatabase(Backend::MariaDB, QStringLiteral("reconnect"), root, DemoOptions(), nullptr, nullptr,
                                       secondMariaDb);
        if (!error.isEmpty()) {
            fail(error);
            ++failures;
        }
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL}) {
            if (!failures && openLink(links.value(int(backend))).isEmpty()) {
                const QString name = backendName(backend);
                const double restart = afterAction({QStringLiteral("restart"), kindOf(backend)}, 1);
                const double frozen = frozenToMessage(backend);
                failures += restart < 0 || frozen < 0;
                report(name + QStringLiteral("_restart_to_first_save"), restart);
                report(name + QStringLiteral("_frozen_to_message"), frozen);
            }
            delete mgr();
        }
        // Failovers last: they stop the first servers for good.
        DbLinkParams pair = links.value(int(Backend::MariaDB));
        pair.host = QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(pair.port).arg(secondMariaDb);
        if (!failures && openLink(pair).isEmpty()) {
            const double seconds = afterAction({QStringLiteral("halt"), QStringLiteral("mariadb")}, 2);
            failures += seconds < 0;
            report(QStringLiteral("mariadb_failover_to_first_save"), seconds);
        }
        delete mgr();
        pair = links.value(int(Backend::PostgreSQL));
        pair.host = QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(pair.port).arg(TestServers::value(QStringLiteral("MODEL_TEST_PGSQL_PORT2")));
        if (!failures && openLink(pair).isEmpty()) {
            replicaServers({QStringLiteral("halt"), QStringLiteral("postgresql")}, kState);
            const double seconds = afterAction({QStringLiteral("promote")}, 3);
            failures += seconds < 0;
            report(QStringLiteral("postgresql_promotion_to_first_save"), seconds);
        }
        delete mgr();
    }
    replicaServers({QStringLiteral("stop")}, kState);
    return failures ? 1 : 0;
}
