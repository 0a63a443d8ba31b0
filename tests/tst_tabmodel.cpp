// The table-model library over SQLite, MariaDB and PostgreSQL.
#include "TestSupport.h"

#include "AppLog.h"
#include "ColumnKind.h"
#include "InstallRoot.h"
#include "OrvAuditLog.h"
#include "OrvDbDesign.h"
#include "OrvEditMarksProxy.h"
#include "OrvInputDlg.h"
#include "OrvReplaceDlg.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "OrvWaitPrgDlg.h"
#include "SqlText.h"
#include "SqlWrite.h"
#include "ViewName.h"
#include "Worker.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <boost/bind/bind.hpp>

#include <algorithm>
#include <tuple>


class TabModelTest : public QObject
{
    Q_OBJECT

private:
    TestRoot m_root;
    QHash<int, DbLinkParams> m_links;
    OrvTableDataMgr *mgr() { return OrvTableDataMgr::getInstance(); }


    // Runs the batch as the batch editors do: a Worker under the wait dialog. The worker's result.
    QString runWorker(const QStringList &sqls)
    {
        Worker worker(nullptr);
        OrvWaitPrgDlg dlg(boost::bind(&Worker::executeSqls, &worker, sqls), nullptr);
        QString result = QStringLiteral("not reported");
        connect(&worker, &Worker::sigExecuteSqlsResult, this, [&](const QString &r) { result = r; }, Qt::BlockingQueuedConnection);
        dlg.exec();
        return result;
    }

    bool link(Backend backend)
    {
        const QString error = openLink(m_links.value(int(backend)));
        if (!error.isEmpty())
            qWarning() << error;
        return error.isEmpty();
    }

    QStringList column(const QString &sql)
    {
        QStringList values;
        OrvDbDesign().getOneColumnResult(sql, values);
        return values;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(TestServers::availableWhereRequired(), "the test servers are not running");
        for (Backend b : availableBackends()) {
            DbLinkParams p;
            const QString error = createDemoDatabase(b, QStringLiteral("tabmodel_test"), m_root, DemoOptions(), &p);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            m_links.insert(int(b), p);
        }
    }

    void cleanupTestCase()
    {
        delete OrvTableDataMgr::getInstance();
    }

