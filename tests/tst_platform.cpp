// The common, utility, logging and message-bus libraries.
#include "TestSupport.h"

#include "AppLog.h"
#include "CFileUtil.h"
#include "DebugSwitch.h"
#include "Common.h"
#include "DemoGenerator.h"
#include "IniSettings.h"
#include "InstallRoot.h"
#include "MsgBus.h"
#include "OrvLog.h"
#include "PasswordHash.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <stdexcept>

class PlatformTest : public QObject
{
    Q_OBJECT

private:
    static QString readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void rootFollowsEnvironment()
    {
        TestRoot root;
        QCOMPARE(InstallRoot::path(), QDir::cleanPath(root.path()));
        QCOMPARE(InstallRoot::tablesDir(), QDir::cleanPath(root.path() + QStringLiteral("/tables")));
        QCOMPARE(InstallRoot::filePath(QStringLiteral("/abs/x")), QStringLiteral("/abs/x"));
    }

    void rootDefaultsToParentOfBinaries()
    {
        const QByteArray saved = qgetenv(InstallRoot::EnvironmentVariable);
        qunsetenv(InstallRoot::EnvironmentVariable);
        const QString expected = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
        QCOMPARE(InstallRoot::path(), expected);
        qputenv(InstallRoot::EnvironmentVariable, saved);
    }

    void commonPaths()
    {
        TestRoot root;
        Common::initPath();
        QCOMPARE(Common::getTreePath(QStringLiteral("mainWindow.xml")), root.file(QStringLiteral("config/mainWindow.xml")));
        QCOMPARE(Common::getTreePath(QStringLiteral("../fileLogic/configcheck.xml")),
                 root.file(QStringLiteral("fileLogic/configcheck.xml")));
        QCOMPARE(Common::getModelConfigPath() + QStringLiteral("/ModelConfig.ini"), root.file(QStringLiteral("etc/ModelConfig.ini")));
        QCOMPARE(Common::getTranslatePath(QStringLiteral("qt_zh_CN.qm")), root.file(QStringLiteral("translations/qt_zh_CN.qm")));
        QVERIFY(!Common::getSoftwareVersion().isEmpty());
    }

