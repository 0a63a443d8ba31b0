// The connection dialog, the model context check, the platform login and the login object.
#include "TestSupport.h"

#include <QApplication>

#include "CLoginDlg.h"
#include "CModelVarnixlogin.h"
#include "Common.h"
#include "IniSettings.h"
#include "LoginDlg.h"
#include "OrvTableDataMgr.h"
#include "PasswordHash.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QTcpServer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>


namespace {

QString field(QWidget *dlg, const char *name)
{
    return dlg->findChild<QLineEdit *>(QLatin1String(name))->text();
}

void setField(QWidget *dlg, const char *name, const QString &text)
{
    dlg->findChild<QLineEdit *>(QLatin1String(name))->setText(text);
}

void click(QWidget *dlg, const char *name)
{
    dlg->findChild<QPushButton *>(QLatin1String(name))->click();
}

// Fills the connection dialog with params and presses 登录.
void fillConnection(LoginDlg *dlg, const DbLinkParams &p, const QString &type)
{
    dlg->findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->setCurrentText(type);
    setField(dlg, "userEdit", p.user);
    setField(dlg, "passwordEdit", p.password);
    setField(dlg, "addressEdit", p.host);
    setField(dlg, "portEdit", QString::number(p.port));
    setField(dlg, "dbNameEdit", p.database);
}

void answerPlatformLogin(const QString &user, const QString &password)
{
    answerModal<CLoginDlg>([=](CLoginDlg *dlg) {
        setField(dlg, "userEdit", user);
        setField(dlg, "passwordEdit", password);
        click(dlg, "loginButton");
    });
}

} // namespace

class LoginTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;
    OrvTableDataMgr *mgr() { return OrvTableDataMgr::getInstance(); }

    QString runSql(const QStringList &sqls)
    {
        return runOnLink(sqls);
    }

    void makePlatformDemo()
    {
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::SQLite, QStringLiteral("demo"), *m_root, DemoOptions(), &p), QString());
    }

