// Encrypted links. The test starts servers of its own that speak TLS only, with certificates of a
// throwaway CA (tests/servers/tlsservers.sh), and uses the test bed's servers, which speak none.
#include "TestSupport.h"

#include "DbConnection.h"
#include "IniSettings.h"
#include "LoginDlg.h"
#include "ModelContext.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {

const QString kState = QStringLiteral(MODEL_BINARY_DIR "/tlsservers");
const QString kDatabase = QStringLiteral("tls_demo");

OrvTableDataMgr *mgr()
{
    return OrvTableDataMgr::getInstance();
}

struct Run
{
    int exitCode = -1;
    QString error;
};

Run runTool(const char *program, const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(MODEL_BIN_DIR "/") + QLatin1String(program), args);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

// Link options of the command-line tools.
QStringList toolOptions(const DbLinkParams &p)
{
    QStringList args{QStringLiteral("--type"), p.typeName(), QStringLiteral("--host"), p.host, QStringLiteral("--port"),
                     QString::number(p.port), QStringLiteral("--user"), p.user, QStringLiteral("--password"), p.password,
                     QStringLiteral("--database"), p.database, QStringLiteral("--tls"), DbTls::modeName(p.tls.mode)};
    if (!p.tls.caFile.isEmpty())
        args << QStringLiteral("--tls-ca") << p.tls.caFile;
    return args;
}

// The parameter a failed open blames.
DbConnection::LinkField blamedField(const DbLinkParams &p)
{
    const QString name = QStringLiteral("tls_blamed");
    DbConnection::LinkField field = DbConnection::LinkField::None;
    DbConnection::open(p, name, &field);
    DbConnection::close(name);
    return field;
}

void addServerRows()
{
    QTest::addColumn<Backend>("backend");
    QTest::newRow("mariadb") << Backend::MariaDB;
    QTest::newRow("postgresql") << Backend::PostgreSQL;
}

} // namespace

class TlsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRoot> m_root;
    QHash<QString, QString> m_env;

    QString cert(const QString &name) const { return m_env.value(QStringLiteral("MODEL_TEST_CERTS")) + QLatin1Char('/') + name; }

    // The TLS server of the backend, asked to verify it against the throwaway CA.
    DbLinkParams tlsServer(Backend backend) const
    {
        DbLinkParams p;
        const bool mariaDb = backend == Backend::MariaDB;
        p.type = mariaDb ? orv_dbms::DB_MYSQL : orv_dbms::DB_OPENGAUSS;
        p.host = QStringLiteral("127.0.0.1");
        p.port = m_env.value(mariaDb ? QStringLiteral("MODEL_TEST_MYSQL_PORT") : QStringLiteral("MODEL_TEST_PGSQL_PORT")).toInt();
        p.user = m_env.value(QStringLiteral("MODEL_TEST_USER"));
        p.password = m_env.value(QStringLiteral("MODEL_TEST_PASSWORD"));
        p.database = kDatabase;
        p.tls.mode = DbTls::Verify;
        p.tls.caFile = cert(QStringLiteral("ca.crt"));
        return p;
    }

    static QString server(const DbLinkParams &p) { return QStringLiteral("%1:%2").arg(p.host).arg(p.port); }

    // The demo database on the TLS server, made by model_demo over a verified link.
    QString makeDemo(Backend backend)
    {
        DbLinkParams admin = tlsServer(backend);
        admin.database = backend == Backend::MariaDB ? QString() : QStringLiteral("postgres");
        const QString name = QStringLiteral("tls_admin");
        QString error = DbConnection::open(admin, name);
        if (error.isEmpty()) {
            QSqlQuery q(QSqlDatabase::database(name));
            for (const QString &sql : {QStringLiteral("DROP DATABASE IF EXISTS %1").arg(kDatabase), QStringLiteral("CREATE DATABASE %1").arg(kDatabase)})
                if (!q.exec(sql))
                    error = q.lastError().text();
        }
        DbConnection::close(name);
        if (!error.isEmpty())
            return error;
        const Run demo = runTool("model_demo", toolOptions(tlsServer(backend)));
        return demo.exitCode == 0 ? QString() : demo.error;
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(serverScript(QStringLiteral("tlsservers.sh"), {QStringLiteral("start")}, kState), QString());
        m_env = serversEnv(kState + QStringLiteral("/servers.env"));
        m_root = std::make_unique<TestRoot>();
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL})
            QCOMPARE(makeDemo(backend), QString());
    }

    void cleanupTestCase()
    {
        delete mgr();
        m_root.reset();
        QCOMPARE(serverScript(QStringLiteral("tlsservers.sh"), {QStringLiteral("stop")}, kState), QString());
    }

    void cleanup() { delete mgr(); }

    void encryptedLinkSaysItsProtocol_data()
    {
        QTest::addColumn<Backend>("backend");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("host");
        for (Backend b : {Backend::MariaDB, Backend::PostgreSQL}) {
            const QByteArray name = backendName(b).toLatin1();
            QTest::newRow(name + " required") << b << int(DbTls::Required) << QStringLiteral("127.0.0.1");
            QTest::newRow(name + " verify") << b << int(DbTls::Verify) << QStringLiteral("127.0.0.1");
            QTest::newRow(name + " preferred") << b << int(DbTls::Preferred) << QStringLiteral("127.0.0.1");
        }
        // The certificate names localhost as well (MariaDB's client reaches localhost by its socket).
        QTest::newRow("postgresql verify localhost") << Backend::PostgreSQL << int(DbTls::Verify) << QStringLiteral("localhost");
    }
    void encryptedLinkSaysItsProtocol()
    {
        QFETCH(Backend, backend);
        QFETCH(int, mode);
        QFETCH(QString, host);
        DbLinkParams p = tlsServer(backend);
        p.tls.mode = DbTls::Mode(mode);
        p.host = host;
        QCOMPARE(openLink(p), QString());
        QVERIFY(DbConnection::tlsProtocol(QSqlDatabase::database()).startsWith(QStringLiteral("TLSv1.")));
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral("已加密(TLSv1.")), qPrintable(mgr()->getDbInfo()));
        QString reason;
        QVERIFY2(ModelContext::check(reason), qPrintable(reason));
        // A page counts its rows over a connection of its own, encrypted too: the server takes no other.
        std::unique_ptr<OrvTableModel> page(mgr()->createOwnModel(QStringLiteral("ANALOG.xml"), nullptr));
        QVERIFY(page->open());
        QTRY_VERIFY_WITH_TIMEOUT(page->totalRows() >= 0 || !page->lastError().isEmpty(), 20000);
        QVERIFY2(page->totalRows() > 0, qPrintable(page->lastError()));
    }

    void verificationRefuses_data()
    {
        QTest::addColumn<Backend>("backend");
        QTest::addColumn<QString>("ca");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("presented");
        QTest::addColumn<QString>("reason");
        for (Backend b : {Backend::MariaDB, Backend::PostgreSQL}) {
            const QByteArray name = backendName(b).toLatin1();
            QTest::newRow(name + " unknown CA") << b << QStringLiteral("other-ca.crt") << QStringLiteral("127.0.0.1")
                                                << QStringLiteral("server") << QStringLiteral("证书不是由所信任的CA签发（未知的CA）");
            QTest::newRow(name + " wrong host name") << b << QStringLiteral("ca.crt") << QStringLiteral("127.0.0.2")
                                                     << QStringLiteral("server") << QStringLiteral("证书上的主机名与连接地址 127.0.0.2 不符");
            QTest::newRow(name + " expired") << b << QStringLiteral("ca.crt") << QStringLiteral("127.0.0.1")
                                             << QStringLiteral("expired") << QStringLiteral("证书已过期");
        }
    }
    void verificationRefuses()
    {
        // Refused before anything of the login reaches the server, with the server and the reason.
        QFETCH(Backend, backend);
        QFETCH(QString, ca);
        QFETCH(QString, host);
        QFETCH(QString, presented);
        QFETCH(QString, reason);
        QCOMPARE(serverScript(QStringLiteral("tlsservers.sh"), {QStringLiteral("present"), presented}, kState), QString());
        DbLinkParams p = tlsServer(backend);
        p.tls.caFile = cert(ca);
        p.host = host;
        const QString error = openLink(p);
        // The connection dialog is told to point at its encryption fields.
        QCOMPARE(blamedField(p), DbConnection::LinkField::Tls);
        QCOMPARE(serverScript(QStringLiteral("tlsservers.sh"), {QStringLiteral("present"), QStringLiteral("server")}, kState), QString());
        QVERIFY2(error.startsWith(QStringLiteral("数据库服务器 %1 的证书未通过验证：%2，连接已拒绝").arg(server(p), reason)), qPrintable(error));
        QVERIFY(!mgr()->isLinked());
        // Not verified, the chain is still checked against a CA file that is given.
        if (ca != QLatin1String("ca.crt")) {
            p.tls.mode = DbTls::Required;
            QVERIFY2(openLink(p).contains(reason), qPrintable(reason));
        }
    }

    void clearTextToTlsOnlyServer_data() { addServerRows(); }
    void clearTextToTlsOnlyServer()
    {
        QFETCH(Backend, backend);
        DbLinkParams p = tlsServer(backend);
        p.tls.mode = DbTls::Off;
        const QString error = openLink(p);
        // MariaDB refuses it as it refuses a wrong password, so both are named.
        const QString expected = backend == Backend::MariaDB
            ? QStringLiteral("数据库服务器 %1 拒绝了用户 %2 的登录：用户名或密码错误，或者服务器只接受加密连接（加密连接设为“关闭”）").arg(server(p), p.user)
            : QStringLiteral("数据库服务器 %1 只接受加密连接，而加密连接设为“关闭”").arg(server(p));
        QVERIFY2(error.startsWith(expected + QLatin1Char('\n')), qPrintable(error));
    }

    void clientCertificateLogsIn_data() { addServerRows(); }
    void clientCertificateLogsIn()
    {
        QFETCH(Backend, backend);
        DbLinkParams p = tlsServer(backend);
        p.user = m_env.value(QStringLiteral("MODEL_TEST_CERT_USER"));
        p.password.clear();
        p.database = backend == Backend::MariaDB ? QString() : QStringLiteral("postgres");
        const QString name = QStringLiteral("tls_cert");
        QVERIFY(!DbConnection::open(p, name).isEmpty());
        p.tls.certFile = cert(QStringLiteral("client.crt"));
        p.tls.keyFile = cert(QStringLiteral("client.key"));
        QCOMPARE(DbConnection::open(p, name), QString());
        QVERIFY(!DbConnection::tlsProtocol(QSqlDatabase::database(name)).isEmpty());
        DbConnection::close(name);
        // One without the other is said before anything is tried.
        p.tls.keyFile.clear();
        QCOMPARE(DbConnection::open(p, name), QStringLiteral("客户端证书和客户端私钥须一同给出"));
    }

    void serverWithoutTls_data() { addServerRows(); }
    void serverWithoutTls()
    {
        // The test bed's servers speak no TLS: preferred falls back to clear text and says so,
        // required and verify refuse before the login.
        if (!TestServers::available())
            QSKIP("no test servers");
        QFETCH(Backend, backend);
        QCOMPARE(TestServers::createDatabase(backend, QStringLiteral("tls_plain"), *m_root), QString());
        DbLinkParams p = TestServers::params(backend, QStringLiteral("tls_plain"), *m_root);
        QCOMPARE(openLink(p), QString());
        QVERIFY2(mgr()->getDbInfo().endsWith(QStringLiteral(" 未加密")), qPrintable(mgr()->getDbInfo()));
        for (DbTls::Mode mode : {DbTls::Required, DbTls::Verify}) {
            p.tls.mode = mode;
            p.tls.caFile = cert(QStringLiteral("ca.crt"));
            const QString error = openLink(p);
            QVERIFY2(error.startsWith(QStringLiteral("数据库服务器 %1 不提供加密连接，而加密连接设为“%2”，连接已拒绝").arg(server(p), DbTls::modeTitle(mode))),
                     qPrintable(error));
            QCOMPARE(blamedField(p), DbConnection::LinkField::Tls);
        }
    }

    void platformConfiguration()
    {
        // database.ini names its files relative to its folder; a mode it does not know is refused.
        const DbLinkParams p = tlsServer(Backend::PostgreSQL);
        QFile::remove(m_root->file(QStringLiteral("etc/trusted.crt")));
        QVERIFY(QFile::copy(p.tls.caFile, m_root->file(QStringLiteral("etc/trusted.crt"))));
        const QByteArray ini = QStringLiteral("[database]\ntype=PostgreSQL\nname=%1\nhost=%2\nport=%3\nuser=%4\npassword=%5\n")
                                   .arg(p.database, p.host)
                                   .arg(p.port)
                                   .arg(p.user, orv_public::IniSettings::escapedValue(p.password))
                                   .toUtf8();
        m_root->writeFile(QStringLiteral("etc/database.ini"), ini + "tls=verify\ntls_ca=trusted.crt\n");
        QCOMPARE(mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM), QString());
        QVERIFY2(mgr()->getDbInfo().contains(QStringLiteral("已加密(TLSv1.")), qPrintable(mgr()->getDbInfo()));

        m_root->writeFile(QStringLiteral("etc/database.ini"), ini + "tls=sometimes\n");
        const QString error = mgr()->initDBLink(DataBaseInterface::LINK_PLATFORM);
        QVERIFY2(error.contains(QStringLiteral("“sometimes”无法识别，可用的方式: off, preferred, required, verify")), qPrintable(error));
        QFile::remove(m_root->file(QStringLiteral("etc/database.ini")));
    }

    void commandLineTools_data() { addServerRows(); }
    void commandLineTools()
    {
        QFETCH(Backend, backend);
        DbLinkParams p = tlsServer(backend);
        Run run = runTool("model_check", toolOptions(p));
        QVERIFY2(run.exitCode == 0, qPrintable(run.error));
        p.tls.caFile = cert(QStringLiteral("other-ca.crt"));
        run = runTool("model_table", toolOptions(p) << QStringLiteral("export") << QStringLiteral("--table") << QStringLiteral("fes_analog")
                                                  << QStringLiteral("--output") << QStringLiteral("-"));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.error.contains(QStringLiteral("（未知的CA）")), qPrintable(run.error));
        // The platform's database has its encryption in database.ini.
        run = runTool("model_check", {QStringLiteral("--tls"), QStringLiteral("verify")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.error.contains(QStringLiteral("go with --type")), qPrintable(run.error));
    }

    void connectionDialog()
    {
        // The dialog keeps the encryption per database type and links with it.
        const DbLinkParams p = tlsServer(Backend::MariaDB);
        {
            LoginDlg dlg;
            auto field = [&](const char *name) { return dlg.findChild<QLineEdit *>(QLatin1String(name)); };
            auto *mode = dlg.findChild<QComboBox *>(QStringLiteral("tlsModeBox"));
            QCOMPARE(mode->currentText(), QStringLiteral("首选"));
            QVERIFY(field("caFileEdit")->isEnabled());
            mode->setCurrentIndex(mode->findData(int(DbTls::Off)));
            QVERIFY(!field("caFileEdit")->isEnabled());
            field("userEdit")->setText(p.user);
            field("passwordEdit")->setText(p.password);
            field("addressEdit")->setText(p.host);
            field("portEdit")->setText(QString::number(p.port));
            field("dbNameEdit")->setText(p.database);
            mode->setCurrentIndex(mode->findData(int(DbTls::Verify)));
            field("caFileEdit")->setText(p.tls.caFile);
            answerModal<LoginDlg>([](LoginDlg *d) { d->findChild<QPushButton *>(QStringLiteral("loginButton"))->click(); });
            QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        }
        QCOMPARE(mgr()->linkParams().tls.mode, DbTls::Verify);
        QVERIFY(!DbConnection::tlsProtocol(QSqlDatabase::database()).isEmpty());
        const orv_public::IniSettings saved(LoginDlg::settingsPath());
        QCOMPARE(saved.value(QStringLiteral("MySQL/login/tls")), QStringLiteral("verify"));
        QCOMPARE(saved.value(QStringLiteral("MySQL/login/tlsca")), p.tls.caFile);

        LoginDlg again;
        auto *mode = again.findChild<QComboBox *>(QStringLiteral("tlsModeBox"));
        QCOMPARE(mode->currentText(), QStringLiteral("验证服务器"));
        again.findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->setCurrentText(QStringLiteral("OpenGauss"));
        QCOMPARE(mode->currentText(), QStringLiteral("首选"));
        QCOMPARE(again.findChild<QLineEdit *>(QStringLiteral("caFileEdit"))->text(), QString());
    }
};

QTEST_MAIN(TlsTest)
#include "tst_tls.moc"
