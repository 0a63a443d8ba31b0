// The link survives what happens to its servers: a restart, a server that stops answering, a
// failover to another server. The test starts servers of its own (two MariaDB, a PostgreSQL
// primary with a streaming standby) so that it may stop, freeze and promote them.
#include "TestSupport.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString kState = QStringLiteral(MODEL_BINARY_DIR "/replicaservers");

QString servers(const QStringList &args)
{
    return replicaServers(args, kState);
}

OrvTableDataMgr *mgr()
{
    return OrvTableDataMgr::getInstance();
}

QString serverKind(Backend backend)
{
    return backend == Backend::MariaDB ? QStringLiteral("mariadb") : QStringLiteral("postgresql");
}

} // namespace

class ReconnectTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRoot> m_root;
    QHash<int, DbLinkParams> m_links;

    // Opens the demo on the backend's first server and reads a page model of it.
    OrvTableModel *linkedModel(Backend backend)
    {
        const QString error = openLink(m_links.value(int(backend)));
        if (!error.isEmpty()) {
            qWarning() << error;
            return nullptr;
        }
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("REPORT_TYPE_INFO.xml"), this);
        return model->load(true) && model->rowCount() > 0 ? model : nullptr;
    }

    static QString stored(int row)
    {
        const DbRows rows = OrvDbDesign().rows(QStringLiteral("SELECT REPORT_DESC FROM REPORT_TYPE_INFO ORDER BY REPORT_ID"));
        return rows.ok() && row < rows.size() ? rows.text(row, 0) : rows.error;
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(servers({QStringLiteral("start")}), QString());
        qputenv("MODEL_TEST_SERVERS_ENV", (kState + QStringLiteral("/servers.env")).toLocal8Bit());
        QVERIFY(TestServers::available());
        m_root = std::make_unique<TestRoot>();
        const int secondMariaDb = TestServers::value(QStringLiteral("MODEL_TEST_MYSQL_PORT2")).toInt();
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL}) {
            DbLinkParams p;
            QCOMPARE(createDemoDatabase(backend, QStringLiteral("reconnect"), *m_root, DemoOptions(), &p), QString());
            m_links.insert(int(backend), p);
        }
        // The second MariaDB server holds a copy of its own; the PostgreSQL standby replicates.
        DbLinkParams copy;
        QCOMPARE(createDemoDatabase(Backend::MariaDB, QStringLiteral("reconnect"), *m_root, DemoOptions(), &copy, nullptr,
                                    secondMariaDb),
                 QString());
    }

    void cleanupTestCase()
    {
        delete mgr();
        m_root.reset();
        QCOMPARE(servers({QStringLiteral("stop")}), QString());
    }

    void cleanup()
    {
        DbConnection::setResponseLimitSeconds(29);
        delete mgr();
    }

    void restartedServer_data()
    {
        QTest::addColumn<Backend>("backend");
        QTest::newRow("mariadb") << Backend::MariaDB;
        QTest::newRow("postgresql") << Backend::PostgreSQL;
    }
    void restartedServer()
    {
        // After a restart the next save, read and repair each succeed without a new start of the
        // tool; the status bar hears that the link was opened again.
        QFETCH(Backend, backend);
        OrvTableModel *model = linkedModel(backend);
        QVERIFY(model);
        QSignalSpy status(mgr(), &OrvTableDataMgr::linkStatus);
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("重启后保存")));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(stored(0), QStringLiteral("重启后保存"));
        QVERIFY(!status.isEmpty() && status.last().first().toString().startsWith(QStringLiteral("已重新连接数据库")));

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        QVERIFY2(model->load(true), qPrintable(model->lastError()));
        QVERIFY(model->rowCount() > 0);

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        const QString key = model->getRowData(model->rowCount() - 1).at(model->findCol(QStringLiteral("REPORT_NAME")));
        QCOMPARE(mgr()->executeWrites({SqlWrite::templateDelete(QStringLiteral("REPORT_TYPE_INFO"), QStringLiteral("REPORT_NAME"), key)}).error,
                 QString());
    }

    void frozenServer_data() { restartedServer_data(); }
    void frozenServer()
    {
        // A server that stops answering ends the save with a message naming it within the limit;
        // the edits stay, and the save succeeds once the server answers again.
        QFETCH(Backend, backend);
        OrvTableModel *model = linkedModel(backend);
        QVERIFY(model);
        DbConnection::setResponseLimitSeconds(3);
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
        QVERIFY(model->setData(model->index(1, desc), QStringLiteral("冻结时保存")));

        QCOMPARE(servers({QStringLiteral("freeze"), serverKind(backend)}), QString());
        QElapsedTimer waited;
        waited.start();
        const QString error = model->saveChanges();
        const qint64 ms = waited.elapsed();
        QCOMPARE(servers({QStringLiteral("thaw"), serverKind(backend)}), QString());
        QVERIFY2(error.contains(QStringLiteral("秒内没有响应")), qPrintable(error));
        // Within the limit, give or take a loaded machine.
        QVERIFY2(ms < 3000 + 10000, qPrintable(QString::number(ms)));
        QVERIFY(model->hasPendingChanges());

        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(stored(1), QStringLiteral("冻结时保存"));
    }

    void serverEndsALongStatement_data() { restartedServer_data(); }
    void serverEndsALongStatement()
    {
        // A statement the server ends at the session's limit is said to have run too long, not
        // passed on as the driver's words alone, and the link stays usable.
        QFETCH(Backend, backend);
        DbConnection::setResponseLimitSeconds(4);
        QCOMPARE(openLink(m_links.value(int(backend))), QString());
        QSignalSpy status(mgr(), &OrvTableDataMgr::linkStatus);
        const DbRows slept =
            OrvDbDesign().rows(backend == Backend::MariaDB ? QStringLiteral("SELECT SLEEP(5)") : QStringLiteral("SELECT pg_sleep(5)"));
        QVERIFY2(slept.error.startsWith(QStringLiteral("语句运行超过 2 秒，已被数据库服务器")), qPrintable(slept.error));
        // A write the server ends (a trigger makes it slow) says so inside the batch's message.
        const QStringList slow = backend == Backend::MariaDB
            ? QStringList{QStringLiteral("CREATE TRIGGER slow_write BEFORE UPDATE ON REPORT_TYPE_INFO FOR EACH ROW SET @waited = SLEEP(5)")}
            : QStringList{QStringLiteral("CREATE FUNCTION slow_write() RETURNS trigger AS $$ BEGIN PERFORM pg_sleep(5); RETURN NEW; END $$ "
                                         "LANGUAGE plpgsql"),
                          QStringLiteral("CREATE TRIGGER slow_write BEFORE UPDATE ON REPORT_TYPE_INFO FOR EACH ROW EXECUTE FUNCTION slow_write()")};
        QCOMPARE(runOnLink(slow), QString());
        const QString written = mgr()->executeBatch({QStringLiteral("UPDATE REPORT_TYPE_INFO SET REPORT_DESC = 'slow' WHERE REPORT_ID = 1;")});
        QCOMPARE(runOnLink({backend == Backend::MariaDB ? QStringLiteral("DROP TRIGGER slow_write")
                                                        : QStringLiteral("DROP FUNCTION slow_write() CASCADE")}),
                 QString());
        QVERIFY2(written.contains(QStringLiteral("原因: 语句运行超过 2 秒，已被数据库服务器")), qPrintable(written));
        QVERIFY(!stored(0).isEmpty());
        QVERIFY2(status.isEmpty(), qPrintable(status.value(0).value(0).toString()));
    }

    void mariadbFailsOverToTheNextServer()
    {
        DbLinkParams pair = m_links.value(int(Backend::MariaDB));
        const QString second = TestServers::value(QStringLiteral("MODEL_TEST_MYSQL_PORT2"));
        pair.host = QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(pair.port).arg(second);
        QCOMPARE(openLink(pair), QString());
        QVERIFY(mgr()->getDbInfo().contains(QStringLiteral(":%1").arg(pair.port)));

        QCOMPARE(servers({QStringLiteral("halt"), QStringLiteral("mariadb")}), QString());
        QCOMPARE(mgr()->executeWrites({SqlWrite::templateUpdate(QStringLiteral("REPORT_TYPE_INFO"), QStringLiteral("REPORT_NAME"),
                                                                OrvDbDesign().rows(QStringLiteral("SELECT REPORT_NAME FROM REPORT_TYPE_INFO")).text(0, 0),
                                                                QStringLiteral("REPORT_DESC"), QStringLiteral("第二台"))})
                     .error,
                 QString());
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral(":%1").arg(second)), qPrintable(mgr()->getDbInfo()));
    }

    void postgresqlFailsOverToThePromotedStandby()
    {
        DbLinkParams pair = m_links.value(int(Backend::PostgreSQL));
        const QString standby = TestServers::value(QStringLiteral("MODEL_TEST_PGSQL_PORT2"));
        pair.host = QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(pair.port).arg(standby);
        QCOMPARE(openLink(pair), QString());
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral(":%1").arg(pair.port)), qPrintable(mgr()->getDbInfo()));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("REPORT_TYPE_INFO.xml"), this);
        QVERIFY(model->load(true));
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));

        QCOMPARE(servers({QStringLiteral("halt"), QStringLiteral("postgresql")}), QString());
        QCOMPARE(servers({QStringLiteral("promote")}), QString());
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("备机接管")));
        QCOMPARE(model->saveChanges(), QString());
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral(":%1").arg(standby)), qPrintable(mgr()->getDbInfo()));
        QCOMPARE(stored(0), QStringLiteral("备机接管"));
    }
};

QTEST_MAIN(ReconnectTest)
#include "tst_reconnect.moc"