private slots:
    void init()
    {
        m_root = std::make_unique<TestRoot>();
        Common::initPath();
    }

    void cleanup()
    {
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    void defaultsWithoutSettingsFile()
    {
        LoginDlg dlg;
        QCOMPARE(dlg.findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->currentText(), QStringLiteral("MySQL"));
        QCOMPARE(field(&dlg, "userEdit"), QStringLiteral("root"));
        QCOMPARE(field(&dlg, "passwordEdit"), QStringLiteral("qzvnt@4821"));
        QCOMPARE(field(&dlg, "addressEdit"), QStringLiteral("127.0.0.1"));
        QCOMPARE(field(&dlg, "portEdit"), QStringLiteral("3306"));
        QCOMPARE(field(&dlg, "dbNameEdit"), QStringLiteral("velm4100"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("登录"));
    }

    void refillPerType()
    {
        m_root->writeFile(QStringLiteral("etc/ModelConfig.ini"),
                          "[MySQL]\nlogin\\user=abc\nlogin\\port=3307\n[Oracle]\nlogin\\user=never\nlogin\\ip=10.0.0.9\n");
        LoginDlg dlg;
        auto *type = dlg.findChild<QComboBox *>(QStringLiteral("dbTypeBox"));
        type->setCurrentText(QStringLiteral("OpenGauss"));
        QCOMPARE(field(&dlg, "userEdit"), QStringLiteral("velm"));
        QCOMPARE(field(&dlg, "portEdit"), QStringLiteral("5432"));
        type->setCurrentText(QStringLiteral("KingBase"));
        QCOMPARE(field(&dlg, "userEdit"), QStringLiteral("system"));
        QCOMPARE(field(&dlg, "portEdit"), QStringLiteral("54321"));
        type->setCurrentText(QStringLiteral("Oracle"));
        QCOMPARE(field(&dlg, "userEdit"), QStringLiteral("abc"));
        QCOMPARE(field(&dlg, "portEdit"), QStringLiteral("3307"));
        QCOMPARE(field(&dlg, "addressEdit"), QStringLiteral("10.0.0.9"));
        QCOMPARE(type->currentData().toInt(), 0);
    }

    void junkSettingsGiveDefaults()
    {
        m_root->writeFile(QStringLiteral("etc/ModelConfig.ini"), QByteArray("\x00\xff[[[login\ndbtype=Nonsense\n=\n", 25));
        LoginDlg dlg;
        QCOMPARE(dlg.findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->currentText(), QStringLiteral("MySQL"));
        QCOMPARE(field(&dlg, "userEdit"), QStringLiteral("root"));
    }

    void failedAttemptStillSavesAndReportsReason()
    {
        LoginDlg dlg;
        DbLinkParams p;
        p.user = QStringLiteral("u'ser");
        p.password = QStringLiteral("p'w 密码");
        p.host = QStringLiteral("127.0.0.1");
        p.port = 1521;
        p.database = QStringLiteral("orcl");
        fillConnection(&dlg, p, QStringLiteral("Oracle"));
        QString message;
        answerMessageBox(&message);
        click(&dlg, "loginButton");
        QVERIFY2(message.startsWith(QStringLiteral("登录失败|失败原因:\n")) && message.contains(QStringLiteral("QOCI")),
                 qPrintable(message));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QVERIFY(!mgr()->isLinked());

        QSettings saved(LoginDlg::settingsPath(), QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("login/dbtype")).toString(), QStringLiteral("Oracle"));
        QCOMPARE(saved.value(QStringLiteral("Oracle/login/psw")).toString(), p.password);
        QCOMPARE(saved.value(QStringLiteral("Oracle/login/user")).toString(), p.user);
        QCOMPARE(saved.value(QStringLiteral("Oracle/login/port")).toString(), QStringLiteral("1521"));
        QFile raw(LoginDlg::settingsPath());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray text = raw.readAll();
        QVERIFY(text.contains("[Oracle]") && text.contains("login\\dbname=orcl") && text.contains("[login]"));

        // Next time Oracle shows what was typed, except user and port, which come from MySQL.
        LoginDlg again;
        QCOMPARE(field(&again, "dbNameEdit"), QStringLiteral("orcl"));
        QCOMPARE(field(&again, "passwordEdit"), p.password);
        QCOMPARE(field(&again, "userEdit"), QStringLiteral("root"));
    }

    void nonNumericPortReachesTheLinkAsZero()
    {
        LoginDlg dlg;
        setField(&dlg, "portEdit", QStringLiteral("33o6"));
        QString message;
        answerMessageBox(&message);
        click(&dlg, "loginButton");
        // Port 0 is the type's usual one, and the message names the port that was dialled.
        QVERIFY2(message.contains(QStringLiteral("127.0.0.1:3306（")), qPrintable(message));
    }

    void portOutOfRangeIsRefusedBeforeConnecting()
    {
        // MariaDB's client cuts 99999 to 16 bits and dials 34463; a negative port is its default.
        for (const QString &port : {QStringLiteral("99999"), QStringLiteral("-5")}) {
            LoginDlg dlg;
            setField(&dlg, "portEdit", port);
            QString message;
            answerMessageBox(&message);
            click(&dlg, "loginButton");
            QVERIFY2(message.contains(QStringLiteral("端口 %1 无效").arg(port)) && message.contains(QStringLiteral("请检查：IP地址、端口")),
                     qPrintable(message));
            QVERIFY(!mgr()->isLinked());
        }
    }

    void modelContextReasonsInOrder_data() { addBackendRows(); }
    void modelContextReasonsInOrder()
    {
        QFETCH(Backend, backend);
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(backend, QStringLiteral("login_context"), *m_root, DemoOptions(), &p), QString());
        QCOMPARE(openLink(p), QString());
        QString reason;
        QVERIFY(LoginDlg::checkModelContext(reason));
        QCOMPARE(reason, QString());

        const QStringList tables = {"SYS_MODEL_SUB_SYSTEM_INFO", "SYS_MODEL_APP_INFO", "SYS_MODEL_LOCATION_INFO", "SYS_MODEL_DOMAIN_INFO"};
        const QStringList reasons = {"数据库中不存在任何专业", "数据库中不存在任何应用", "数据库中不存在任何位置", "数据库中不存在任何域"};
        for (int i = 0; i < tables.size(); ++i) {
            QCOMPARE(runSql({QStringLiteral("DELETE FROM %1;").arg(tables.at(i))}), QString());
            QVERIFY(!LoginDlg::checkModelContext(reason));
            QCOMPARE(reason, reasons.at(i));
        }
        QCOMPARE(runSql({QStringLiteral("DROP TABLE SYS_MODEL_DOMAIN_INFO;")}), QString());
        QString detail;
        QVERIFY(!LoginDlg::checkModelContext(reason, &detail));
        QCOMPARE(reason, QStringLiteral("数据库查询域失败"));
        QVERIFY2(detail.contains(QStringLiteral("sys_model_domain_info"), Qt::CaseInsensitive), qPrintable(detail));
        if (backend != Backend::SQLite)
            return;
        // A file that is no database: the database's own reason goes with the tool's.
        m_root->writeFile(QStringLiteral("data/junk.sqlite"), QByteArray(4096, 'x'));
        DbLinkParams junk = p;
        junk.database = m_root->file(QStringLiteral("data/junk.sqlite"));
        QCOMPARE(openLink(junk), QString());
        QVERIFY(!LoginDlg::checkModelContext(reason, &detail));
        QVERIFY2(detail.contains(QStringLiteral("not a database")), qPrintable(detail));
    }

    void directLinkToServers()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL}) {
            DbLinkParams p;
            QCOMPARE(createDemoDatabase(backend, QStringLiteral("login_direct"), *m_root, DemoOptions(), &p), QString());
            const QString type = backend == Backend::MariaDB ? QStringLiteral("MySQL") : QStringLiteral("KingBase");
            {
                LoginDlg dlg;
                fillConnection(&dlg, p, type);
                answerModal<LoginDlg>([](LoginDlg *d) { click(d, "loginButton"); });
                QCOMPARE(dlg.exec(), int(QDialog::Accepted));
                QVERIFY(mgr()->isLinked());
                QCOMPARE(mgr()->linkParams().port, p.port);
            }
            // An empty schema is refused, and the dialog works again afterwards.
            QCOMPARE(TestServers::createDatabase(backend, QStringLiteral("login_empty"), *m_root), QString());
            p.database = QStringLiteral("login_empty");
            LoginDlg dlg;
            fillConnection(&dlg, p, type);
            QString message;
            answerModal<LoginDlg>([&](LoginDlg *d) {
                answerMessageBox(&message);
                click(d, "loginButton");
            });
            QCOMPARE(dlg.exec(), int(QDialog::Rejected));
            // The tool's reason first, then the database's own on the next line.
            QVERIFY2(message.startsWith(QStringLiteral("登录失败|失败原因:\n数据库查询域失败,可能未进行系统建模!\n"))
                         && message.count(QLatin1Char('\n')) == 3 && message.contains(QStringLiteral("sys_model_domain_info"), Qt::CaseInsensitive)
                         && message.endsWith(QStringLiteral("\n请检查：数据库名称")),
                     qPrintable(message));
            QVERIFY(!mgr()->isLinked());
            p.database = QStringLiteral("login_direct");
            fillConnection(&dlg, p, type);
            answerModal<LoginDlg>([](LoginDlg *d) { click(d, "loginButton"); });
            QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        }
    }

    void platformLoginSetsAccountAndRight()
    {
        makePlatformDemo();
        m_root->writeFile(QStringLiteral("etc/database.ini"), "[database]\ntype=SQLite\nname=data/demo.sqlite\n");
        {
            CModelVarnixlogin login;
            answerPlatformLogin(QStringLiteral("engineer"), QStringLiteral("velm2026"));
            QVERIFY(login.login());
            QVERIFY(!login.isDirectLink());
            QCOMPARE(mgr()->loginUser(), QStringLiteral("engineer"));
            QVERIFY(mgr()->getDbInfo().startsWith(QStringLiteral("账号:engineer 数据库:")));
            QCOMPARE(mgr()->right(), OrvTableDataMgr::RIGHT_EDIT);
        }
        // A user without FUNC_NOM_DEV_TP still logs in, with right 0.
        CModelVarnixlogin login;
        answerPlatformLogin(QStringLiteral("viewer"), QStringLiteral("viewer2026"));
        QVERIFY(login.login());
        QCOMPARE(mgr()->right(), OrvTableDataMgr::RIGHT_READONLY);
    }

    void wrongPasswordLetsTheUserTryAgain()
    {
        makePlatformDemo();
        CModelVarnixlogin login;
        QString message;
        answerModal<CLoginDlg>([&](CLoginDlg *dlg) {
            setField(dlg, "userEdit", QStringLiteral("engineer' OR '1'='1"));
            setField(dlg, "passwordEdit", QStringLiteral("x"));
            answerMessageBox(&message);
            click(dlg, "loginButton");
            QVERIFY(dlg->isVisible());
            answerPlatformLogin(QStringLiteral("engineer"), QStringLiteral("velm2026"));
        });
        QVERIFY(login.login());
        QCOMPARE(message, QStringLiteral("登录失败|失败原因:\n用户名或密码错误"));
    }

    void unreadableRightsRefuseTheLogin()
    {
        // A user whose rights cannot be read is not let in read-only without a word.
        makePlatformDemo();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
            db.setDatabaseName(m_root->file(QStringLiteral("data/demo.sqlite")));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("ALTER TABLE RM_ROLE_DEF RENAME TO RM_ROLE_GONE")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("edit"));
        CModelVarnixlogin login;
        QString message;
        answerModal<CLoginDlg>([&](CLoginDlg *dlg) {
            setField(dlg, "userEdit", QStringLiteral("engineer"));
            setField(dlg, "passwordEdit", QStringLiteral("velm2026"));
            answerMessageBox(&message);
            click(dlg, "loginButton");
            QVERIFY(dlg->isVisible());
            click(dlg, "cancelButton");
        });
        QVERIFY(!login.login());
        QVERIFY2(message.contains(QStringLiteral("读取用户 engineer 的权限失败")) && message.contains(QStringLiteral("RM_ROLE_DEF")),
                 qPrintable(message));
    }

    void platformLoginOnUnmodelledDatabase()
    {
        makePlatformDemo();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
            db.setDatabaseName(m_root->file(QStringLiteral("data/demo.sqlite")));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("DELETE FROM SYS_MODEL_LOCATION_INFO")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("edit"));
        CModelVarnixlogin login;
        QString message;
        answerPlatformLogin(QStringLiteral("engineer"), QStringLiteral("velm2026"));
        answerMessageBox(&message);
        QVERIFY(!login.login());
        QCOMPARE(message, QStringLiteral("登录失败|失败原因:\n数据库中不存在任何位置"));
        QVERIFY(!mgr()->isLinked());
    }

    void directConnectionFromThePlatformDialog()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::MariaDB, QStringLiteral("login_switch"), *m_root, DemoOptions(), &p), QString());
        CModelVarnixlogin login;
        answerModal<CLoginDlg>([&](CLoginDlg *dlg) {
            answerModal<LoginDlg>([&](LoginDlg *direct) {
                fillConnection(direct, p, QStringLiteral("MySQL"));
                click(direct, "loginButton");
            });
            click(dlg, "directButton");
        });
        QVERIFY(login.login());
        QVERIFY(login.isDirectLink());
        QCOMPARE(mgr()->loginUser(), QString());
        QVERIFY(!mgr()->getDbInfo().startsWith(QStringLiteral("账号")));
    }

    // A wrong password brings the connection dialog back with what was typed and names the field
    // to correct; only cancelling it ends the login.
    void wrongPasswordReturnsToTheConnectionDialog()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::MariaDB, QStringLiteral("login_retry"), *m_root, DemoOptions(), &p), QString());
        for (bool correctIt : {true, false}) {
            CModelVarnixlogin login;
            QString message;
            QString typedAgain;
            answerModal<CLoginDlg>([&](CLoginDlg *dlg) {
                answerModal<LoginDlg>([&](LoginDlg *direct) {
                    DbLinkParams wrong = p;
                    wrong.password = QStringLiteral("typo");
                    fillConnection(direct, wrong, QStringLiteral("MySQL"));
                    answerMessageBox(&message);
                    click(direct, "loginButton");
                    answerModal<LoginDlg>([&](LoginDlg *again) {
                        typedAgain = field(again, "passwordEdit") + QLatin1Char('|') + field(again, "dbNameEdit");
                        if (!correctIt) {
                            again->reject();
                            return;
                        }
                        setField(again, "passwordEdit", p.password);
                        click(again, "loginButton");
                    });
                });
                click(dlg, "directButton");
            });
            QCOMPARE(login.login(), correctIt);
            QCOMPARE(login.isDirectLink(), correctIt);
            QVERIFY2(message.contains(QStringLiteral("用户名或密码错误")) && message.endsWith(QStringLiteral("\n请检查：密码、用户")),
                     qPrintable(message));
            QCOMPARE(typedAgain, QStringLiteral("typo|") + p.database);
            QCOMPARE(mgr()->isLinked(), correctIt);
            QVERIFY(!login.connectionDialog()->lastAttemptFailed());
        }
    }

    void corruptSettingsGiveDefaults()
    {
        m_root->writeFile(QStringLiteral("etc/ModelConfig.ini"),
                          "[login]\ndbtype=@Variant(\\0\\0\\0\\v\\x7f\\xff\\xff\\xff)\n"
                          "[MySQL]\nlogin\\user=@Variant(\\0\\0\\0\\v\\x7f\\xff\\xff\\xff)\nlogin\\psw=ab,cd\nlogin\\ip=ab;cd\n"
                          "[KingBase]\nlogin\\user=kb\n");
        LoginDlg dlg;
        QCOMPARE(dlg.findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->currentText(), QStringLiteral("MySQL"));
        QCOMPARE(field(&dlg, "userEdit"), QStringLiteral("root"));
        QCOMPARE(field(&dlg, "passwordEdit"), QStringLiteral("ab,cd"));
        QCOMPARE(field(&dlg, "addressEdit"), QStringLiteral("ab;cd"));
        // A save keeps what it did not write and leaves the file to its owner alone.
        setField(&dlg, "addressEdit", QStringLiteral("127.0.0.1"));
        setField(&dlg, "portEdit", QStringLiteral("1"));
        QString message;
        answerMessageBox(&message);
        click(&dlg, "loginButton");
        QVERIFY(message.startsWith(QStringLiteral("登录失败|")));
        const orv_public::IniSettings saved(LoginDlg::settingsPath());
        QCOMPARE(saved.value(QStringLiteral("KingBase/login/user")), QStringLiteral("kb"));
        QCOMPARE(saved.value(QStringLiteral("MySQL/login/psw")), QStringLiteral("ab,cd"));
        QCOMPARE(saved.value(QStringLiteral("login/dbtype")), QStringLiteral("MySQL"));
        const QFileDevice::Permissions mode = QFile::permissions(LoginDlg::settingsPath());
        QVERIFY(!(mode & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    }

    void unsavableSettingsAreSaidOnce()
    {
        // A file where the settings folder should be: nothing can be saved there.
        QDir(m_root->file(QStringLiteral("etc"))).removeRecursively();
        m_root->writeFile(QStringLiteral("etc"), "not a folder");
        LoginDlg dlg;
        setField(&dlg, "portEdit", QStringLiteral("1"));
        QStringList messages;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&messages] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                messages << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        answerer.start(20);
        click(&dlg, "loginButton");
        click(&dlg, "loginButton");
        answerer.stop();
        // Two failed links, one word about the settings.
        QCOMPARE(messages.size(), 3);
        QCOMPARE(messages.filter(QStringLiteral("无法保存连接设置")).size(), 1);
    }

    void platformDatabaseConfiguration()
    {
        QString error;
        m_root->writeFile(QStringLiteral("etc/database.ini"),
                          "[database]\ntype=postgresql\nname=velm\nhost=db1\nport=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n"
                          "user=velm\npassword=ab;cd,ef\n");
        DbLinkParams p = OrvTableDataMgr::platformLinkParams(&error);
        QCOMPARE(error, QString());
        QCOMPARE(p.type, orv_dbms::DB_OPENGAUSS);
        QCOMPARE(p.port, 0);
        QCOMPARE(p.password, QStringLiteral("ab;cd,ef"));
        m_root->writeFile(QStringLiteral("etc/database.ini"), "[database]\ntype=MariaDB\n");
        QCOMPARE(OrvTableDataMgr::platformLinkParams(&error).type, orv_dbms::DB_MYSQL);
        // An unknown type is refused by name, never replaced by the embedded database.
        m_root->writeFile(QStringLiteral("etc/database.ini"), "[database]\ntype=Postgre\n");
        OrvTableDataMgr::platformLinkParams(&error);
        QVERIFY2(error.contains(QStringLiteral("“Postgre”")) && error.contains(QStringLiteral("PostgreSQL")), qPrintable(error));
        QCOMPARE(mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM), error);
        QVERIFY(!mgr()->isLinked());
        // Several servers with their ports, the primary first.
        m_root->writeFile(QStringLiteral("etc/database.ini"), "[database]\ntype=MariaDB\nhost=db1, db2\nport=3306,3307\n");
        QCOMPARE(OrvTableDataMgr::platformLinkParams(&error).serverText(), QStringLiteral("db1:3306, db2:3307"));
        // A configuration that is there but cannot be read is no reason to open the demo instead.
        QFile::remove(m_root->file(QStringLiteral("etc/database.ini")));
        QVERIFY(QDir().mkpath(m_root->file(QStringLiteral("etc/database.ini"))));
        error.clear();
        OrvTableDataMgr::platformLinkParams(&error);
        QVERIFY2(error.startsWith(QStringLiteral("无法读取数据库配置 ")) && error.contains(QStringLiteral("database.ini")), qPrintable(error));
        QCOMPARE(mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM), error);
        QVERIFY(!mgr()->isLinked());
    }

    void platformDatabaseThatNamesNothingUsable()
    {
        makePlatformDemo();
        // The section line forgotten, the section or the key misspelt, an empty file: each once
        // opened the demo database in place of the one meant.
        for (const char *ini : {"type=MySQL\nhost=db1\n", "[Database]\ntype=MySQL\n", "[database]\ntpye=MySQL\n", ""}) {
            m_root->writeFile(QStringLiteral("etc/database.ini"), ini);
            const QString error = mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM);
            QVERIFY2(error.contains(QStringLiteral("database.ini")) && error.contains(QStringLiteral("type")), ini);
            QVERIFY(!mgr()->isLinked());
        }
        // A database file that is a folder is said to be one, not to be missing.
        QVERIFY(QDir().mkpath(m_root->file(QStringLiteral("data/folder.sqlite"))));
        m_root->writeFile(QStringLiteral("etc/database.ini"), "[database]\ntype=SQLite\nname=data/folder.sqlite\n");
        const QString error = mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM);
        QVERIFY2(error.contains(QStringLiteral("folder.sqlite 是一个文件夹")), qPrintable(error));
        // Only a file that is not there means the demo.
        QFile::remove(m_root->file(QStringLiteral("etc/database.ini")));
        QCOMPARE(mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM), QString());
    }

    void platformDatabasePorts()
    {
        QString error;
        const auto params = [&](const char *ini) {
            m_root->writeFile(QStringLiteral("etc/database.ini"), QByteArray("[database]\n") + ini);
            error.clear();
            return OrvTableDataMgr::platformLinkParams(&error);
        };
        // Without a port the type's usual one is dialled: libpq refuses port 0 outright, and the
        // TLS check of MariaDB links looked at port 0 and so checked no host name.
        DbLinkParams p = params("type=PostgreSQL\nhost=127.0.0.1\nname=velm\nuser=velm\ntls=off\n");
        QCOMPARE(error, QString());
        error = mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM);
        QVERIFY2(error.contains(QStringLiteral("127.0.0.1:5432")) && !error.contains(QStringLiteral("invalid port")), qPrintable(error));
        p = params("type=MariaDB\nhost=db1\ntls=verify\n");
        QCOMPARE(p.servers().size(), 1);
        QCOMPARE(p.servers().first().port, 3306);
        QCOMPARE(params("type=KingBase\nhost=db1\n").serverText(), QStringLiteral("db1:54321"));

        // A mistyped port is refused by name, never read as the usual one.
        for (const char *bad : {"port=54x32\n", "port=70000\n", "port=-1\n", "port=5432,abc\n"}) {
            params((QByteArray("type=PostgreSQL\nhost=db1,db2\n") + bad).constData());
            QVERIFY2(error.contains(QStringLiteral("database.ini")) && error.contains(QStringLiteral("端口")), bad);
            QCOMPARE(mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM), error);
            QVERIFY(!mgr()->isLinked());
        }
        // The same for a port given with its host, before anything is dialled.
        params("type=MariaDB\nhost=127.0.0.1:70000\n");
        QCOMPARE(error, QString());
        error = mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM);
        QVERIFY2(error.contains(QStringLiteral("端口 70000 无效")), qPrintable(error));

        // IPv6 addresses with a port each.
        p = params("type=PostgreSQL\nhost=::1, fe80::2\nport=5432,5433\n");
        QCOMPARE(error, QString());
        const QList<DbServer> servers = p.servers();
        QCOMPARE(servers.size(), 2);
        QCOMPARE(servers.at(0).host, QStringLiteral("::1"));
        QCOMPARE(servers.at(0).port, 5432);
        QCOMPARE(servers.at(1).host, QStringLiteral("fe80::2"));
        QCOMPARE(servers.at(1).port, 5433);
    }

    void silentServerCostsOneConnectTimeOut()
    {
        // Takes connections and never says a word, like a server that hangs.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        DbTls tls;
        tls.mode = DbTls::Required;
        QElapsedTimer timer;
        timer.start();
        const QString error = mgr()->initDBLink(DataBaseInterface::LINK_DIRECT, QStringLiteral("u"), QStringLiteral("p"),
                                                QStringLiteral("127.0.0.1"), silent.serverPort(), QStringLiteral("velm"),
                                                orv_dbms::DB_MYSQL, tls);
        const qint64 ms = timer.elapsed();
        QVERIFY2(error.contains(QStringLiteral("127.0.0.1:%1").arg(silent.serverPort())), qPrintable(error));
        QCOMPARE(mgr()->lastLinkField(), DbConnection::LinkField::Server);
        QVERIFY2(ms < (DbConnection::ConnectTimeoutSeconds + 2) * 1000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        QVERIFY(!mgr()->isLinked());
    }

    void tlsFileThatIsAFolderIsRefused()
    {
        DbTls tls;
        tls.mode = DbTls::Required;
        tls.caFile = m_root->file(QStringLiteral("etc"));
        const QString error = mgr()->initDBLink(DataBaseInterface::LINK_DIRECT, QStringLiteral("u"), QStringLiteral("p"),
                                                QStringLiteral("127.0.0.1"), 1, QStringLiteral("velm"), orv_dbms::DB_MYSQL, tls);
        QCOMPARE(error, QStringLiteral("无法读取CA证书文件 %1").arg(tls.caFile));
        QCOMPARE(mgr()->lastLinkField(), DbConnection::LinkField::Tls);
    }

    void platformLoginUsesBoundValues()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::PostgreSQL, QStringLiteral("login_pg"), *m_root, DemoOptions(), &p), QString());
        QCOMPARE(openLink(p), QString());
        // A server that reads backslashes as escapes unless the session says otherwise.
        QCOMPARE(runOnLink({QStringLiteral("ALTER DATABASE login_pg SET standard_conforming_strings = off")}), QString());
        mgr()->onSysQuit();
        m_root->writeFile(QStringLiteral("etc/database.ini"),
                          QStringLiteral("[database]\ntype=PostgreSQL\nname=login_pg\nhost=%1\nport=%2\nuser=%3\npassword=%4\n")
                              .arg(p.host).arg(p.port).arg(p.user, orv_public::IniSettings::escapedValue(p.password)).toUtf8());
        CModelVarnixlogin login;
        QString message;
        answerModal<CLoginDlg>([&](CLoginDlg *dlg) {
            setField(dlg, "userEdit", QStringLiteral("nobody\\' UNION SELECT 1,'a','b',PERM_PASSWORD,1 FROM RM_USER_DEF --"));
            setField(dlg, "passwordEdit", QStringLiteral("velm2026"));
            answerMessageBox(&message);
            click(dlg, "loginButton");
            answerPlatformLogin(QStringLiteral("engineer"), QStringLiteral("velm2026"));
        });
        QVERIFY(login.login());
        QCOMPARE(message, QStringLiteral("登录失败|失败原因:\n用户名或密码错误"));
        QCOMPARE(mgr()->loginUser(), QStringLiteral("engineer"));
    }

    void olderHashesAreUpgradedAtLogin()
    {
        makePlatformDemo();
        const auto storedHash = [this] {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("users"));
            db.setDatabaseName(m_root->file(QStringLiteral("data/demo.sqlite")));
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("SELECT PERM_PASSWORD FROM RM_USER_DEF WHERE PERM_NAME = 'engineer'"));
            return q.next() ? q.value(0).toString() : QString();
        };
        const QString old = orv_public::PasswordHash::makePbkdf2(QStringLiteral("velm2026"), "0123456789abcdef", 20000);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("users"));
            db.setDatabaseName(m_root->file(QStringLiteral("data/demo.sqlite")));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("UPDATE RM_USER_DEF SET PERM_PASSWORD = '%1' WHERE PERM_NAME = 'engineer'").arg(old)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("users"));
        {
            CModelVarnixlogin login;
            answerPlatformLogin(QStringLiteral("engineer"), QStringLiteral("velm2026"));
            QVERIFY(login.login());
        }
        const QString now = storedHash();
        QSqlDatabase::removeDatabase(QStringLiteral("users"));
        QVERIFY2(now.startsWith(QStringLiteral("$argon2id$")), qPrintable(now));
        QVERIFY(orv_public::PasswordHash::verify(QStringLiteral("velm2026"), now));
    }

    void unknownUsersTakeAsLongAsKnownOnes()
    {
        makePlatformDemo();
        CLoginDlg dlg;
        const auto attempt = [&dlg](const QString &user) {
            QElapsedTimer timer;
            QString message;
            answerMessageBox(&message);
            setField(&dlg, "userEdit", user);
            setField(&dlg, "passwordEdit", QStringLiteral("wrong"));
            timer.start();
            click(&dlg, "loginButton");
            return timer.elapsed();
        };
        qint64 known = 0, unknown = 0;
        for (int i = 0; i < 3; ++i) {
            known += attempt(QStringLiteral("engineer"));
            unknown += attempt(QStringLiteral("nobody"));
        }
        // The hash is the bulk of a check; without it an unknown name answers many times faster.
        QVERIFY2(unknown * 2 > known, qPrintable(QStringLiteral("known %1 ms, unknown %2 ms").arg(known).arg(unknown)));
    }

    void cancellingThePlatformDialog()
    {
        CModelVarnixlogin login;
        answerModal<CLoginDlg>([](CLoginDlg *dlg) { click(dlg, "cancelButton"); });
        QVERIFY(!login.login());
        QVERIFY(!login.isDirectLink());
    }
};

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
