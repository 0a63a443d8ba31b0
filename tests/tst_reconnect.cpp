// The link survives what happens to its servers: a restart, a server that stops answering, a
// failover to another server. The test starts servers of its own (two MariaDB, a PostgreSQL
// primary with a streaming standby) so that it may stop, freeze and promote them.
#include "TestSupport.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "StatementStopper.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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

// Thaws a frozen server after a while from a thread of its own, so that a call that hangs on it
// fails its test rather than hanging the run; at the latest when it goes.
class ThawLater
{
public:
    ThawLater(const QString &kind, int seconds)
        : m_thread([this, kind, seconds] {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_done; });
            lock.unlock();
            servers({QStringLiteral("thaw"), kind});
        })
    {
    }
    ~ThawLater()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

QStringList column(const QString &sql)
{
    const DbRows rows = OrvDbDesign().rows(sql);
    QStringList values;
    for (int r = 0; r < rows.size(); ++r)
        values.append(rows.text(r, 0));
    return rows.ok() ? values : QStringList{rows.error};
}

} // namespace

class ReconnectTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRoot> m_root;
    QHash<int, DbLinkParams> m_links;
    QHash<int, DbLinkParams> m_pages; // a table of many windows
    QStringList m_tags;               // its keys in order, the same on both backends

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

    // A model of the table of many windows: as a table on screen has it (onScreen: counted and
    // read off the GUI thread, the count awaited), or as the library reads it.
    OrvTableModel *pagesModel(Backend backend, bool onScreen)
    {
        const QString error = openLink(m_pages.value(int(backend)));
        if (!error.isEmpty()) {
            qWarning() << error;
            return nullptr;
        }
        if (m_tags.isEmpty())
            m_tags = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY TAG_NAME"));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("ANALOG.xml"), this);
        if (!(onScreen ? model->open() : model->load(true))
            || model->rowCount() != (onScreen ? int(OrvTableModel::WindowRows) : m_tags.size()))
            return nullptr;
        if (onScreen && !QTest::qWaitFor([&] { return model->matchingRows() == m_tags.size(); }, 20000))
            return nullptr;
        return model;
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
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL}) {
            DbLinkParams p;
            QCOMPARE(createDemoDatabase(backend, QStringLiteral("reconnect_pages"), *m_root, DemoOptions::forPointCount(4000), &p), QString());
            m_pages.insert(int(backend), p);
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

    void copiedRowsEndAsTheDriversDo()
    {
        // The check reads PostgreSQL's tables through COPY: a statement the server ends, and a
        // server that stops answering, are told as on every other read, within the limit.
        DbConnection::setResponseLimitSeconds(4);
        QCOMPARE(openLink(m_links.value(int(Backend::PostgreSQL))), QString());
        const QSqlDatabase db = QSqlDatabase::database();
        int rows = 0;
        const auto count = [&rows](const QStringList &) { ++rows; };
        QString error;
        QVERIFY(DbConnection::forEachTextRow(db, QStringLiteral("SELECT CAST(1 AS INTEGER) FROM pg_sleep(5)"), count, &error));
        QVERIFY2(error.startsWith(QStringLiteral("语句运行超过 2 秒，已被数据库服务器")), qPrintable(error));

        QCOMPARE(openLink(m_links.value(int(Backend::PostgreSQL))), QString());
        QCOMPARE(servers({QStringLiteral("freeze"), serverKind(Backend::PostgreSQL)}), QString());
        QElapsedTimer waited;
        waited.start();
        const bool taken = DbConnection::forEachTextRow(QSqlDatabase::database(), QStringLiteral("SELECT TAG_NAME FROM analog"), count, &error);
        const qint64 ms = waited.elapsed();
        QCOMPARE(servers({QStringLiteral("thaw"), serverKind(Backend::PostgreSQL)}), QString());
        QVERIFY(taken);
        QVERIFY2(error.contains(QStringLiteral("秒内没有响应")), qPrintable(error));
        QVERIFY2(ms < 4000 + 10000, qPrintable(QString::number(ms)));
        QCOMPARE(rows, 0);
    }

    void frozenInTheMiddleOfTheRows()
    {
        // PostgreSQL sends a long read's rows one by one: a server that stops answering after
        // the first ends the read within the limit, through Qt as through COPY.
        DbConnection::setResponseLimitSeconds(3);
        const QString sql = QStringLiteral("SELECT CAST(n AS INTEGER), repeat('x', 2000) FROM generate_series(1, 100000) AS n");
        const auto readFrozen = [this, &sql](const std::function<QString(const std::function<void()> &)> &read) {
            QCOMPARE(openLink(m_links.value(int(Backend::PostgreSQL))), QString());
            bool frozen = false;
            QElapsedTimer waited;
            const QString error = read([&] {
                if (!frozen) {
                    frozen = servers({QStringLiteral("freeze"), serverKind(Backend::PostgreSQL)}).isEmpty();
                    waited.start();
                }
            });
            const qint64 ms = waited.elapsed();
            QCOMPARE(servers({QStringLiteral("thaw"), serverKind(Backend::PostgreSQL)}), QString());
            QVERIFY(frozen);
            QVERIFY2(error.contains(QStringLiteral("秒内没有响应")), qPrintable(error));
            QVERIFY2(ms < 3000 + 10000, qPrintable(QString::number(ms)));
        };
        readFrozen([&sql](const std::function<void()> &row) {
            return OrvDbDesign().forEachRow(sql, {}, [&row](const QStringList &) { row(); });
        });
        readFrozen([&sql](const std::function<void()> &row) {
            QString error;
            DbConnection::forEachTextRow(QSqlDatabase::database(), sql, [&row](const QStringList &) { row(); }, &error);
            return error;
        });
        // The link serves on once the server answers.
        QCOMPARE(column(QStringLiteral("SELECT COUNT(*) FROM generate_series(1, 3)")), QStringList{QStringLiteral("3")});
    }

    void pagesReadOnAfterARestart_data() { restartedServer_data(); }
    void pagesReadOnAfterARestart()
    {
        // A table on screen, of which only some windows were read, goes on through a restart:
        // the windows scrolled to, another order and an edit of a late row saved; its readers
        // off the GUI thread open their connections again as the link does.
        QFETCH(Backend, backend);
        OrvTableModel *model = pagesModel(backend, true);
        QVERIFY(model);
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const int far = m_tags.size() - 10;
        QCOMPARE(shownData(model->index(far, tag)).toString(), m_tags.at(far));
        model->sort(tag, Qt::DescendingOrder);
        QTRY_VERIFY(!model->isReading());
        QTRY_COMPARE(model->matchingRows(), m_tags.size());
        QCOMPARE(model->getRowData(0).value(tag), m_tags.last());

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        const int middle = m_tags.size() / 2;
        QCOMPARE(shownData(model->index(middle, tag)).toString(), m_tags.at(m_tags.size() - 1 - middle));
        QCOMPARE(model->lastError(), QString());

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        model->sort(tag, Qt::AscendingOrder);
        QTRY_VERIFY(!model->isReading());
        QCOMPARE(model->lastError(), QString());
        QCOMPARE(model->getRowData(0).value(tag), m_tags.first());
        QTRY_COMPARE(model->matchingRows(), m_tags.size());

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        const int late = m_tags.size() - 3;
        QVERIFY(model->setData(model->index(late, desc), QStringLiteral("重启后的末行")));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(column(QStringLiteral("SELECT DESCRIPTION FROM analog WHERE TAG_NAME = '%1'").arg(m_tags.at(late))),
                 QStringList{QStringLiteral("重启后的末行")});
        QCOMPARE(shownData(model->index(late, desc)).toString(), QStringLiteral("重启后的末行"));

        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        model->setFilter(m_tags.at(late), tag);
        QTRY_VERIFY(!model->isReading());
        QCOMPARE(model->lastError(), QString());
        QTRY_COMPARE(model->matchingRows(), 1);
        QCOMPARE(model->getRowData(0).value(desc), QStringLiteral("重启后的末行"));
    }

    void lateRowsOfAFrozenServer_data() { restartedServer_data(); }
    void lateRowsOfAFrozenServer()
    {
        // A late row is read at once while the server does not answer: the read gives up near
        // the limit, and the row's other cells and the next rows do not each wait again; read
        // anew (刷新) once the server answers, it comes.
        QFETCH(Backend, backend);
        DbConnection::setResponseLimitSeconds(3);
        OrvTableModel *model = pagesModel(backend, false);
        QVERIFY(model);
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int late = m_tags.size() - 5;

        QCOMPARE(servers({QStringLiteral("freeze"), serverKind(backend)}), QString());
        qint64 ms = 0;
        QStringList row;
        {
            ThawLater thaw(serverKind(backend), 60);
            QElapsedTimer waited;
            waited.start();
            row = model->getRowData(late);
            for (int r = late; r < late + 3; ++r)
                for (int c = 0; c < model->columnCount(); ++c)
                    model->index(r, c).data();
            ms = waited.elapsed();
        }
        QVERIFY(row.isEmpty());
        QVERIFY(!model->lastError().isEmpty());
        QVERIFY2(ms < 3000 + 10000, qPrintable(QString::number(ms)));
        QVERIFY(model->load(true));
        QCOMPARE(model->getRowData(late).value(tag), m_tags.at(late));
    }

    void frozenReadsLetTheTableGo_data() { restartedServer_data(); }
    void frozenReadsLetTheTableGo()
    {
        // A table on screen whose read off the GUI thread hangs on a server that does not
        // answer is sorted again, and closed: neither waits for the server.
        QFETCH(Backend, backend);
        DbConnection::setResponseLimitSeconds(3);
        OrvTableModel *model = pagesModel(backend, true);
        QVERIFY(model);
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        model->sort(tag, Qt::DescendingOrder);
        QTRY_VERIFY(!model->isReading());

        QCOMPARE(servers({QStringLiteral("freeze"), serverKind(backend)}), QString());
        qint64 resorted = 0, fetched = 0, closed = 0;
        {
            ThawLater thaw(serverKind(backend), 40);
            model->sort(tag, Qt::AscendingOrder);
            QVERIFY(model->isReading());
            QTest::qWait(300); // the reader waits for the server
            QElapsedTimer waited;
            waited.start();
            model->sort(tag, Qt::DescendingOrder);
            resorted = waited.elapsed();
            // Not "no rows": the rows of before stay, and the status says why no new ones came.
            QTRY_VERIFY_WITH_TIMEOUT(!model->isReading(), 20000);
            QVERIFY(!model->lastError().isEmpty());
            QCOMPARE(model->rowCount(), int(OrvTableModel::WindowRows));
            QCOMPARE(model->getRowData(0).value(tag), m_tags.last());
            // Uncounted, the view asks for more rows at every scroll to the end.
            QVERIFY(model->canFetchMore(QModelIndex()));
            waited.restart();
            model->fetchMore(QModelIndex());
            model->fetchMore(QModelIndex());
            fetched = waited.elapsed();
            model->sort(tag, Qt::AscendingOrder);
            QTest::qWait(300);
            waited.restart();
            delete model;
            closed = waited.elapsed();
        }
        // The stops go from a thread of their own, and the reader ends on its own time.
        QVERIFY2(resorted < 500, qPrintable(QString::number(resorted)));
        QVERIFY2(fetched < 500, qPrintable(QString::number(fetched)));
        QVERIFY2(closed < 500, qPrintable(QString::number(closed)));
        // The link serves on once the server answers.
        QCOMPARE(column(QStringLiteral("SELECT COUNT(*) FROM analog")), QStringList{QString::number(m_tags.size())});
    }

    void savedValueShownWhileTheServerIsFrozen_data() { restartedServer_data(); }
    void savedValueShownWhileTheServerIsFrozen()
    {
        // The server stops answering right after a save: the table shows the value saved while
        // its window is read again, and after that read failed, not the value it replaced.
        QFETCH(Backend, backend);
        DbConnection::setResponseLimitSeconds(3);
        OrvTableModel *model = pagesModel(backend, true);
        QVERIFY(model);
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const int late = m_tags.size() - 4;
        QCOMPARE(shownData(model->index(late, tag)).toString(), m_tags.at(late));
        const QString saved = QStringLiteral("保存后冻结");
        QVERIFY(model->setData(model->index(late, desc), saved));
        QCOMPARE(model->saveChanges(), QString());

        QCOMPARE(servers({QStringLiteral("freeze"), serverKind(backend)}), QString());
        ThawLater thaw(serverKind(backend), 30);
        QCOMPARE(model->index(late, desc).data().toString(), saved);
        QTRY_VERIFY_WITH_TIMEOUT(!model->lastError().isEmpty(), 15000);
        QCOMPARE(model->index(late, desc).data().toString(), saved);
    }

    void countThroughARestart_data() { restartedServer_data(); }
    void countThroughARestart()
    {
        // The server restarts while a table on screen counts the rows of a filter (another
        // session's lock holds the count up): the count comes once the server is back, rather
        // than a read failure that stands until the table is read anew.
        QFETCH(Backend, backend);
        OrvTableModel *model = pagesModel(backend, true);
        QVERIFY(model);
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const QString locker = QStringLiteral("reconnect_locker");
        QCOMPARE(DbConnection::open(m_pages.value(int(backend)), locker), QString());
        {
            QSqlDatabase db = QSqlDatabase::database(locker, false);
            model->setFilter(QStringLiteral("STA0"), tag);
            QTRY_VERIFY(!model->isReading());
            // Before the count starts, a moment after the rows came.
            QSqlQuery lock(db);
            QVERIFY(backend == Backend::MariaDB ? lock.exec(QStringLiteral("LOCK TABLES analog WRITE"))
                                                : db.transaction() && lock.exec(QStringLiteral("LOCK TABLE analog IN ACCESS EXCLUSIVE MODE")));
            QCOMPARE(model->matchingRows(), -1);
            QTest::qWait(OrvTableModel::CountDelayMs + 500);
            QCOMPARE(model->matchingRows(), -1);
        }
        QCOMPARE(servers({QStringLiteral("restart"), serverKind(backend)}), QString());
        DbConnection::close(locker);
        QTRY_VERIFY_WITH_TIMEOUT(model->matchingRows() >= 0 || !model->lastError().isEmpty(), 20000);
        QCOMPARE(model->lastError(), QString());
        QCOMPARE(model->matchingRows(), m_tags.filter(QStringLiteral("STA0")).size());
    }

    // A reader's statement is stopped only by a connection on the reader's server: a session
    // number means another client's session on any other (the stopper's connection may land
    // there after a failover).
    void stopReachesOnlyTheReadersServer()
    {
        DbLinkParams first = m_links.value(int(Backend::MariaDB));
        DbLinkParams second = first;
        second.port = TestServers::value(QStringLiteral("MODEL_TEST_MYSQL_PORT2")).toInt();
        const QString reader = QStringLiteral("reconnect_stopped");
        QCOMPARE(DbConnection::open(first, reader), QString());
        const auto kills = [](const DbLinkParams &server) {
            if (!openLink(server).isEmpty())
                return -1;
            const DbRows rows = OrvDbDesign().rows(QStringLiteral("SHOW GLOBAL STATUS LIKE 'Com_kill'"));
            return rows.ok() ? rows.text(0, 1).toInt() : -1;
        };
        for (const DbLinkParams &stopper : {second, first}) {
            const std::function<void()> stop = DbConnection::statementCanceller(QSqlDatabase::database(reader, false), stopper, [] {});
            QVERIFY(stop);
            const int before = kills(stopper);
            stop();
            StatementStopper::waitUntilSent();
            QCOMPARE(kills(stopper) - before, stopper.port == first.port ? 1 : 0);
        }
        DbConnection::close(reader);
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
        // On the database of many windows: a table on screen scrolled after the failover reads
        // its windows from the standby.
        DbLinkParams pair = m_pages.value(int(Backend::PostgreSQL));
        const QString standby = TestServers::value(QStringLiteral("MODEL_TEST_PGSQL_PORT2"));
        pair.host = QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(pair.port).arg(standby);
        QCOMPARE(openLink(pair), QString());
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral(":%1").arg(pair.port)), qPrintable(mgr()->getDbInfo()));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("REPORT_TYPE_INFO.xml"), this);
        QVERIFY(model->load(true));
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY TAG_NAME"));
        OrvTableModel *page = mgr()->createOwnModel(QStringLiteral("ANALOG.xml"), this);
        QVERIFY(page->open());
        QTRY_COMPARE(page->matchingRows(), tags.size());
        const int tag = page->findCol(QStringLiteral("TAG_NAME"));
        QCOMPARE(shownData(page->index(tags.size() - 1, tag)).toString(), tags.last());

        QCOMPARE(servers({QStringLiteral("halt"), QStringLiteral("postgresql")}), QString());
        QCOMPARE(servers({QStringLiteral("promote")}), QString());
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("备机接管")));
        QCOMPARE(model->saveChanges(), QString());
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral(":%1").arg(standby)), qPrintable(mgr()->getDbInfo()));
        QCOMPARE(stored(0), QStringLiteral("备机接管"));
        const int middle = tags.size() / 2;
        QCOMPARE(shownData(page->index(middle, tag)).toString(), tags.at(middle));
        QCOMPARE(page->lastError(), QString());
    }
};

QTEST_MAIN(ReconnectTest)
#include "tst_reconnect.moc"
