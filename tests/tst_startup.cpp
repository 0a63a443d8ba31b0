// The start-up and shutdown sequence of the tool, run in-process.
#include "TestSupport.h"

#include "AppLog.h"
#include "CLoginDlg.h"
#include "LoginDlg.h"
#include "MainWindow.h"
#include "ModelApplication.h"
#include "MsgBus.h"
#include "OrvTableDataMgr.h"
#include "SingleApplication.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

namespace {

void setField(QWidget *dlg, const char *name, const QString &text)
{
    dlg->findChild<QLineEdit *>(QLatin1String(name))->setText(text);
}

// Once the main window is up: inspect it, then close it answering the confirmation with Yes.
void whenMainWindowShown(const std::function<void(MainWindow *)> &inspect)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *window = qobject_cast<MainWindow *>(w);
            if (window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                inspect(window);
                answerMessageBox(nullptr);
                window->close();
                return;
            }
        }
    });
    timer->start(50);
}

// Answers the coming login dialog as a platform user of a fresh SQLite demo database.
bool loginToDemoDatabase(const TestRoot &root)
{
    DbLinkParams p;
    if (!createDemoDatabase(Backend::SQLite, QStringLiteral("demo"), root, DemoOptions(), &p).isEmpty())
        return false;
    answerModal<CLoginDlg>([](CLoginDlg *dlg) {
        setField(dlg, "userEdit", QStringLiteral("engineer"));
        setField(dlg, "passwordEdit", QStringLiteral("velm2026"));
        dlg->findChild<QPushButton *>(QStringLiteral("loginButton"))->click();
    });
    return true;
}

QString readLog(const TestRoot &root)
{
    QFile f(root.file(QStringLiteral("log/model_varnix.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private:
    SingleApplication &app() { return *static_cast<SingleApplication *>(qApp); }

    static void expectServicesReleased()
    {
        bool logging = true;
        orv_public::getLogger(logging);
        QVERIFY(!logging);
        QVERIFY(!orv_net::isMsgBusRunning());
    }

private slots:
    void loggingFailureShowsOneBoxAndNoLogin()
    {
        TestRoot root;
        QDir(root.path()).rmdir(QStringLiteral("log"));
        root.writeFile(QStringLiteral("log"), "not a directory");
        QString message;
        bool loginShown = false;
        answerMessageBox(&message);
        answerModal<CLoginDlg>([&](CLoginDlg *dlg) {
            loginShown = true;
            dlg->reject();
        }, 3000);
        QCOMPARE(runModelVarnix(app()), 0);
        QVERIFY2(message.startsWith(QStringLiteral("消息|启动日志服务失败:")) && message.contains(root.file(QStringLiteral("log"))),
                 qPrintable(message));
        QTest::qWait(3100);
        QVERIFY(!loginShown);
        QVERIFY(!orv_net::isMsgBusRunning());
    }

    void cancelledLoginExitsWithZeroAndReleases()
    {
        TestRoot root;
        answerModal<CLoginDlg>([](CLoginDlg *dlg) { dlg->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click(); });
        QCOMPARE(runModelVarnix(app()), 0);
        expectServicesReleased();
        QVERIFY(readLog(root).contains(QStringLiteral("DEBUG [MODEL.model_varnix] model_varnix begin run....")));
        QCOMPARE(QCoreApplication::organizationName().isEmpty(), false);
    }

    void platformLoginStartsWithKeysLocked()
    {
        TestRoot root;
        QVERIFY(loginToDemoDatabase(root));
        bool checked = true;
        bool managerEditable = true;
        QString status;
        whenMainWindowShown([&](MainWindow *w) {
            checked = w->findChild<QAction *>(QStringLiteral("action_6"))->isChecked();
            managerEditable = OrvTableDataMgr::getInstance()->isPrimaryEditable();
            status = w->statusText();
        });
        QCOMPARE(runModelVarnix(app()), 0);
        QVERIFY(!checked);
        QVERIFY(!managerEditable);
        QVERIFY2(status.startsWith(QStringLiteral("账号:engineer 数据库:")), qPrintable(status));
        // Windows without a title of their own read as the tool.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("设备建模"));
        expectServicesReleased();
    }

    void secondStartRaisesTheMinimisedWindowAndEnds()
    {
        TestRoot root;
        QVERIFY(loginToDemoDatabase(root));
        int secondExit = -1;
        QString secondOutput;
        bool raised = false;
        whenMainWindowShown([&](MainWindow *w) {
            w->showMinimized();
            QVERIFY(QTest::qWaitFor([w] { return w->isMinimized(); }, 2000));
            // A copy of this program that got past its application object would fail on the
            // unknown test function instead of ending with 0.
            QProcess second;
            second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("noSuchTestFunction")});
            if (second.waitForFinished(10000) && second.exitStatus() == QProcess::NormalExit)
                secondExit = second.exitCode();
            secondOutput = QString::fromLocal8Bit(second.readAllStandardOutput());
            raised = QTest::qWaitFor([w] { return w->isMaximized() && !w->isMinimized() && w->isActiveWindow(); }, 5000);
        });
        QCOMPARE(runModelVarnix(app()), 0);
        QCOMPARE(secondExit, 0);
        QVERIFY2(secondOutput.isEmpty(), qPrintable(secondOutput));
        QVERIFY(raised);
    }

    void directLinkStartsWithKeysEditable()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        TestRoot root;
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::PostgreSQL, QStringLiteral("startup_direct"), root, DemoOptions(), &p), QString());
        answerModal<CLoginDlg>([p](CLoginDlg *dlg) {
            answerModal<LoginDlg>([p](LoginDlg *direct) {
                direct->findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->setCurrentText(QStringLiteral("OpenGauss"));
                setField(direct, "userEdit", p.user);
                setField(direct, "passwordEdit", p.password);
                setField(direct, "portEdit", QString::number(p.port));
                setField(direct, "dbNameEdit", p.database);
                direct->findChild<QPushButton *>(QStringLiteral("loginButton"))->click();
            });
            dlg->findChild<QPushButton *>(QStringLiteral("directButton"))->click();
        });
        bool checked = false;
        whenMainWindowShown([&](MainWindow *w) {
            checked = w->findChild<QAction *>(QStringLiteral("action_6"))->isChecked();
            QVERIFY(OrvTableDataMgr::getInstance()->isPrimaryEditable());
        });
        QCOMPARE(runModelVarnix(app()), 0);
        QVERIFY(checked);
        expectServicesReleased();
    }
};

int main(int argc, char *argv[])
{
    SingleApplication app(argc, argv, false, SingleApplication::PerUser, 1000);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