    void textFunctions_data() { addBackendRows(); }
    void textFunctions()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        QStringList after, before;
        const QString sql = QStringLiteral(
            "SELECT getAfterFirstDot(TAG_NAME), getBeforeLastDot(TAG_NAME) FROM SYS_MODEL_DOMAIN_INFO;");
        QVERIFY(OrvDbDesign().getTwoColumnResult(sql, after, before));
        QCOMPARE(after, QStringList{QString()});  // "LINE1" has no dot
        QCOMPARE(before, QStringList{QString()});
        QCOMPARE(column(QStringLiteral("SELECT getAfterFirstDot('a.b.c') FROM SYS_MODEL_DOMAIN_INFO;")), QStringList{"b.c"});
        QCOMPARE(column(QStringLiteral("SELECT getBeforeLastDot('a.b.c') FROM SYS_MODEL_DOMAIN_INFO;")), QStringList{"a.b"});
        QCOMPARE(column(QStringLiteral("SELECT getBeforeLastDot(getAfterFirstDot('analog.站01.G1_D1.Ia')) FROM SYS_MODEL_DOMAIN_INFO;")),
                 QStringList{QStringLiteral("站01.G1_D1")});
        QCOMPARE(column(QStringLiteral("SELECT getAfterFirstDot('') FROM SYS_MODEL_DOMAIN_INFO;")), QStringList{QString()});
        QCOMPARE(column(QStringLiteral("SELECT getAfterFirstDot('x.') FROM SYS_MODEL_DOMAIN_INFO;")), QStringList{QString()});
        QCOMPARE(column(QStringLiteral("SELECT getBeforeLastDot('.x') FROM SYS_MODEL_DOMAIN_INFO;")), QStringList{QString()});
        // The back-stage editor's device condition finds every front-end map of a device.
        const QStringList maps = column(QStringLiteral(
            "SELECT KEY_ID_TAG FROM analog_map_to_fes WHERE getBeforeLastDot(getAfterFirstDot(KEY_ID_TAG)) IN ('STA01.PSCADA1_QF01');"));
        QCOMPARE(maps.size(), 4);
    }

    void selectOnlyAndSize_data() { addBackendRows(); }
    void selectOnlyAndSize()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        QSqlQuery query;
        QVERIFY(mgr()->selectOnly(QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;"), query));
        QVERIFY(query.size() != 0);
        int rows = 0;
        while (query.next())
            ++rows;
        QCOMPARE(rows, 3);
        QSqlQuery bad;
        QVERIFY(!mgr()->selectOnly(QStringLiteral("SELECT * FROM NO_SUCH_TABLE;"), bad));
        QVERIFY(!mgr()->lastError().isEmpty());
    }

    void modelsFromDefinitions_data() { addBackendRows(); }
    void modelsFromDefinitions()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        QVERIFY(!mgr()->createModel(QStringLiteral("NO_SUCH.xml")));
        QVERIFY(!mgr()->createModel(QStringLiteral("../etc/database.ini")));
        OrvTableModel *model = mgr()->createModel(QStringLiteral("ANALOG.xml"));
        QVERIFY(model);
        QCOMPARE(mgr()->createModel(QStringLiteral("ANALOG.xml")), model);
        QCOMPARE(model->getTableName(), QStringLiteral("analog"));
        QCOMPARE(model->getSqlName().first(), QStringLiteral("TAG_NAME"));
        QCOMPARE(model->getDescList().first(), QStringLiteral("标签名"));
        QCOMPARE(model->findCol(QStringLiteral("DEVICE")), 2);
        QCOMPARE(model->findCol(QStringLiteral("NOPE")), -1);
        const int hidden = model->findCol(QStringLiteral("RAW_CODE"));
        QVERIFY(!model->getShowCol(false).contains(hidden));
        QVERIFY(model->getShowCol(true).contains(hidden));
        const ColMgrData &seq = model->getHeadCols().at(model->findCol(QStringLiteral("SEQ_NO")));
        QCOMPARE(seq.valueType, QStringLiteral("Int"));
        QVERIFY(model->getHeadCols().at(0).primaryKey);
        QCOMPARE(model->rowCount(), 144);
        QCOMPARE(model->getRowData(0).size(), model->columnCount());

        const QString view = orv_view::make(QStringLiteral("RM_ROLE_DEF.xml"), QStringLiteral("PERM_ID='3'"));
        OrvTableModel *roles = mgr()->createModel(view);
        QVERIFY(roles);
        QVERIFY(roles->load(true));
        QCOMPARE(roles->rowCount(), 1);
        QCOMPARE(roles->getRowData(0).at(1), QStringLiteral("管理员"));
        QCOMPARE(roles->getRowData(5), QStringList());
    }

    void cachedModelsSeeWrites_data() { addBackendRows(); }
    void cachedModelsSeeWrites()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        OrvTableModel *model = mgr()->createModel(QStringLiteral("REPORT_TYPE_INFO.xml"));
        QVERIFY(model);
        QCOMPARE(model->rowCount(), 3);
        QVERIFY(mgr()->executeOnly({QStringLiteral("delete from REPORT_TYPE_INFO where REPORT_NAME = 'RPT_ENERGY';")}));
        QCOMPARE(mgr()->createModel(QStringLiteral("REPORT_TYPE_INFO.xml"))->rowCount(), 2);
    }

    void batchIsAllOrNothing_data() { addBackendRows(); }
    void batchIsAllOrNothing()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        QSignalSpy errors(mgr(), &OrvTableDataMgr::dbError);
        const QString bad = QStringLiteral("UPDATE no_such_table SET X = '1';");
        QVERIFY(!mgr()->executeOnly({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_DESC = 'changed' WHERE HMI_ID = 1;"), bad}));
        QCOMPARE(errors.count(), 1);
        const QString text = errors.first().first().toString();
        QVERIFY2(text.contains(bad) && text.contains(QStringLiteral("第2条")), qPrintable(text));
        QCOMPARE(column(QStringLiteral("SELECT HMI_DESC FROM HMI_TYPE_INFO WHERE HMI_ID = 1;")), QStringList{"线路总图"});
        // Quotes in values survive when escaped.
        const QString value = QStringLiteral("O'Brien \"站\" \\ %1");
        QVERIFY(mgr()->executeOnly({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_DESC = '%1' WHERE HMI_ID = 2;")
                                        .arg(orv_sql::escaped(value))}));
        QCOMPARE(column(QStringLiteral("SELECT HMI_DESC FROM HMI_TYPE_INFO WHERE HMI_ID = 2;")), QStringList{value});
    }

    void workerRunsUnderWaitDialog_data() { addBackendRows(); }
    void workerRunsUnderWaitDialog()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;"));
        QVERIFY(tags.size() >= 100);
        QStringList sqls;
        for (int i = 0; i < tags.size(); ++i)
            sqls << QStringLiteral("UPDATE fes_analog SET UNIT = 'u%1' WHERE TAG_NAME = '%2';").arg(i).arg(tags.at(i));

        // A reader left open on the GUI thread's connection must not block the worker.
        QSqlQuery reader;
        QVERIFY(mgr()->selectOnly(QStringLiteral("SELECT TAG_NAME FROM fes_analog;"), reader));
        QVERIFY(reader.next());

        Worker worker(nullptr);
        OrvWaitPrgDlg dlg(boost::bind(&Worker::executeSqls, &worker, sqls), nullptr);
        dlg.setRange(0, sqls.size());
        QList<int> progress;
        QString result = QStringLiteral("not reported");
        connect(&worker, &Worker::sigExecuteSqlsProcess, &dlg, &QProgressDialog::setValue, Qt::BlockingQueuedConnection);
        connect(&worker, &Worker::sigExecuteSqlsProcess, this, [&](int v) { progress << v; }, Qt::BlockingQueuedConnection);
        connect(&worker, &Worker::sigExecuteSqlsResult, this, [&](const QString &r) { result = r; }, Qt::BlockingQueuedConnection);
        dlg.exec();
        reader.finish();

        QCOMPARE(result, QString());
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last(), sqls.size());
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QVERIFY(progress.size() <= 102);
        QCOMPARE(column(QStringLiteral("SELECT UNIT FROM fes_analog WHERE TAG_NAME = '%1';").arg(tags.at(7))), QStringList{"u7"});
    }

    void workerFailureAppliesNothing_data() { addBackendRows(); }
    void workerFailureAppliesNothing()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;")).mid(0, 20);
        const QStringList units = column(QStringLiteral("SELECT UNIT FROM fes_analog ORDER BY TAG_NAME;")).mid(0, 20);
        QStringList sqls;
        for (const QString &tag : tags)
            sqls << QStringLiteral("UPDATE fes_analog SET UNIT = 'w' WHERE TAG_NAME = '%1';").arg(tag);
        sqls << QStringLiteral("UPDATE HMI_TYPE_INFO SET NO_COLUMN = 1;");
        Worker worker(nullptr);
        OrvWaitPrgDlg dlg(boost::bind(&Worker::executeSqls, &worker, sqls), nullptr);
        QString result;
        connect(&worker, &Worker::sigExecuteSqlsResult, this, [&](const QString &r) { result = r; }, Qt::BlockingQueuedConnection);
        dlg.exec();
        QVERIFY2(result.contains(QStringLiteral("第21条")) && result.contains(QStringLiteral("NO_COLUMN")), qPrintable(result));
        QCOMPARE(column(QStringLiteral("SELECT UNIT FROM fes_analog ORDER BY TAG_NAME;")).mid(0, 20), units);
    }

    void inputDuringAJobIsDropped()
    {
        // A button in another window, clicked and keyed through the window system before the
        // wait dialog shows and while it shows.
        QPushButton button(QStringLiteral("again"));
        button.resize(200, 80);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QSignalSpy clicks(&button, &QPushButton::clicked);
        QWindow *window = button.windowHandle();
        const auto poke = [window] {
            QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(100, 40));
            QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(100, 40));
            QTest::keyClick(window, Qt::Key_Space);
        };
        QTimer::singleShot(OrvWaitPrgDlg::ShowDelayMs / 3, &button, poke);
        QTimer::singleShot(OrvWaitPrgDlg::ShowDelayMs * 2, &button, poke);
        bool shown = false;
        // A job that reports no progress shows the dialog all the same.
        OrvWaitPrgDlg dlg([] { QThread::msleep(OrvWaitPrgDlg::ShowDelayMs * 3); }, nullptr);
        QTimer::singleShot(OrvWaitPrgDlg::ShowDelayMs * 2, &dlg, [&] { shown = dlg.isVisible(); });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(shown);
        QVERIFY(!dlg.isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(clicks.count(), 0);
        // Afterwards the button works again.
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
    }

    void dbDesignReaders_data() { addBackendRows(); }
    void dbDesignReaders()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        OrvDbDesign design;
        QStringList tags, descs, third;
        design.getThreeColumnResult(QStringLiteral("SELECT TAG_NAME,DESCRIPTION,LOCATION_ID FROM SYS_MODEL_LOCATION_INFO ORDER BY LOCATION_ID;"),
                                    tags, descs, third);
        QCOMPARE(tags, (QStringList{"STA01", "STA02", "STA03"}));
        QCOMPARE(descs.first(), QStringLiteral("火车站"));
        QCOMPARE(third, (QStringList{"1", "2", "3"}));
        QStringList a, b;
        QVERIFY(!design.getTwoColumnResult(QStringLiteral("SELECT TAG_NAME FROM NOPE;"), a, b));
        QVERIFY(a.isEmpty() && b.isEmpty());

        QComboBox combo;
        design.getSqlInfoToCombobox(QStringLiteral("SELECT * FROM SYS_MODEL_SUB_SYSTEM_INFO WHERE SUB_SYSTEM_ID not in (1,2,3);"),
                                    QStringLiteral("DESCRIPTION"), QStringLiteral("SUB_SYSTEM_ID"), &combo);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(0), QStringLiteral("电力监控"));
        QCOMPARE(combo.itemData(0).toInt(), 4);
        QCOMPARE(combo.itemData(0).toString(), QStringLiteral("4"));

        QListWidget list;
        OrvDbDesign::reloadListWidget(&list, design.getSqlItems(QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE RTU_TAG = 'STA01.PSCADA.CH01.RTU01';"),
                                                                QStringLiteral("DEV_DESC"), QStringLiteral("TAG_NAME"), false));
        QCOMPARE(list.count(), 2);
        QVERIFY(list.item(0)->data(Qt::UserRole).toString().startsWith(QStringLiteral("STA01.PSCADA.CH01.RTU01.QF0")));

        OrvTableModel *rsp = mgr()->createModel(QStringLiteral("RM_USERG_RSP_INFO.xml"));
        const QStringList row = design.getFilterDatas(rsp, {{"PERM_ROLE", "3"}, {"PERM_SPEFUNC", "3"}});
        QCOMPARE(row.value(rsp->findCol(QStringLiteral("PERM_USER_GROUP"))), QStringLiteral("1"));
        QCOMPARE(row.value(rsp->findCol(QStringLiteral("PERM_LOCATION1"))), QStringLiteral("7"));
        QVERIFY(design.getFilterDatas(rsp, {{"PERM_ROLE", "2"}, {"PERM_SPEFUNC", "3"}}).isEmpty());
        QVERIFY(design.getFilterDatas(rsp, {{"NO_COLUMN", "2"}}).isEmpty());
    }

    void testBitNumbering()
    {
        OrvDbDesign design;
        QCOMPARE(design.testBit({}), QList<int>());
        QCOMPARE(design.testBit({5}), (QList<int>{1, 3}));
        QCOMPARE(design.testBit({0, 1}), QList<int>{33});
        QCOMPARE(design.testBit({int(0x80000000u)}), QList<int>{32});
        QList<int> sixteen = QVector<int>(16, 0).toList();
        sixteen[15] = int(0x80000000u);
        QCOMPARE(design.testBit(sixteen), QList<int>{512});
    }

    void modelEditsAndRights_data() { addBackendRows(); }
    void modelEditsAndRights()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        OrvTableModel *model = mgr()->createModel(QStringLiteral("SYS_MODEL_LOCATION_INFO.xml"));
        QVERIFY(model->load(true));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const int key = model->findCol(QStringLiteral("LOCATION_ID"));

        mgr()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        QVERIFY(!model->setData(model->index(0, desc), QStringLiteral("x")));
        mgr()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        mgr()->setPrimaryEditable(false);
        QVERIFY(!model->setData(model->index(0, key), 9));
        QCOMPARE(model->editRefusal(key), QStringLiteral("该列是主键,不可编辑"));

        const QString value = QStringLiteral("火车站 'A' 口");
        QVERIFY(model->setData(model->index(0, desc), value));
        mgr()->setPrimaryEditable(true);
        QVERIFY(model->setData(model->index(0, key), 91));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(column(QStringLiteral("SELECT DESCRIPTION FROM SYS_MODEL_LOCATION_INFO WHERE LOCATION_ID = 91;")), QStringList{value});

        // A clash on the key fails the whole save; the edits stay for the user to mend, the row
        // that failed named.
        QSignalSpy errors(mgr(), &OrvTableDataMgr::dbError);
        model->load(true);
        const int row = model->rowCount() - 1;
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("never stored")));
        QVERIFY(model->setData(model->index(row, key), model->getRowData(0).at(key)));
        QVERIFY(!model->saveChanges().isEmpty());
        QCOMPARE(errors.count(), 0); // the page that saved says it, once
        QCOMPARE(model->getRowData(0).at(desc), QStringLiteral("never stored"));
        QCOMPARE(model->failedCell(), qMakePair(row, key));
        QVERIFY(!column(QStringLiteral("SELECT DESCRIPTION FROM SYS_MODEL_LOCATION_INFO;")).contains(QStringLiteral("never stored")));
        model->revertChanges();
        QVERIFY(model->getRowData(0).at(desc) != QStringLiteral("never stored"));

        QVERIFY(mgr()->executeOnly({QStringLiteral("UPDATE SYS_MODEL_LOCATION_INFO SET LOCATION_ID = 1 WHERE LOCATION_ID = 91;")}));
        mgr()->setPrimaryEditable(false);
    }

    void sessionsArePinned_data() { addBackendRows(); }
    void sessionsArePinned()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        if (backend == Backend::MariaDB) {
            const QStringList mode = column(QStringLiteral("SELECT @@SESSION.sql_mode;"));
            QVERIFY2(mode.value(0).contains(QStringLiteral("STRICT_ALL_TABLES")) && mode.value(0).contains(QStringLiteral("NO_BACKSLASH_ESCAPES")),
                     qPrintable(mode.value(0)));
            QCOMPARE(column(QStringLiteral("SELECT @@SESSION.character_set_connection;")), QStringList{"utf8mb4"});
            QCOMPARE(column(QStringLiteral("SELECT @@SESSION.innodb_lock_wait_timeout;")), QStringList{"25"});
            QCOMPARE(column(QStringLiteral("SELECT @@SESSION.max_statement_time;")).value(0).toDouble(), 27.0);
            // What slips past the library's checks is still refused by the session, never cut or zeroed.
            QVERIFY(!runOnLink({QStringLiteral("UPDATE fes_analog SET DOT_NO = 'x' WHERE DOT_NO = 1;")}).isEmpty());
            QVERIFY(!runOnLink({QStringLiteral("UPDATE fes_analog SET UNIT = '12345678901234567' WHERE DOT_NO = 1;")}).isEmpty());
        } else if (backend == Backend::PostgreSQL) {
            QCOMPARE(column(QStringLiteral("SHOW standard_conforming_strings;")), QStringList{"on"});
            QCOMPARE(column(QStringLiteral("SHOW lock_timeout;")), QStringList{"25s"});
            QCOMPARE(column(QStringLiteral("SHOW statement_timeout;")), QStringList{"27s"});
        }
        // Four-byte characters survive the link and the worker's own connection alike.
        const QString wide = QStringLiteral("泵😀𠀀");
        QCOMPARE(mgr()->executeBatch({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_DESC = '%1' WHERE HMI_ID = 3;").arg(wide)}), QString());
        QCOMPARE(column(QStringLiteral("SELECT HMI_DESC FROM HMI_TYPE_INFO WHERE HMI_ID = 3;")), QStringList{wide});
        QCOMPARE(runWorker({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_DESC = '%1?' WHERE HMI_ID = 4;").arg(wide)}), QString());
        QCOMPARE(column(QStringLiteral("SELECT HMI_DESC FROM HMI_TYPE_INFO WHERE HMI_ID = 4;")), QStringList{wide + QLatin1Char('?')});
        // A record named like the mangled text is another record: deleting it must not find these.
        QVERIFY(mgr()->executeBatch({QStringLiteral("delete from HMI_TYPE_INFO where HMI_DESC = '泵?\?';")}).contains(QStringLiteral("没有改动任何记录")));
        QCOMPARE(column(QStringLiteral("SELECT HMI_ID FROM HMI_TYPE_INFO WHERE HMI_ID IN (3,4) ORDER BY HMI_ID;")), (QStringList{"3", "4"}));
    }

    void backslashesStayLiteralOnPostgres()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        QVERIFY(link(Backend::PostgreSQL));
        const QString database = m_links.value(int(Backend::PostgreSQL)).database;
        QCOMPARE(runOnLink({QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off").arg(database)}), QString());
        QVERIFY(link(Backend::PostgreSQL));
        const QStringList before = column(QStringLiteral("SELECT HMI_ID FROM HMI_TYPE_INFO ORDER BY HMI_ID;"));
        const QString hostile = QStringLiteral("\\'; DELETE FROM HMI_TYPE_INFO; --");
        // A template with doubled quotes, the worker, and a page edit with bound values.
        QCOMPARE(mgr()->executeBatch({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_DESC = '%1' WHERE HMI_ID = 1;").arg(orv_sql::escaped(hostile))}),
                 QString());
        QCOMPARE(runWorker({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_FILE = '%1' WHERE HMI_ID = 2;").arg(orv_sql::escaped(hostile))}), QString());
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("HMI_TYPE_INFO.xml"), this);
        QVERIFY(model->load(true));
        QVERIFY(model->setData(model->index(2, model->findCol(QStringLiteral("HMI_NAME"))), hostile));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(column(QStringLiteral("SELECT HMI_ID FROM HMI_TYPE_INFO ORDER BY HMI_ID;")), before);
        QCOMPARE(column(QStringLiteral("SELECT HMI_DESC FROM HMI_TYPE_INFO WHERE HMI_ID = 1;")), QStringList{hostile});
        QCOMPARE(column(QStringLiteral("SELECT HMI_FILE FROM HMI_TYPE_INFO WHERE HMI_ID = 2;")), QStringList{hostile});
        QCOMPARE(column(QStringLiteral("SELECT HMI_NAME FROM HMI_TYPE_INFO WHERE HMI_ID = %1;").arg(model->getRowData(2).at(0))), QStringList{hostile});
        delete model;
        QCOMPARE(runOnLink({QStringLiteral("ALTER DATABASE %1 RESET standard_conforming_strings").arg(database)}), QString());
    }

    // The fast reads of whole tables give each cell as Qt's driver does, whatever it holds.
    void textRowsReadLikeTheDriver_data() { addBackendRows(); }
    void textRowsReadLikeTheDriver()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        QSqlDatabase db = QSqlDatabase::database();
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE text_rows_probe (ID INTEGER, BIG BIGINT, TXT VARCHAR(64), RATE FLOAT)")));
        const QStringList texts{QStringLiteral("a\tb"), QStringLiteral("line\nnext\r"), QStringLiteral("back\\slash\\N"),
                                QStringLiteral("\\N"), QString(), QStringLiteral(""), QStringLiteral("火车站 😀"),
                                QStringLiteral("\b\f\v\x01 end ")};
        QVERIFY(query.prepare(QStringLiteral("INSERT INTO text_rows_probe VALUES (?, ?, ?, ?)")));
        for (int i = 0; i < texts.size(); ++i) {
            query.addBindValue(i - 3);
            query.addBindValue(i == 4 ? QVariant(QVariant::LongLong) : QVariant(Q_INT64_C(9007199254740993) * (i % 2 ? -1 : 1)));
            query.addBindValue(texts.at(i).isNull() ? QVariant(QVariant::String) : QVariant(texts.at(i)));
            query.addBindValue(1.5);
            QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
        }
        const QString sql = QStringLiteral("SELECT ID, BIG, TXT FROM text_rows_probe ORDER BY ID ;");
        QList<QStringList> expected;
        QVERIFY(query.exec(sql));
        while (query.next())
            expected.append({OrvDbDesign::cellText(query, 0), OrvDbDesign::cellText(query, 1), OrvDbDesign::cellText(query, 2)});
        QList<QStringList> read;
        const auto keep = [&read](const QStringList &row) { read.append(row); };
        QString error;
        const bool taken = DbConnection::forEachTextRow(db, sql, keep, &error);
        QCOMPARE(taken, backend != Backend::MariaDB);
        if (taken) {
            QCOMPARE(error, QString());
            QCOMPARE(read, expected);
        }
        // A float reads otherwise on the server's own path: left to the driver.
        read.clear();
        QCOMPARE(DbConnection::forEachTextRow(db, QStringLiteral("SELECT RATE FROM text_rows_probe"), keep, &error),
                 backend == Backend::SQLite);
        if (backend == Backend::PostgreSQL) {
            // A statement that fails once under way is a failure, not the rows before it.
            QVERIFY(DbConnection::forEachTextRow(db, QStringLiteral("SELECT CAST(10 / (ID + 1) AS INTEGER) FROM text_rows_probe ORDER BY ID"),
                                                 keep, &error));
            QVERIFY2(error.contains(QLatin1String("division by zero")), qPrintable(error));
        }
        QVERIFY(query.exec(QStringLiteral("DROP TABLE text_rows_probe")));
    }

    void writesAreChecked_data() { addBackendRows(); }
    void writesAreChecked()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        const QString tag = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;")).first();
        const auto update = [&tag](const char *name, const QString &value) {
            return QStringLiteral("UPDATE fes_analog SET %1 = '%2' WHERE TAG_NAME = '%3';").arg(QLatin1String(name), value, tag);
        };
        const auto stored = [this, &tag] {
            QStringList dot, unit, coeff;
            OrvDbDesign().getThreeColumnResult(QStringLiteral("SELECT DOT_NO, UNIT, DESCRIPTION FROM fes_analog WHERE TAG_NAME = '%1';").arg(tag),
                                               dot, unit, coeff);
            return dot + unit + coeff;
        };
        const QStringList before = stored();

        // Values that do not fit their column are refused before anything runs, the same on every database.
        QString error = mgr()->executeBatch({update("UNIT", QStringLiteral("kV")), update("DOT_NO", QStringLiteral("x"))});
        QVERIFY2(error.contains(QStringLiteral("“点号”(DOT_NO)不能保存值“x”：不是整数")) && error.contains(QStringLiteral("第2条")), qPrintable(error));
        QVERIFY(mgr()->executeBatch({update("UNIT", QStringLiteral("12345678901234567"))}).contains(QStringLiteral("最多 16 个字符")));
        QVERIFY(mgr()->executeBatch({update("COEFF", QStringLiteral("1e12"))}).contains(QStringLiteral("整数部分最多 10 位")));
        QVERIFY(mgr()->executeBatch({update("COEFF", QStringLiteral("1.23456"))}).contains(QStringLiteral("小数部分最多 4 位")));
        QVERIFY(mgr()->executeBatch({update("COEFF", QStringLiteral("1.25e-5"))}).contains(QStringLiteral("小数部分最多 4 位")));
        // Past the digits a double holds, which the servers would round away.
        QVERIFY(mgr()->executeBatch({update("COEFF", QStringLiteral("1234567890.12345e0"))}).contains(QStringLiteral("小数部分最多 4 位")));
        QVERIFY(mgr()->executeBatch({update("COEFF", QStringLiteral("1.0000000001E0"))}).contains(QStringLiteral("小数部分最多 4 位")));
        QVERIFY(mgr()->executeBatch({update("DOT_NO", QStringLiteral("99999999999"))}).contains(QStringLiteral("超出范围")));
        QVERIFY(runWorker({update("DOT_NO", QStringLiteral("1.5"))}).contains(QStringLiteral("不是整数")));
        const QString nul = QStringLiteral("k") + QChar(0) + QStringLiteral("V");
        QVERIFY(mgr()->executeWrites({SqlWrite::templateUpdate(QStringLiteral("fes_analog"), QStringLiteral("TAG_NAME"), tag,
                                                               QStringLiteral("UNIT"), nul)})
                    .error.contains(QStringLiteral("含有 NUL 字符")));
        const QString halfPair = QStringLiteral("k") + QChar(0xD83D) + QStringLiteral("V");
        QVERIFY(mgr()->executeWrites({SqlWrite::templateUpdate(QStringLiteral("fes_analog"), QStringLiteral("TAG_NAME"), tag,
                                                               QStringLiteral("UNIT"), halfPair)})
                    .error.contains(QStringLiteral("代理字符")));
        // Every shape a writer can produce meets the same value check.
        const QString guarded = QStringLiteral("UPDATE fes_analog SET LOCATION_ID = 'abc' WHERE TAG_NAME = '%1' AND LOCATION_ID = '1';").arg(tag);
        SqlWrite undoShape = SqlWrite::templateUpdate(QStringLiteral("fes_analog"), QStringLiteral("TAG_NAME"), tag,
                                                      QStringLiteral("LOCATION_ID"), QStringLiteral("abc"));
        undoShape.form = SqlWrite::Bound;
        undoShape.guards = {{QStringLiteral("LOCATION_ID"), QStringLiteral("1")}};
        const QStringList refusals = {
            mgr()->executeBatch({guarded}),
            runWorker({guarded}),
            mgr()->executeBatch({QStringLiteral("UPDATE fes_analog SET UNIT = 'kV', LOCATION_ID = 'abc' WHERE TAG_NAME = '%1';").arg(tag)}),
            mgr()->executeBatch({QStringLiteral("INSERT INTO fes_analog (TAG_NAME, LOCATION_ID) VALUES ('new', 'abc');")}),
            mgr()->executeWrites({SqlWrite::templateUpdate(QStringLiteral("fes_analog"), QStringLiteral("TAG_NAME"), tag,
                                                           QStringLiteral("LOCATION_ID"), QStringLiteral("abc"))}).error,
            mgr()->executeWrites({undoShape}).error,
        };
        for (const QString &refusal : refusals)
            QVERIFY2(refusal.contains(QStringLiteral("不是整数")), qPrintable(refusal));
        // A column the definitions do not describe cannot be checked, so it is not written.
        QVERIFY(mgr()->executeBatch({update("NO_SUCH_COLUMN", QStringLiteral("1"))}).contains(QStringLiteral("NO_SUCH_COLUMN")));
        // One text, one statement.
        error = mgr()->executeBatch({update("UNIT", QStringLiteral("kV")) + QStringLiteral(" DELETE FROM HMI_TYPE_INFO;")});
        QVERIFY2(error.contains(QStringLiteral("不是单条SQL语句")), qPrintable(error));
        QCOMPARE(column(QStringLiteral("SELECT COUNT(*) FROM HMI_TYPE_INFO;")), QStringList{"6"});
        QCOMPARE(stored(), before);

        // Trailing zeros and exponents that fit are numbers like any other.
        QCOMPARE(mgr()->executeBatch({update("COEFF", QStringLiteral("1.250000")), update("DEAD_BAND", QStringLiteral("2.5e-2")),
                                     update("OFFSET_VALUE", QStringLiteral("123456789012340e-5"))}),
                 QString());
        QCOMPARE(column(QStringLiteral("SELECT OFFSET_VALUE FROM fes_analog WHERE TAG_NAME = '%1';").arg(tag)).first().toDouble(), 1234567890.1234);

        // A value stored again unchanged still found its row.
        QCOMPARE(mgr()->executeBatch({update("UNIT", before.at(1))}), QString());

        // The tool's writes name one record: a key several rows hold changes none of them. A
        // caller's own statement may mean many.
        const QString device = column(QStringLiteral("SELECT DEV_TAG FROM fes_analog WHERE TAG_NAME = '%1';").arg(tag)).first();
        const QString units = QStringLiteral("SELECT COALESCE(UNIT, '') FROM fes_analog WHERE DEV_TAG = '%1' ORDER BY TAG_NAME;").arg(device);
        const QStringList unitsBefore = column(units);
        const QStringList tagsOfDevice = column(QString(units).replace(QStringLiteral("COALESCE(UNIT, '')"), QStringLiteral("TAG_NAME")));
        QVERIFY(unitsBefore.size() > 1);
        const SqlWrite byDevice = SqlWrite::templateUpdate(QStringLiteral("fes_analog"), QStringLiteral("DEV_TAG"), device,
                                                           QStringLiteral("UNIT"), QStringLiteral("kV"));
        error = mgr()->executeWrites({byDevice}).error;
        QVERIFY2(error.contains(QStringLiteral("应只改动 1 条")), qPrintable(error));
        QCOMPARE(column(units), unitsBefore);
        QCOMPARE(mgr()->executeBatch({byDevice.sql()}), QString());
        QCOMPARE(column(units), QStringList(QVector<QString>(unitsBefore.size(), QStringLiteral("kV")).toList()));
        QStringList restore;
        for (int i = 0; i < tagsOfDevice.size(); ++i)
            restore << QStringLiteral("UPDATE fes_analog SET UNIT = %1 WHERE TAG_NAME = '%2';")
                           .arg(unitsBefore.at(i).isEmpty() ? QStringLiteral("NULL") : "'" + unitsBefore.at(i) + "'", tagsOfDevice.at(i));
        QCOMPARE(mgr()->executeBatch(restore), QString());
        QCOMPARE(column(units), unitsBefore);

        // A read-only user writes nothing, through any path.
        mgr()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        QVERIFY(mgr()->executeBatch({update("UNIT", QStringLiteral("kV"))}).contains(QStringLiteral("没有修改权限")));
        QVERIFY(runWorker({update("UNIT", QStringLiteral("kV"))}).contains(QStringLiteral("没有修改权限")));
        mgr()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        QCOMPARE(stored(), before);
    }

    void editOfAVanishedRowFails_data() { addBackendRows(); }
    void editOfAVanishedRowFails()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("REPORT_TYPE_INFO.xml"), this);
        QVERIFY(model->load(true) && model->rowCount() >= 2);
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
        const QString key = model->getRowData(0).at(0);
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("改过")));
        QVERIFY(model->setData(model->index(1, desc), QStringLiteral("也改过")));
        // Another session deletes the first row meanwhile.
        QCOMPARE(runOnLink({QStringLiteral("DELETE FROM REPORT_TYPE_INFO WHERE %1 = '%2';").arg(model->getSqlName().at(0), key)}), QString());
        const QString error = model->saveChanges();
        QVERIFY2(error.contains(QStringLiteral("没有改动任何记录")), qPrintable(error));
        QVERIFY(model->hasPendingChanges());
        QCOMPARE(model->failedCell(), qMakePair(0, desc));
        QVERIFY(!column(QStringLiteral("SELECT REPORT_DESC FROM REPORT_TYPE_INFO;")).contains(QStringLiteral("也改过")));
        model->revertChanges();

        // Another session stored a value meanwhile: the save does not overwrite it unseen.
        QVERIFY(model->load(true));
        const QString other = model->getRowData(0).at(0);
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("我的")));
        QCOMPARE(runOnLink({QStringLiteral("UPDATE REPORT_TYPE_INFO SET REPORT_DESC = '别人的' WHERE %1 = '%2';")
                                .arg(model->getSqlName().at(0), other)}),
                 QString());
        QVERIFY(model->saveChanges().contains(QStringLiteral("没有改动任何记录")));
        QCOMPARE(column(QStringLiteral("SELECT REPORT_DESC FROM REPORT_TYPE_INFO WHERE %1 = '%2';").arg(model->getSqlName().at(0), other)),
                 QStringList{"别人的"});

        delete model;

        // NULL reads as an empty cell on every database, and an edit of it finds its row.
        model = mgr()->createOwnModel(QStringLiteral("FES_CHANNEL_PARA.xml"), this);
        QVERIFY(model->load(true));
        const QString channel = model->getRowData(0).at(0);
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_channel_para SET CHAN_NO = NULL, DESCRIPTION = NULL WHERE TAG_NAME = '%1';").arg(channel)}),
                 QString());
        QVERIFY(model->load(true));
        const int number = model->findCol(QStringLiteral("CHAN_NO"));
        const int text = model->findCol(QStringLiteral("DESCRIPTION"));
        QCOMPARE(model->getRowData(0).at(number), QString());
        QCOMPARE(model->getRowData(0).at(text), QString());
        QVERIFY(model->setData(model->index(0, number), QStringLiteral("7")));
        QVERIFY(model->setData(model->index(0, text), QStringLiteral("补上")));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(column(QStringLiteral("SELECT CHAN_NO FROM fes_channel_para WHERE DESCRIPTION = '补上';")), QStringList{"7"});
        delete model;
    }

    // An edit taken back (Ctrl+Z gives the cell what it showed before) is no longer an edit, also
    // in an empty number cell, whose NULL the column's check of a typed value would refuse.
    void editTakenBackIsNoEdit_data() { addBackendRows(); }
    void editTakenBackIsNoEdit()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("FES_ANALOG.xml"), this);
        QVERIFY(model->load(true));
        const int dot = model->findCol(QStringLiteral("DOT_NO"));
        const int unit = model->findCol(QStringLiteral("UNIT"));
        const QString tag = model->getRowData(0).at(model->findCol(QStringLiteral("TAG_NAME")));
        const QString restore = QStringLiteral("UPDATE fes_analog SET DOT_NO = %1, UNIT = %2 WHERE TAG_NAME = '%3';")
                                    .arg(model->getRowData(0).at(dot).isNull() ? QStringLiteral("NULL") : model->getRowData(0).at(dot),
                                         model->getRowData(0).at(unit).isNull() ? QStringLiteral("NULL") : "'" + model->getRowData(0).at(unit) + "'", tag);
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_analog SET DOT_NO = NULL, UNIT = NULL WHERE TAG_NAME = '%1';").arg(tag)}), QString());
        QVERIFY(model->load(true));
        QCOMPARE(model->getRowData(0).at(0), tag);
        QSignalSpy refused(model, &OrvTableModel::editRefused);
        for (int col : {dot, unit}) {
            const QModelIndex cell = model->index(0, col);
            const QVariant before = cell.data(Qt::EditRole);
            QVERIFY(!before.isValid());
            QVERIFY(model->setData(cell, QStringLiteral("7")));
            QVERIFY(model->hasPendingChanges());
            QVERIFY2(model->setData(cell, before), qPrintable(refused.value(0).value(0).toString()));
            QVERIFY(!model->hasPendingChanges());
            QVERIFY(!cell.data().isValid());
        }
        // A value the column refuses is still refused as an edit.
        QVERIFY(!model->setData(model->index(0, dot), QStringLiteral("x")));
        QCOMPARE(refused.count(), 1);
        // A number cell emptied is saved as NULL, as an empty cell of an imported file is.
        const QString second = model->getRowData(1).at(0);
        const QString secondDot = model->getRowData(1).at(dot);
        QVERIFY(!secondDot.isEmpty());
        QVERIFY(model->setData(model->index(1, dot), QString()));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(column(QStringLiteral("SELECT COUNT(*) FROM fes_analog WHERE TAG_NAME = '%1' AND DOT_NO IS NULL AND UNIT IS NULL;").arg(tag)),
                 QStringList{"1"});
        QCOMPARE(column(QStringLiteral("SELECT COUNT(*) FROM fes_analog WHERE TAG_NAME = '%1' AND DOT_NO IS NULL;").arg(second)),
                 QStringList{"1"});
        delete model;
        QCOMPARE(runOnLink({restore, QStringLiteral("UPDATE fes_analog SET DOT_NO = %1 WHERE TAG_NAME = '%2';").arg(secondDot, second)}),
                 QString());
    }

    // A saved edit of a column a view's condition names takes the row out of the view: the rows
    // are read and counted anew, no empty row stands in its place.
    void saveMovingARowOutOfAView_data() { addBackendRows(); }
    void saveMovingARowOutOfAView()
    {
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        const QString device = column(QStringLiteral("SELECT DEV_TAG FROM fes_analog ORDER BY TAG_NAME;")).first();
        OrvTableModel *model = mgr()->createOwnModel(orv_view::make(QStringLiteral("FES_ANALOG.xml"), QStringLiteral("DEV_TAG = '%1'").arg(device)), this);
        QVERIFY(model->load(true));
        const int rows = model->rowCount();
        QVERIFY(rows > 1);
        const int dev = model->findCol(QStringLiteral("DEV_TAG"));
        const QString tag = model->getRowData(0).at(model->findCol(QStringLiteral("TAG_NAME")));
        QVERIFY(model->setData(model->index(0, dev), QStringLiteral("elsewhere")));
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(model->rowCount(), rows - 1);
        for (int r = 0; r < model->rowCount(); ++r) {
            QCOMPARE(model->getRowData(r).value(dev), device);
            QVERIFY(model->getRowData(r).at(0) != tag);
        }
        delete model;
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_analog SET DEV_TAG = '%1' WHERE TAG_NAME = '%2';").arg(device, tag)}), QString());
    }

    void lockWaitEndsInBoundedTime_data()
    {
        QTest::addColumn<Backend>("backend");
        if (!TestServers::available())
            return;
        QTest::newRow("mariadb") << Backend::MariaDB;
        QTest::newRow("postgresql") << Backend::PostgreSQL;
    }
    void lockWaitEndsInBoundedTime()
    {
        QFETCH(Backend, backend);
        DbConnection::setLockWaitSeconds(2);
        QVERIFY(link(backend));
        QCOMPARE(DbConnection::open(m_links.value(int(backend)), QStringLiteral("locker")), QString());
        {
            QSqlDatabase locker = QSqlDatabase::database(QStringLiteral("locker"));
            QVERIFY(locker.transaction());
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_FILE = 'held' WHERE HMI_ID = 5")));
            QElapsedTimer timer;
            timer.start();
            const QString error = mgr()->executeBatch({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_FILE = 'mine' WHERE HMI_ID = 5;")});
            QVERIFY2(error.contains(QStringLiteral("lock"), Qt::CaseInsensitive), qPrintable(error));
            QVERIFY(timer.elapsed() < 10000);
            locker.rollback();
        }
        DbConnection::close(QStringLiteral("locker"));
        DbConnection::setLockWaitSeconds(30);
    }

    void failedSaveKeepsTheGoodEdits()
    {
        // Ten edits, one of them a value the server refuses: nothing is stored, the nine good
        // edits stay, and the bad one is named; mended, the save stores all ten.
        QVERIFY(link(Backend::SQLite));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("FES_ANALOG.xml"), this);
        QVERIFY(model->load(true) && model->rowCount() >= 10);
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        for (int row = 0; row < 10; ++row)
            QVERIFY(model->setData(model->index(row, desc), QStringLiteral("编辑%1").arg(row)));
        // Another session makes row 6 unwritable by the server: a trigger refuses it.
        QCOMPARE(runOnLink({QStringLiteral("CREATE TRIGGER refuse_six BEFORE UPDATE ON fes_analog WHEN old.TAG_NAME = '%1' "
                                           "BEGIN SELECT RAISE(ABORT, 'refused by the server'); END;")
                                .arg(model->getRowData(6).at(tag))}),
                 QString());
        const QString error = model->saveChanges();
        QVERIFY2(error.contains(QStringLiteral("refused by the server")), qPrintable(error));
        QCOMPARE(model->failedCell(), qMakePair(6, desc));
        for (int row = 0; row < 10; ++row)
            QVERIFY(model->isEdited(row, desc));
        QVERIFY(!column(QStringLiteral("SELECT DESCRIPTION FROM fes_analog;")).contains(QStringLiteral("编辑0")));

        QCOMPARE(runOnLink({QStringLiteral("DROP TRIGGER refuse_six")}), QString());
        QVERIFY(model->setData(model->index(6, desc), QStringLiteral("编辑6改")));
        QCOMPARE(model->failedCell(), qMakePair(-1, -1));
        QCOMPARE(model->saveChanges(), QString());
        QVERIFY(column(QStringLiteral("SELECT DESCRIPTION FROM fes_analog;")).contains(QStringLiteral("编辑9")));
    }

    void serverLists()
    {
        DbLinkParams p;
        p.port = 5432;
        p.host = QStringLiteral(" db1:15432, db2 ,[::1]:6000,::1,");
        QStringList seen;
        QStringList named; // as messages and the status line name them
        for (const DbServer &server : p.servers()) {
            seen << QStringLiteral("%1|%2").arg(server.host).arg(server.port);
            named << DbConnection::serverAddress(server.host, QString::number(server.port));
        }
        QCOMPARE(seen, (QStringList{"db1|15432", "db2|5432", "::1|6000", "::1|5432"}));
        QCOMPARE(named, (QStringList{"db1:15432", "db2:5432", "[::1]:6000", "[::1]:5432"}));
        // The status line and the audit trail name each server once, with its own port.
        p.type = orv_dbms::DB_MYSQL;
        p.database = QStringLiteral("velm");
        p.port = 0;
        p.host = QStringLiteral("db1:3307");
        QCOMPARE(p.describe(), QStringLiteral("velm@db1:3307 (MySQL)"));
        p.host = QStringLiteral("::1,db2");
        QCOMPARE(p.describe(), QStringLiteral("velm@[::1]:3306, db2:3306 (MySQL)"));
    }

    void pagedModel_data() { addBackendRows(); }
    void pagedModel()
    {
        // A table of several windows: read as asked for, sorted and filtered by the database,
        // edits kept by key through it all.
        QFETCH(Backend, backend);
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(backend, QStringLiteral("tabmodel_pages"), m_root, DemoOptions::forPointCount(4000), &p), QString());
        QCOMPARE(openLink(p), QString());
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY TAG_NAME"));
        QVERIFY(tags.size() > 3 * OrvTableModel::WindowRows);
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("ANALOG.xml"), this);
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const int seq = model->findCol(QStringLiteral("SEQ_NO"));

        // Opened for a view: one window now, the count off the GUI thread; until then MariaDB's
        // own estimate (its statistics gathered first, as a server does by itself in time).
        if (backend == Backend::MariaDB)
            QVERIFY(QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("ANALYZE TABLE analog")));
        QVERIFY(model->open());
        QCOMPARE(model->rowCount(), int(OrvTableModel::WindowRows));
        QVERIFY(model->canFetchMore(QModelIndex()));
        QCOMPARE(model->totalRows(), -1);
        if (backend == Backend::MariaDB)
            QVERIFY2(qAbs(model->estimatedRows() - tags.size()) < tags.size() / 2, qPrintable(QString::number(model->estimatedRows())));
        else
            QCOMPARE(model->estimatedRows(), -1);
        // A view's scroll to the end, before the count came, reads on off the GUI thread too.
        model->fetchMore(QModelIndex());
        QCOMPARE(model->rowCount(), int(OrvTableModel::WindowRows));
        QTRY_VERIFY(model->rowCount() > OrvTableModel::WindowRows);
        QTRY_COMPARE(model->matchingRows(), tags.size());
        QCOMPARE(model->rowCount(), tags.size());
        QCOMPARE(model->totalRows(), tags.size());
        QCOMPARE(model->estimatedRows(), -1);
        for (int row : {0, 255, 256, 700, tags.size() - 1})
            QCOMPARE(model->getRowData(row).at(tag), tags.at(row));

        // A view's jump to a window not held reads it off the GUI thread and shows it when read;
        // after a write elsewhere the rows of before stand until they are read again.
        const int far = tags.size() - 3 * OrvTableModel::WindowRows / 2;
        QVERIFY(model->awaitsRead(far));
        QVERIFY(!model->index(far, tag).data().isValid());
        QCOMPARE(model->index(far, tag).data(Qt::EditRole).toString(), tags.at(far)); // read at once
        const int farther = far - 2 * OrvTableModel::WindowRows;
        QVERIFY(!model->index(farther, tag).data().isValid());
        QCOMPARE(shownData(model->index(farther, tag)).toString(), tags.at(farther));
        QVERIFY(!model->awaitsRead(farther));
        QCOMPARE(runOnLink({QStringLiteral("UPDATE analog SET DESCRIPTION = '写后' WHERE TAG_NAME = '%1'").arg(tags.at(farther))}), QString());
        const QString before = model->index(farther, desc).data().toString();
        model->rereadInPlace();
        QCOMPARE(model->index(farther, desc).data().toString(), before);
        // A second write before they came leaves them standing too.
        model->rereadInPlace();
        QCOMPARE(model->index(farther, desc).data().toString(), before);
        QVERIFY(model->awaitsRead(farther));
        QCOMPARE(shownData(model->index(farther, desc)).toString(), QStringLiteral("写后"));
        // An unsaved edit keeps its mark while its row awaits a new read, and the mark reads nothing.
        OrvEditMarksProxy marks;
        marks.setSourceModel(model);
        QVERIFY(model->setData(model->index(farther, desc), QStringLiteral("未保存")));
        model->rereadInPlace();
        QVERIFY(model->awaitsRead(farther));
        QVERIFY(marks.index(farther, desc).data(Qt::BackgroundRole).isValid());
        QCOMPARE(marks.index(farther, desc).data(Qt::ToolTipRole).toString(), QStringLiteral("数据库中的值: 写后"));
        QVERIFY(!marks.index(farther, tag).data(Qt::BackgroundRole).isValid());
        QVERIFY(model->awaitsRead(farther));
        // A cell a save failed on stays marked so.
        const QString failedTip = QStringLiteral("保存失败的单元格\n数据库中的值: 写后");
        QVERIFY(!model->saveChanges([](const QList<SqlWrite> &) {
                           DbConnection::BatchResult r;
                           r.error = QStringLiteral("refused");
                           r.failedIndex = 0;
                           return r;
                       }).isEmpty());
        QCOMPARE(marks.index(farther, desc).data(Qt::ToolTipRole).toString(), failedTip);
        model->rereadInPlace();
        QVERIFY(model->awaitsRead(farther));
        QCOMPARE(marks.index(farther, desc).data(Qt::ToolTipRole).toString(), failedTip);
        QVERIFY(model->setData(model->index(farther, desc), QStringLiteral("写后")));
        QVERIFY(!marks.index(farther, desc).data(Qt::BackgroundRole).isValid());

        // A row read late is edited; the edit stays through another order and a filter.
        const int late = tags.size() - 2;
        QVERIFY(model->setData(model->index(late, desc), QStringLiteral("后来读到的行")));
        model->sort(seq, Qt::DescendingOrder);
        // Read off the GUI thread: the rows of before stay until the new ones come.
        QVERIFY(model->isReading());
        QCOMPARE(model->getRowData(0).at(tag), tags.first());
        QTRY_VERIFY(!model->isReading());
        QTRY_COMPARE(model->matchingRows(), tags.size());
        QCOMPARE(model->index(0, seq).data().toInt(), column(QStringLiteral("SELECT MAX(SEQ_NO) FROM analog")).first().toInt());
        // Numbers in the order of numbers, not of texts.
        for (int row = 1; row < 2 * OrvTableModel::WindowRows; ++row)
            QVERIFY(shownData(model->index(row - 1, seq)).toInt() >= shownData(model->index(row, seq)).toInt());
        const QString wanted = tags.at(late).mid(tags.at(late).indexOf(QLatin1Char('.'))).toLower();
        // Keystrokes faster than the reads: only the last filter's rows come.
        model->setFilter(QStringLiteral("a"), -1);
        model->setFilter(QStringLiteral("没有"), -1);
        model->setFilter(wanted, tag);
        QTRY_VERIFY(!model->isReading());
        QCOMPARE(model->filterText(), wanted);
        QTRY_VERIFY(model->matchingRows() >= 1);
        QCOMPARE(model->matchingRows(), tags.filter(wanted, Qt::CaseInsensitive).size());
        int found = -1;
        for (int row = 0; row < model->rowCount(); ++row)
            found = model->getRowData(row).at(tag) == tags.at(late) ? row : found;
        QVERIFY(found >= 0);
        QVERIFY(model->isEdited(found, desc));
        QCOMPARE(shownData(model->index(found, desc)).toString(), QStringLiteral("后来读到的行"));
        model->setFilter(QStringLiteral("没有这样的文字"), -1);
        QTRY_VERIFY(!model->isReading());
        QCOMPARE(model->matchingRows(), 0);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(model->totalRows(), tags.size());

        // Saved by its key, whatever is shown.
        QCOMPARE(model->saveChanges(), QString());
        QCOMPARE(column(QStringLiteral("SELECT DESCRIPTION FROM analog WHERE TAG_NAME = '%1'").arg(tags.at(late))),
                 QStringList{"后来读到的行"});
        // The library's own readers count at once and find rows in the database.
        model->setFilter(QString(), -1);
        QVERIFY(model->load(true));
        QCOMPARE(model->rowCount(), tags.size());
        QCOMPARE(OrvDbDesign().getFilterDatas(model, {{QStringLiteral("TAG_NAME"), tags.at(700)}}).value(tag), tags.at(700));
        QVERIFY(OrvDbDesign().getFilterDatas(model, {{QStringLiteral("TAG_NAME"), QStringLiteral("nothing")}}).isEmpty());

        // Windows far down are read from the end: the same rows in the same places, the last
        // window short, and NULLs where each database sorts them.
        QCOMPARE(runOnLink({QStringLiteral("UPDATE analog SET SEQ_NO = NULL WHERE TAG_NAME IN ('%1','%2','%3')")
                                .arg(tags.at(1), tags.at(tags.size() / 2 + 7), tags.last())}),
                 QString());
        QVERIFY(tags.size() % OrvTableModel::WindowRows != 0);
        const QStringList bySeq = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY SEQ_NO, TAG_NAME"));
        const QStringList bySeqDown = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY SEQ_NO DESC, TAG_NAME"));
        QStringList byTagDown = tags;
        std::reverse(byTagDown.begin(), byTagDown.end());
        const QVector<std::tuple<int, Qt::SortOrder, QStringList>> orders{
            {seq, Qt::AscendingOrder, bySeq}, {seq, Qt::DescendingOrder, bySeqDown}, {tag, Qt::DescendingOrder, byTagDown}};
        for (const auto &[sortColumn, order, expected] : orders) {
            model->sort(sortColumn, order);
            QStringList shown;
            // From the end backwards, so that no window follows on from the one before by its key.
            for (int row = model->rowCount() - 1; row >= 0; --row)
                shown.prepend(model->getRowData(row).value(tag));
            QCOMPARE(shown, expected);
        }
    }

    void filterMatchesTheTextOfOneCell_data() { addBackendRows(); }
    void filterMatchesTheTextOfOneCell()
    {
        // Letter case ignored the database's way (PostgreSQL folds a text of ASCII by a faster
        // way, which must find the same rows), a text taken literally, and never a match across
        // two cells or with another character.
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY TAG_NAME")).mid(3, 5);
        const QString inTags = QStringLiteral(" WHERE TAG_NAME IN ('%1') ORDER BY TAG_NAME").arg(tags.join(QLatin1String("','")));
        const QStringList kept = column(QStringLiteral("SELECT DESCRIPTION FROM analog") + inTags);
        const QString nextCell = column(QStringLiteral("SELECT DEVICE FROM analog") + inTags).value(2).left(3);
        const QStringList texts{QStringLiteral("风机ÄRGER-Xyzzy泵"), QStringLiteral("Qz泵🔥"), QStringLiteral("Qzend"),
                                QStringLiteral("Qz\\a!b'c\"d%_e "), QStringLiteral("Wq%1泵 Vq%2泵").arg(QChar(0x212A), QChar(0x130))};
        const auto describe = [&](const QStringList &descriptions) {
            QStringList sqls;
            for (int i = 0; i < tags.size(); ++i)
                sqls << QStringLiteral("UPDATE analog SET DESCRIPTION = '%1' WHERE TAG_NAME = '%2'").arg(orv_sql::escaped(descriptions.at(i)), tags.at(i));
            return runOnLink(sqls);
        };
        QCOMPARE(describe(texts), QString());
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("ANALOG.xml"), this);
        QVERIFY(model->open());
        const auto matches = [model](const QString &text, int col) {
            model->setFilter(text, col);
            const bool read = QTest::qWaitFor([model] { return !model->isReading() && model->matchingRows() >= 0; }, 10000);
            return read ? model->matchingRows() : -1;
        };
        QList<QPair<QString, int>> cases{{QStringLiteral("ger-xYZZY"), 1}, {QStringLiteral("ger-xyzzy泵"), 1},
                                         {QStringLiteral("ger-xyzzy泵x"), 0}, {QStringLiteral("qz泵🔥"), 1},
                                         {QStringLiteral("泵😀"), 0}, {QStringLiteral("z\\A!B'C\"D%_E "), 1},
                                         {QStringLiteral("d%_e  "), 0}, {QStringLiteral("!!"), 0},
                                         {QString(QChar(0x1f)), 0}, {QStringLiteral("qzend") + QChar(0x1f) + nextCell, 0}};
        if (backend != Backend::SQLite)
            cases << qMakePair(QStringLiteral("机ärger-x"), 1);
        // Two characters fold to ASCII letters where the database folds beyond ASCII.
        if (backend == Backend::PostgreSQL)
            cases << qMakePair(QStringLiteral("wqk"), 1) << qMakePair(QStringLiteral("VQI"), 1);
        QStringList wrong;
        for (int col : {-1, model->findCol(QStringLiteral("DESCRIPTION"))})
            for (const auto &c : qAsConst(cases))
                if (matches(c.first, col) != c.second)
                    wrong << QStringLiteral("%1 in column %2: %3 rows").arg(QString(c.first).replace(QChar(0x1f), QLatin1String("<1f>"))).arg(col).arg(model->matchingRows());
        QCOMPARE(describe(kept), QString());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1String("; "))));
    }

    void numberFilterFindsTheShownNumber_data() { addBackendRows(); }
    void numberFilterFindsTheShownNumber()
    {
        // A decimal column is searched as it is shown, not with the zeros of its scale.
        QFETCH(Backend, backend);
        QVERIFY(link(backend));
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME")).mid(0, 3);
        const QStringList values{QStringLiteral("1.5"), QStringLiteral("-1"), QStringLiteral("2")};
        QStringList sqls{QStringLiteral("UPDATE fes_analog SET COEFF = NULL")};
        for (int i = 0; i < tags.size(); ++i)
            sqls << QStringLiteral("UPDATE fes_analog SET COEFF = %1 WHERE TAG_NAME = '%2'").arg(values.at(i), tags.at(i));
        QCOMPARE(runOnLink(sqls), QString());
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("FES_ANALOG.xml"), this);
        QVERIFY(model->open());
        const int coeff = model->findCol(QStringLiteral("COEFF"));
        QStringList wrong;
        for (const auto &c : QList<QPair<QString, int>>{{"1.5", 1}, {"-1", 1}, {"2", 1}, {"5000", 0}, {"2.0", 0}, {".00", 0}}) {
            for (bool columnText : {false, true}) {
                if (columnText)
                    model->setColumnTexts({{coeff, c.first}});
                else
                    model->setFilter(c.first, coeff);
                QVERIFY(QTest::qWaitFor([model] { return !model->isReading() && model->matchingRows() >= 0; }, 10000));
                if (model->matchingRows() != c.second)
                    wrong << QStringLiteral("\"%1\" finds %2 rows").arg(c.first).arg(model->matchingRows());
                model->setColumnTexts({});
                model->setFilter(QString(), -1);
            }
        }
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_analog SET COEFF = NULL")}), QString());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1String("; "))));
    }

    void writesAreAudited()
    {
        QVERIFY(link(Backend::SQLite));
        QFile::remove(m_root.file(QStringLiteral("log/audit.log")));
        orv_public::StartLogSystem("MODEL", "tst_tabmodel");
        mgr()->setLoginUser(QStringLiteral("auditor"));
        OrvTableModel *model = mgr()->createOwnModel(QStringLiteral("HMI_TYPE_INFO.xml"), this);
        QVERIFY(model->load(true));
        const int file = model->findCol(QStringLiteral("HMI_FILE"));
        const QString old = model->getRowData(5).at(file);
        QVERIFY(model->setData(model->index(5, file), QStringLiteral("新\"文件\"\n.pic")));
        QCOMPARE(model->saveChanges(), QString());
        QVERIFY(!runWorker({QStringLiteral("UPDATE HMI_TYPE_INFO SET HMI_FILE = 'a' WHERE HMI_ID = '1';"),
                            QStringLiteral("UPDATE HMI_TYPE_INFO SET NO_COLUMN = 1 WHERE HMI_ID = 2;")}).isEmpty());
        // A restoring write (the undo's shape: NULL back, guarded by the value it replaces).
        SqlWrite restore;
        restore.table = QStringLiteral("HMI_TYPE_INFO");
        restore.key = {{QStringLiteral("HMI_ID"), QStringLiteral("2")}};
        restore.cells = {{QStringLiteral("HMI_DESC"), QVariant(), model->getRowData(1).at(model->findCol(QStringLiteral("HMI_DESC"))), true}};
        restore.guards = {{QStringLiteral("HMI_DESC"), restore.cells.first().old}};
        QCOMPARE(mgr()->executeWrites({restore}).error, QString());
        orv_public::StopLogSystem();
        mgr()->setLoginUser(QString());
        delete model;

        QFile log(m_root.file(QStringLiteral("log/audit.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QList<QJsonObject> records;
        for (const QByteArray &line : log.readAll().split('\n'))
            if (!line.isEmpty())
                records.append(QJsonDocument::fromJson(line).object());
        QCOMPARE(records.size(), 4);
        const QJsonObject &saved = records.at(0);
        QCOMPARE(saved.value(QStringLiteral("outcome")).toString(), QStringLiteral("committed"));
        QCOMPARE(saved.value(QStringLiteral("account")).toString(), QStringLiteral("auditor"));
        QCOMPARE(saved.value(QStringLiteral("table")).toString(), QStringLiteral("HMI_TYPE_INFO"));
        QCOMPARE(saved.value(QStringLiteral("key_column")).toString(), QStringLiteral("HMI_ID"));
        QCOMPARE(saved.value(QStringLiteral("column")).toString(), QStringLiteral("HMI_FILE"));
        QCOMPARE(saved.value(QStringLiteral("old")).toString(), old);
        QCOMPARE(saved.value(QStringLiteral("new")).toString(), QStringLiteral("新\"文件\"\n.pic"));
        QVERIFY(saved.value(QStringLiteral("link")).toString().contains(QStringLiteral("tabmodel_test.sqlite")));
        // The worker's batch was refused: both of its statements are recorded so, never as applied.
        for (int i : {1, 2}) {
            QCOMPARE(records.at(i).value(QStringLiteral("outcome")).toString(), QStringLiteral("refused"));
            QVERIFY(records.at(i).value(QStringLiteral("reason")).toString().contains(QStringLiteral("NO_COLUMN")));
        }
        QCOMPARE(records.at(1).value(QStringLiteral("key")).toString(), QStringLiteral("1"));
        QVERIFY(records.at(1).value(QStringLiteral("old")).isNull());
        QCOMPARE(records.at(1).value(QStringLiteral("batch")), records.at(2).value(QStringLiteral("batch")));
        const QJsonObject &restored = records.at(3);
        QCOMPARE(restored.value(QStringLiteral("key")).toString(), QStringLiteral("2"));
        QCOMPARE(restored.value(QStringLiteral("column")).toString(), QStringLiteral("HMI_DESC"));
        QCOMPARE(restored.value(QStringLiteral("old")).toString(), restore.cells.first().old.toString());
        QVERIFY(restored.value(QStringLiteral("new")).isNull());
    }

    // A batch of many rows of one shape runs whole or not at all, and every row of it is audited,
    // however many chunks its records take.
    void bigBatchesRunWholeAndAreAuditedWhole()
    {
        QVERIFY(link(Backend::SQLite));
        QFile::remove(m_root.file(QStringLiteral("log/audit.log")));
        orv_public::StartLogSystem("MODEL", "tst_tabmodel");
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY TAG_NAME"));
        QVERIFY(!tags.isEmpty());
        // Enough rounds over the rows for the records to fill three chunks.
        const int rounds = 3 * OrvAuditLog::ChunkBytes / (tags.size() * 150) + 1;
        const auto describe = [](const QString &tag, int round) {
            return QStringLiteral("%1 第%2轮 'q' \\ ").arg(tag).arg(round) + QString(40, QLatin1Char('x'));
        };
        const auto batch = [&tags, &describe](int rounds, const QString &lost) {
            QList<SqlWrite> writes;
            for (int round = 0; round < rounds; ++round)
                for (const QString &tag : tags) {
                    SqlWrite w;
                    w.table = QStringLiteral("analog");
                    w.key = {{QStringLiteral("TAG_NAME"), tag == tags.at(tags.size() / 2) && round == rounds - 1 ? lost : tag}};
                    w.cells = {{QStringLiteral("DESCRIPTION"), describe(tag, round), QVariant(), false}};
                    writes << w;
                }
            return writes;
        };
        const QList<SqlWrite> applied = batch(rounds, tags.at(tags.size() / 2));
        QCOMPARE(mgr()->executeWrites(applied).error, QString());
        const QString stored = QStringLiteral("SELECT DESCRIPTION FROM analog WHERE TAG_NAME = '%1'");
        for (const QString &tag : {tags.first(), tags.at(tags.size() / 2), tags.last()})
            QCOMPARE(column(stored.arg(tag)), QStringList{describe(tag, rounds - 1)});
        // A row gone half way through: nothing of the batch stays.
        const QList<SqlWrite> lost = batch(2, QStringLiteral("NO.SUCH.TAG"));
        QVERIFY(!mgr()->executeWrites(lost).error.isEmpty());
        QCOMPARE(column(stored.arg(tags.first())), QStringList{describe(tags.first(), rounds - 1)});
        orv_public::StopLogSystem();

        QFile log(m_root.file(QStringLiteral("log/audit.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QMap<QString, int> outcomes;
        QSet<QString> batches;
        QStringList keys;
        for (const QByteArray &line : log.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            QVERIFY2(!record.isEmpty(), line.left(200).constData());
            ++outcomes[record.value(QStringLiteral("outcome")).toString()];
            batches.insert(record.value(QStringLiteral("batch")).toString());
            if (keys.size() < tags.size())
                keys << record.value(QStringLiteral("key")).toString();
            if (keys.size() == 1)
                QCOMPARE(record.value(QStringLiteral("new")).toString(), describe(tags.first(), 0));
        }
        QCOMPARE(outcomes.value(QStringLiteral("committed")), applied.size());
        QCOMPARE(outcomes.value(QStringLiteral("rolled back")), lost.size());
        QCOMPARE(batches.size(), 2);
        QCOMPARE(keys, tags);
    }

    void sqliteFilesKeepTheirJournal()
    {
        // A database the tool did not make is opened as it is: not switched to WAL, an empty file not rewritten.
        const QString path = m_root.file(QStringLiteral("data/plain.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE SYS_MODEL_DOMAIN_INFO (DOMAIN_ID int)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("plain"));
        DbLinkParams p;
        p.type = orv_dbms::DB_SQLITE;
        p.database = path;
        QCOMPARE(openLink(p), QString());
        QCOMPARE(column(QStringLiteral("PRAGMA journal_mode;")), QStringList{"delete"});
        const QString empty = m_root.file(QStringLiteral("data/empty.sqlite"));
        m_root.writeFile(QStringLiteral("data/empty.sqlite"), QByteArray());
        p.database = empty;
        QCOMPARE(openLink(p), QString());
        QSqlQuery q;
        QVERIFY(!mgr()->selectOnly(QStringLiteral("SELECT * FROM SYS_MODEL_DOMAIN_INFO;"), q));
        mgr()->onSysQuit();
        QCOMPARE(QFileInfo(empty).size(), qint64(0));
    }

    void linkFailures()
    {
        QElapsedTimer timer;
        timer.start();
        QString error = mgr()->initDBLink(DataBaseInterface::LINK_DIRECT, QStringLiteral("u"), QStringLiteral("p"),
                                          QStringLiteral("127.0.0.1"), 1, QStringLiteral("velm4100"), orv_dbms::DB_MYSQL);
        QVERIFY2(error.startsWith(QStringLiteral("无法连接到数据库服务器 127.0.0.1:1（")) && error.contains(QStringLiteral("\n驱动信息：")),
                 qPrintable(error));
        QVERIFY(timer.elapsed() < (DbConnection::ConnectTimeoutSeconds + 5) * 1000);
        QVERIFY(!mgr()->isLinked());

        error = mgr()->initDBLink(DataBaseInterface::LINK_DIRECT, QStringLiteral("u"), QStringLiteral("p"),
                                  QStringLiteral("127.0.0.1"), 1521, QStringLiteral("orcl"), orv_dbms::DB_ORACLE);
        QVERIFY2(error.contains(QStringLiteral("QOCI")), qPrintable(error));

        if (TestServers::available()) {
            DbLinkParams p = m_links.value(int(Backend::MariaDB));
            error = mgr()->initDBLink(DataBaseInterface::LINK_DIRECT, p.user, QStringLiteral("wrong"), p.host, p.port,
                                      p.database, p.type);
            QVERIFY2(error.contains(QStringLiteral("拒绝了用户 %1 的登录").arg(p.user)) && error.contains(QStringLiteral("\n驱动信息："))
                         && error.contains(QStringLiteral("Access denied")),
                     qPrintable(error));
            p = m_links.value(int(Backend::PostgreSQL));
            error = mgr()->initDBLink(DataBaseInterface::LINK_DIRECT, p.user, QStringLiteral("wrong"), p.host, p.port,
                                      p.database, orv_dbms::DB_KINGBASE);
            QVERIFY2(error.contains(QStringLiteral("用户名或密码错误")) && error.contains(QStringLiteral("password"))
                         && !error.contains(QLatin1Char('\t')),
                     qPrintable(error));
        }

        // The platform configuration defaults to the embedded demo database.
        error = mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM);
        QVERIFY2(error.contains(m_root.file(QStringLiteral("data/demo.sqlite"))), qPrintable(error));
        QVERIFY(link(Backend::SQLite));
        QVERIFY(mgr()->isLinked());
        QVERIFY(mgr()->getDbInfo().contains(QStringLiteral("tabmodel_test.sqlite")));
        mgr()->onSysQuit();
        QVERIFY(!mgr()->isLinked());
        QSqlQuery q;
        QVERIFY(!mgr()->selectOnly(QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;"), q));

        m_root.writeFile(QStringLiteral("etc/database.ini"),
                         "[database]\ntype=SQLite\nname=data/tabmodel_test.sqlite\n");
        QCOMPARE(mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM), QString());
        mgr()->setExtraDbInfo(QStringLiteral("账号:abc "));
        QVERIFY(mgr()->getDbInfo().startsWith(QStringLiteral("账号:abc 数据库:")));
    }

    void inputDialogs()
    {
        QString format = QStringLiteral("AI_%1");
        OrvInputDlg remembered(format, 5, nullptr);
        QCOMPARE(remembered.getText(), format);
        QCOMPARE(remembered.getInt(), 5);
        OrvInputDlg fresh(nullptr);
        QCOMPARE(fresh.getText(), QString());
        QCOMPARE(fresh.getInt(), 0);
        OrvReplaceDlg replace(nullptr);
        replace.setFind(QStringLiteral("A"));
        replace.setReplace(QStringLiteral("B'"));
        QCOMPARE(replace.getFind(), QStringLiteral("A"));
        QCOMPARE(replace.getReplace(), QStringLiteral("B'"));
    }

    void columnKindsOfShippedDefinitions()
    {
        // Every shipped column says the same in both its types, and its kind follows them: numeric
        // columns show and sort as numbers and refuse text; text columns keep their length.
        QStringList errors;
        const QList<TableDefinition> defs = TableDefinition::readDirectory(InstallRoot::tablesDir(), &errors);
        QVERIFY(errors.isEmpty() && defs.size() > 30);
        for (const TableDefinition &def : defs) {
            for (const ColMgrData &c : def.columns) {
                const QString where = def.fileName + QLatin1Char(' ') + c.sqlName;
                QString disagreement;
                const ColumnKind kind = ColumnKind::of(c.sqlType, c.valueType, &disagreement);
                QVERIFY2(disagreement.isEmpty(), qPrintable(where + disagreement));
                QCOMPARE(c.kind.type(), kind.type());
                QCOMPARE(kind.isInteger(), c.valueType == QLatin1String("Int"));
                QCOMPARE(kind.isNumeric(), c.valueType != QLatin1String("String"));
                QCOMPARE(kind.refusal(QStringLiteral("abc")).isEmpty(), !kind.isNumeric());
                QCOMPARE(kind.displayValue(QStringLiteral("12")).userType() == QMetaType::QString, !kind.isNumeric());
                if (kind.type() == ColumnKind::Text)
                    QVERIFY2(kind.length() > 0, qPrintable(where));
            }
        }
    }

    void definitionNamingAColumnTwiceIsRefused()
    {
        // The second TAG_NAME would be a column of its own in the models, while every write to
        // it changes the key.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("TWICE.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<tableDefinition name=\"twice\">\n"
                   "  <column name=\"TAG_NAME\" sqlType=\"varchar(32)\" primaryKey=\"true\" desc=\"key\"/>\n"
                   "  <column name=\"tag_name\" sqlType=\"varchar(32)\" desc=\"copy\"/>\n"
                   "</tableDefinition>\n");
        file.close();
        QString error;
        QVERIFY(!TableDefinition::readFile(path, &error).isValid());
        QVERIFY2(error.contains(QStringLiteral("tag_name")) && error.contains(QStringLiteral("两次")), qPrintable(error));
        QStringList errors;
        QVERIFY(TableDefinition::readDirectory(dir.path(), &errors).isEmpty());
        QCOMPARE(errors, QStringList{error});
    }

    void columnKindWhereTheTypesDisagree_data()
    {
        QTest::addColumn<QString>("sqlType");
        QTest::addColumn<QString>("valueType");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("warned");
        QTest::newRow("int, no value type") << "int" << "" << int(ColumnKind::Integer) << false;
        QTest::newRow("int as text") << "INT(11)" << "String" << int(ColumnKind::Integer) << true;
        QTest::newRow("varchar as int") << "varchar(8)" << "Int" << int(ColumnKind::Integer) << true;
        QTest::newRow("decimal as int") << "decimal(6,2)" << "Int" << int(ColumnKind::Decimal) << true;
        QTest::newRow("double") << "double precision" << "Double" << int(ColumnKind::Real) << false;
        QTest::newRow("no sql type") << "" << "Int" << int(ColumnKind::Integer) << false;
        QTest::newRow("text") << "varchar(8)" << "String" << int(ColumnKind::Text) << false;
    }
    void columnKindWhereTheTypesDisagree()
    {
        QFETCH(QString, sqlType);
        QFETCH(QString, valueType);
        QFETCH(int, type);
        QFETCH(bool, warned);
        QString disagreement;
        const ColumnKind kind = ColumnKind::of(sqlType, valueType, &disagreement);
        QCOMPARE(int(kind.type()), type);
        QCOMPARE(!disagreement.isEmpty(), warned);
        // Display, sort and the value check ask the same kind.
        QCOMPARE(kind.displayValue(QStringLiteral("7")).userType() != QMetaType::QString, kind.isNumeric());
        QCOMPARE(kind.refusal(QStringLiteral("P1")).isEmpty(), !kind.isNumeric());
        QCOMPARE(kind.refusal(QStringLiteral("1.5")).isEmpty(), !kind.isInteger());
    }

    void sqlText()
    {
        QCOMPARE(orv_sql::escaped(QStringLiteral("it's")), QStringLiteral("it''s"));
        QCOMPARE(orv_sql::quotedList({QStringLiteral("a'"), QStringLiteral("b")}), QStringLiteral("'a''','b'"));
        QCOMPARE(orv_sql::likePattern(QStringLiteral("a%1_!")), QStringLiteral("%a!%1!_!!%"));

        using orv_sql::isSingleStatement;
        QVERIFY(isSingleStatement(QStringLiteral("UPDATE t SET a = 'x;y' WHERE k = 'it''s';  ")));
        QVERIFY(isSingleStatement(QStringLiteral("UPDATE t SET a = '\\' WHERE k = '1'")));
        QVERIFY(!isSingleStatement(QStringLiteral("UPDATE t SET a = '1'; DELETE FROM t")));
        QVERIFY(!isSingleStatement(QStringLiteral("UPDATE t SET a = '1' -- ';\nDELETE FROM t")));
        using orv_sql::isOneCondition;
        QVERIFY(isOneCondition(QStringLiteral("(a = ')(' OR b IN (1, 2)) AND c = \"x)\"")));
        QVERIFY(isOneCondition(QString()));
        QVERIFY(!isOneCondition(QStringLiteral("a = 1) OR (b = 2")));
        QVERIFY(!isOneCondition(QStringLiteral("(a = 1")));
        QVERIFY(!isOneCondition(QStringLiteral("a = 1;")));
        QVERIFY(!isOneCondition(QStringLiteral("a = 'open")));
        QVERIFY(!isSingleStatement(QStringLiteral("UPDATE t SET a = '1' # x")));
        QVERIFY(!isSingleStatement(QStringLiteral("UPDATE t SET a = 'open")));
        // In an E'' string a backslash escapes the quote, as PostgreSQL reads it.
        QVERIFY(!isSingleStatement(QStringLiteral("SELECT E'\\'' ; DELETE FROM t; --'")));
        QVERIFY(isSingleStatement(QStringLiteral("SELECT E'\\'';")));

        // Statement texts are taken apart whole, or refused: no shape escapes the checks.
        QString error;
        const SqlWrite update = SqlWrite::fromText(QStringLiteral("update fes_analog SET UNIT = 'k''V', COEFF = -1.5e3 "
                                                                  "WHERE TAG_NAME = 'A.B' AND UNIT IS NULL AND DOT_NO = 3;"), &error);
        QCOMPARE(error, QString());
        QCOMPARE(update.kind, SqlWrite::Update);
        QCOMPARE(update.table, QStringLiteral("fes_analog"));
        QCOMPARE(update.cells.size(), 2);
        QCOMPARE(update.cells.at(0).value, QVariant(QStringLiteral("k'V")));
        QCOMPARE(update.cells.at(1).value, QVariant(QStringLiteral("-1.5e3")));
        QCOMPARE(update.keyColumns() + QLatin1Char('=') + update.keyValues(), QStringLiteral("TAG_NAME=A.B"));
        QCOMPARE(update.guards.size(), 2);
        QVERIFY(update.guards.at(0).value.isNull());
        const SqlWrite removal = SqlWrite::fromText(QStringLiteral("delete from fes_mix where TAG_NAME = 'T4.D''''';"), &error);
        QCOMPARE(removal.kind, SqlWrite::Delete);
        QCOMPARE(removal.keyValues(), QStringLiteral("T4.D''"));
        const SqlWrite insert = SqlWrite::fromText(QStringLiteral("INSERT INTO t (a, b) VALUES ('x', NULL)"), &error);
        QCOMPARE(insert.kind, SqlWrite::Insert);
        QVERIFY(insert.cells.at(1).value.isNull() && insert.key.isEmpty());
        for (const char *bad : {"UPDATE t SET a = a + 1 WHERE k = '1'", "UPDATE t SET a = '1'", "DELETE FROM t",
                                "UPDATE t SET a = '1' WHERE k = '1' OR 1 = 1", "UPDATE t SET a = E'x' WHERE k = '1'",
                                "UPDATE t SET a = '1' WHERE k = NULL", "UPDATE t SET a = 1x WHERE k = 1", "CREATE TABLE x (a int)",
                                "UPDATE t SET a = '1' WHERE k IN ('1')"}) {
            SqlWrite::fromText(QLatin1String(bad), &error);
            QVERIFY2(!error.isEmpty(), bad);
        }
        // The templates render exactly as the batch editors and the repair send them.
        QCOMPARE(SqlWrite::templateUpdate(QStringLiteral("fes_analog"), QStringLiteral("TAG_NAME"), QStringLiteral("a'b"),
                                          QStringLiteral("UNIT"), QStringLiteral("k'V")).sql(),
                 QStringLiteral("UPDATE fes_analog SET UNIT = 'k''V' WHERE TAG_NAME = 'a''b';"));
        QCOMPARE(SqlWrite::templateDelete(QStringLiteral("fes_mix"), QStringLiteral("TAG_NAME"), QStringLiteral("x'")).sql(),
                 QStringLiteral("delete from fes_mix where TAG_NAME = 'x''';"));
    }
};

QTEST_MAIN(TabModelTest)
#include "tst_tabmodel.moc"