    void styleSheetIsTheSheetItself()
    {
        TestRoot root;
        QCOMPARE(Common::getStyleSheetPath(QStringLiteral("missing.qss")), QString());
        root.writeFile(QStringLiteral("style/t.qss"), "QLabel { color: #123456; }");
        const QString sheet = Common::getStyleSheetPath(QStringLiteral("t.qss"));
        QCOMPARE(sheet, QStringLiteral("QLabel { color: #123456; }"));
        qApp->setStyleSheet(sheet);
        QLabel label;
        label.ensurePolished();
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(0x12, 0x34, 0x56));
        qApp->setStyleSheet(QString());
    }

    void pluginRegistry()
    {
        QWidget window;
        QVERIFY(!Common::createPluginWidget(&window, QStringLiteral("NoSuchPlugin"), {}));
        QStringList received;
        Common::registerPlugin(QStringLiteral("TestPage"), [&](QWidget *parent, const QStringList &params) {
            received = params;
            return new QLabel(parent);
        });
        QVariant a{QStringLiteral("a")}, empty{QString()}, b{QStringLiteral("b")};
        QWidget *page = Common::createPluginWidget(&window, QStringLiteral("TestPage"), QVector<void *>{&a, &empty, &b});
        QVERIFY(page);
        QCOMPARE(page->parentWidget(), &window);
        QCOMPARE(received, (QStringList{"a", "", "b"}));
        QVERIFY(Common::pluginNames().contains(QStringLiteral("TestPage")));
    }

    void fileUtil()
    {
        QCOMPARE(QString::fromLatin1(orv_public::CFileUtil::getProcSuffix()), QString());
        const std::string self = QCoreApplication::applicationName().toStdString();
        QCOMPARE(QString::fromStdString(orv_public::CFileUtil::getPathOfBinFile(self, nullptr)),
                 QCoreApplication::applicationFilePath());
        std::string error;
        QVERIFY(orv_public::CFileUtil::getPathOfBinFile("model_no_such_program", &error).empty());
        QVERIFY(!error.empty());
    }

    void loggingWritesRecordsWithSource()
    {
        TestRoot root;
        bool ok = true;
        orv_public::getLogger(ok);
        QVERIFY(!ok);
        orv_public::StartLogSystem("MODEL", "model_test");
        orv_public::getLogger(ok);
        QVERIFY(ok);
        // Logs name accounts and values: no one else reads them.
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
            | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        for (const char *path : {"log", "log/model_test.log", "log/audit.log"})
            QVERIFY2(!(QFile(root.file(QLatin1String(path))).permissions() & others), path);
        ORV_LOG_DEBUG(QStringLiteral("model_varnix begin run...."));
        ORV_LOG_ERROR(QStringLiteral("读取%s文件错误"));
        orv_public::StopLogSystem();
        orv_public::getLogger(ok);
        QVERIFY(!ok);
        const QString log = readAll(root.file(QStringLiteral("log/model_test.log")));
        QVERIFY2(log.contains(QStringLiteral("DEBUG [MODEL.model_test] model_varnix begin run....")), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("ERROR [MODEL.model_test] 读取%s文件错误")));
        QVERIFY(log.contains(QStringLiteral("tst_platform.cpp")));
        QVERIFY(log.contains(QStringLiteral("loggingWritesRecordsWithSource")));
        ORV_LOG_DEBUG(QStringLiteral("after stop"));
        QVERIFY(!readAll(root.file(QStringLiteral("log/model_test.log"))).contains(QStringLiteral("after stop")));
    }

    void loggingHonoursItsConfiguration()
    {
        TestRoot root;
        root.writeFile(QStringLiteral("etc/log4cplus.properties"),
                       "log4cplus.rootLogger=ERROR, F\n"
                       "log4cplus.appender.F=log4cplus::FileAppender\n"
                       "log4cplus.appender.F.File=custom.log\n"
                       "log4cplus.appender.F.layout=log4cplus::PatternLayout\n"
                       "log4cplus.appender.F.layout.ConversionPattern=%p %m%n\n");
        orv_public::StartLogSystem("MODEL", "model_test");
        ORV_LOG_DEBUG(QStringLiteral("hidden"));
        ORV_LOG_ERROR(QStringLiteral("shown"));
        orv_public::StopLogSystem();
        QCOMPARE(readAll(root.file(QStringLiteral("log/custom.log"))), QStringLiteral("ERROR shown\n"));
    }

    void releaseBuildsLogAtInfoUnlessSwitched_data()
    {
        QTest::addColumn<QByteArray>("debugSwitch");
        QTest::addColumn<bool>("debugShown");
#ifdef NDEBUG
        QTest::newRow("release, switch off") << QByteArray("0") << false;
#endif
        QTest::newRow("switch on") << QByteArray("1") << true;
    }

    void releaseBuildsLogAtInfoUnlessSwitched()
    {
        QFETCH(QByteArray, debugSwitch);
        QFETCH(bool, debugShown);
        TestRoot root;
        const QByteArray previous = qgetenv(orv_public::DebugVariable);
        qputenv(orv_public::DebugVariable, debugSwitch);
        orv_public::StartLogSystem("MODEL", "model_test");
        ORV_LOG_DEBUG(QStringLiteral("debug record"));
        ORV_LOG_WARN(QStringLiteral("warning record"));
        orv_public::StopLogSystem();
        qputenv(orv_public::DebugVariable, previous);
        const QString log = readAll(root.file(QStringLiteral("log/model_test.log")));
        QCOMPARE(log.contains(QStringLiteral("debug record")), debugShown);
        QVERIFY(log.contains(QStringLiteral("warning record")));
    }

    void configurationOfAnOptTreeIsInEtcOpt()
    {
        QCOMPARE(InstallRoot::etcDirOf(QStringLiteral("/opt/model_varnix")), QStringLiteral("/etc/opt/model_varnix"));
        QCOMPARE(InstallRoot::etcDirOf(QStringLiteral("/opt/model_varnix/")), QStringLiteral("/etc/opt/model_varnix"));
        QCOMPARE(InstallRoot::etcDirOf(QStringLiteral("/opt/vendor/model_varnix")), QStringLiteral("/opt/vendor/model_varnix/etc"));
        QCOMPARE(InstallRoot::etcDirOf(QStringLiteral("/usr/local/model_varnix")), QStringLiteral("/usr/local/model_varnix/etc"));
        TestRoot root;
        QCOMPARE(InstallRoot::etcDir(), root.file(QStringLiteral("etc")));
    }

    // The user's file, then the administrator's defaults, then the built-in default; a save
    // writes the user's values only, so a later change of the defaults still reaches the user.
    void userSettingsLieOverSystemDefaults()
    {
        TestRoot root;
        QTemporaryDir user;
        root.writeFile(QStringLiteral("etc/ModelConfig.ini"), "[ui]\nshowBatchEditors=true\nlanguage=en\n[MySQL]\nlogin\\ip=10.0.0.1\n");
        const QString userFile = user.filePath(QStringLiteral("ModelConfig.ini"));
        orv_public::IniSettings own(userFile);
        own.setValue(QStringLiteral("ui/language"), QStringLiteral("zh"));
        QCOMPARE(own.save(), QString());
        QFile bad(userFile);
        QVERIFY(bad.open(QIODevice::Append));
        bad.write("[MySQL]\nlogin\\ip=@Variant(\\0\\0\\0\\x7f)\n");
        bad.close();

        orv_public::IniSettings layered(userFile, root.file(QStringLiteral("etc/ModelConfig.ini")));
        QCOMPARE(layered.value(QStringLiteral("ui/language")), QStringLiteral("zh"));
        QVERIFY(layered.boolValue(QStringLiteral("ui/showBatchEditors"), false));
        QCOMPARE(layered.value(QStringLiteral("MySQL/login/ip")), QStringLiteral("10.0.0.1"));
        QCOMPARE(layered.value(QStringLiteral("MySQL/login/user"), QStringLiteral("root")), QStringLiteral("root"));
        layered.setValue(QStringLiteral("MySQL/login/user"), QStringLiteral("velm"));
        QCOMPARE(layered.save(), QString());
        const QString written = readAll(userFile);
        QVERIFY2(!written.contains(QStringLiteral("showBatchEditors")), qPrintable(written));
        QVERIFY(written.contains(QStringLiteral("user=velm")));
    }

    void languageFollowsSwitchThenLocale_data()
    {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lcMessages");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QString>("language");
        QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << QByteArray() << "zh";
        QTest::newRow("Chinese locale") << QByteArray() << QByteArray() << QByteArray("zh_CN.UTF-8") << QByteArray() << "zh";
        QTest::newRow("English locale") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8") << QByteArray() << "en";
        QTest::newRow("C locale") << QByteArray() << QByteArray() << QByteArray("C.UTF-8") << QByteArray() << "zh";
        QTest::newRow("LC_ALL before LANG") << QByteArray("C") << QByteArray() << QByteArray("en_US.UTF-8") << QByteArray() << "zh";
        QTest::newRow("LC_MESSAGES before LANG") << QByteArray() << QByteArray("en_GB.UTF-8") << QByteArray("zh_CN.UTF-8") << QByteArray() << "en";
        QTest::newRow("switch auto") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8") << QByteArray("auto") << "en";
        QTest::newRow("switch zh") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8") << QByteArray("zh") << "zh";
        QTest::newRow("switch en") << QByteArray() << QByteArray() << QByteArray() << QByteArray("en") << "en";
    }

    void languageFollowsSwitchThenLocale()
    {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lcMessages);
        QFETCH(QByteArray, lang);
        QFETCH(QByteArray, setting);
        QFETCH(QString, language);
        TestRoot root;
        if (!setting.isEmpty())
            root.writeFile(QStringLiteral("etc/ModelConfig.ini"), "[ui]\nlanguage=" + setting + "\n");
        const char *const names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        const QByteArray values[] = {lcAll, lcMessages, lang};
        QByteArray previous[3];
        for (int i = 0; i < 3; ++i) {
            previous[i] = qgetenv(names[i]);
            qputenv(names[i], values[i]);
        }
        Common::initPath();
        const QString chosen = Common::uiLanguage();
        for (int i = 0; i < 3; ++i)
            qputenv(names[i], previous[i]);
        QCOMPARE(chosen, language);
    }

    void loggingFailureIsExplained()
    {
        TestRoot root;
        // A file where the log directory should be.
        QDir(root.path()).rmdir(QStringLiteral("log"));
        root.writeFile(QStringLiteral("log"), "not a directory");
        try {
            orv_public::StartLogSystem("MODEL", "model_test");
            QFAIL("no exception");
        } catch (const std::exception &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(root.file(QStringLiteral("log"))), e.what());
        }
        bool ok = true;
        orv_public::getLogger(ok);
        QVERIFY(!ok);
    }

    void messageBusInAnyOrder()
    {
        QVERIFY(!orv_net::releaseMsgBus());
        QCOMPARE(orv_net::subscribe(QStringLiteral("t"), [](const QByteArray &) {}), 0);
        QVERIFY(orv_net::initMsgBus("model", "varnix", true));
        QVERIFY(orv_net::initMsgBus("model", "varnix", true));
        QCOMPARE(orv_net::msgBusIdentity(), QStringLiteral("model.varnix"));
        QByteArray got;
        const int id = orv_net::subscribe(QStringLiteral("t"), [&](const QByteArray &p) { got = p; });
        QVERIFY(id > 0);
        QCOMPARE(orv_net::publish(QStringLiteral("t"), "hello"), 1);
        QCOMPARE(got, QByteArray("hello"));
        QCOMPARE(orv_net::publish(QStringLiteral("other"), "x"), 0);
        orv_net::unsubscribe(id);
        QCOMPARE(orv_net::publish(QStringLiteral("t"), "again"), 0);
        QVERIFY(orv_net::releaseMsgBus());
        QVERIFY(!orv_net::isMsgBusRunning());
        QCOMPARE(orv_net::publish(QStringLiteral("t"), "late"), 0);
    }

    void settingsFilesAreReadDefensively()
    {
        TestRoot root;
        // Serialized variants (one of which makes Qt's own reader abort) read as their defaults.
        root.writeFile(QStringLiteral("etc/a.ini"),
                       "[MySQL]\nlogin\\user=@Variant(\\0\\0\\0\\v\\x7f\\xff\\xff\\xff)\n"
                       "login\\psw=ab,cd\nlogin\\ip=ab;cd\nlogin\\port=\"33,06\"\nlogin\\dbname=\\x6570\\x636e\n"
                       "[login]\ndbtype=@@at\n[ui]\nshowBatchEditors=True\n");
        const orv_public::IniSettings ini(root.file(QStringLiteral("etc/a.ini")));
        QCOMPARE(ini.value(QStringLiteral("MySQL/login/user"), QStringLiteral("root")), QStringLiteral("root"));
        QVERIFY(ini.isUnreadable(QStringLiteral("MySQL/login/user")));
        QCOMPARE(ini.unreadable().size(), 1);
        // Hand-written values are read whole.
        QCOMPARE(ini.value(QStringLiteral("MySQL/login/psw")), QStringLiteral("ab,cd"));
        QCOMPARE(ini.value(QStringLiteral("MySQL/login/ip")), QStringLiteral("ab;cd"));
        QCOMPARE(ini.value(QStringLiteral("MySQL/login/port")), QStringLiteral("33,06"));
        QCOMPARE(ini.value(QStringLiteral("MySQL/login/dbname")), QStringLiteral("数据"));
        QCOMPARE(ini.value(QStringLiteral("login/dbtype")), QStringLiteral("@at"));
        QVERIFY(ini.boolValue(QStringLiteral("ui/showBatchEditors"), false));
        QVERIFY(!ini.boolValue(QStringLiteral("ui/nothing"), false));

        // What it writes, Qt's settings class reads back unchanged, and the other way round.
        const QStringList values = {QStringLiteral("p'w 密码"), QStringLiteral("a,b;c=d"), QStringLiteral(" lead"),
                                    QStringLiteral("@x"), QStringLiteral("tab\there\"\\"), QStringLiteral("\x01" "0f"), QString()};
        orv_public::IniSettings out(root.file(QStringLiteral("etc/sub/b.ini")));
        for (int i = 0; i < values.size(); ++i)
            out.setValue(QStringLiteral("S%1/login/k").arg(i), values.at(i));
        QCOMPARE(out.save(), QString());
        const QFileDevice::Permissions mode = QFile::permissions(root.file(QStringLiteral("etc/sub/b.ini")));
        QVERIFY(mode.testFlag(QFileDevice::ReadOwner) && mode.testFlag(QFileDevice::WriteOwner));
        QVERIFY(!(mode & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther)));
        QSettings qt(root.file(QStringLiteral("etc/sub/b.ini")), QSettings::IniFormat);
        const orv_public::IniSettings back(root.file(QStringLiteral("etc/sub/b.ini")));
        for (int i = 0; i < values.size(); ++i) {
            QCOMPARE(qt.value(QStringLiteral("S%1/login/k").arg(i)).toString(), values.at(i));
            QCOMPARE(back.value(QStringLiteral("S%1/login/k").arg(i), QStringLiteral("?")), values.at(i));
            qt.setValue(QStringLiteral("T%1/login/k").arg(i), values.at(i));
        }
        qt.sync();
        const orv_public::IniSettings fromQt(root.file(QStringLiteral("etc/sub/b.ini")));
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(fromQt.value(QStringLiteral("T%1/login/k").arg(i), QStringLiteral("?")), values.at(i));

        // A folder that cannot be made: the save says why.
        root.writeFile(QStringLiteral("blocked"), "a file where a folder should be");
        orv_public::IniSettings nowhere(root.file(QStringLiteral("blocked/c.ini")));
        nowhere.setValue(QStringLiteral("a/b"), QStringLiteral("c"));
        QVERIFY(!nowhere.save().isEmpty());
    }

    void demoSizes()
    {
        // At least the points asked for, and not many more, up to the largest system.
        for (int points : {1, 10000, 100000, 178205, 1000000, 2000000, DemoOptions::maxPointCount()}) {
            const DemoGenerator generator(DemoOptions::forPointCount(points));
            QVERIFY2(generator.backStagePointCount() >= points, qPrintable(QString::number(points)));
            QVERIFY2(generator.backStagePointCount() - points < qMax(points / 40, 3600),
                     qPrintable(QString::number(generator.backStagePointCount())));
        }
        QCOMPARE(DemoOptions::maxPointCount(), 4544100);
    }

    void perUserFiles_data()
    {
        QTest::addColumn<bool>("installedTree");
        QTest::newRow("MODEL_VARNIX_PER_USER=1") << false;
        // Writable, as the package's tree is for root: the mark alone decides.
        QTest::newRow("installed tree") << true;
    }

    void perUserFiles()
    {
        QFETCH(bool, installedTree);
        TestRoot root;
        // A build tree keeps its files beside the root.
        QVERIFY(!InstallRoot::isPerUser());
        QCOMPARE(InstallRoot::logDir(), root.file(QStringLiteral("log")));
        if (installedTree)
            root.writeFile(QLatin1String(InstallRoot::InstalledMark), QByteArray());
        else
            qputenv(InstallRoot::PerUserVariable, "1");
        QStandardPaths::setTestModeEnabled(true);
        const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/model_varnix");
        QDir(user).removeRecursively();
        QVERIFY(InstallRoot::isPerUser());
        QCOMPARE(InstallRoot::userPath(), user);
        Common::initPath();
        // Written files go to the user's folder; what the tool only reads stays below the root.
        QCOMPARE(Common::getModelConfigPath(), user + QStringLiteral("/etc"));
        QCOMPARE(Common::getTreePath(QStringLiteral("mainWindow.xml")), root.file(QStringLiteral("config/mainWindow.xml")));
        orv_public::StartLogSystem("MODEL", "model_varnix");
        ORV_LOG_DEBUG(QStringLiteral("per-user"));
        orv_public::StopLogSystem();
        QVERIFY(readAll(user + QStringLiteral("/log/model_varnix.log")).contains(QStringLiteral("per-user")));
        QVERIFY(!QFile::exists(root.file(QStringLiteral("log/model_varnix.log"))));
        // The shipped demo database is copied at the first use and kept afterwards.
        root.writeFile(QStringLiteral("data/demo.sqlite"), "shipped");
        QString error;
        const QString copy = InstallRoot::provideUserFile(QStringLiteral("data/demo.sqlite"), &error);
        QCOMPARE(error, QString());
        QCOMPARE(copy, user + QStringLiteral("/data/demo.sqlite"));
        QCOMPARE(readAll(copy), QStringLiteral("shipped"));
        QFile mine(copy);
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
        mine.close();
        InstallRoot::provideUserFile(QStringLiteral("data/demo.sqlite"), &error);
        QCOMPARE(readAll(copy), QStringLiteral("mine"));
        QDir(user).removeRecursively();
        qunsetenv(InstallRoot::PerUserVariable);
        QStandardPaths::setTestModeEnabled(false);
        Common::initPath();
    }

    void passwordHashes()
    {
        using namespace orv_public::PasswordHash;
        const QString stored = make(QStringLiteral("p'w 密码"));
        QVERIFY(!stored.contains(QStringLiteral("p'w")));
        QVERIFY(verify(QStringLiteral("p'w 密码"), stored));
        QVERIFY(!verify(QStringLiteral("p'w 密码 "), stored));
        QVERIFY(make(QStringLiteral("x")) != make(QStringLiteral("x")));
        QVERIFY(!verify(QStringLiteral("x"), QStringLiteral("garbage")));
        QVERIFY(!verify(QStringLiteral("x"), QStringLiteral("pbkdf2-sha256$0$00$00")));
        QVERIFY(stored.startsWith(QStringLiteral("$argon2id$")));
        QVERIFY(!needsRehash(stored));
        // Records of the older kind still log in, and ask to be stored again.
        const QString old = makePbkdf2(QStringLiteral("p'w 密码"), "0123456789abcdef", 20000);
        QVERIFY(verify(QStringLiteral("p'w 密码"), old));
        QVERIFY(!verify(QStringLiteral("p'w"), old));
        QVERIFY(needsRehash(old));
        // RFC 7914 test vector of PBKDF2-HMAC-SHA256 (1 iteration, first 32 bytes).
        QCOMPARE(makePbkdf2(QStringLiteral("passwd"), "salt", 1).section(QLatin1Char('$'), 3),
                 QStringLiteral("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"));
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
