#include "TestSupport.h"

#include "InstallRoot.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QTest>
#include <QTimer>

#include <memory>

#include <sys/resource.h>

TestRoot::TestRoot()
    : m_previous(qgetenv(InstallRoot::EnvironmentVariable))
{
    const QDir source(QStringLiteral(MODEL_SOURCE_DATA_DIR));
    QDirIterator it(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        if (it.fileName() == QLatin1String("CMakeLists.txt"))
            continue;
        const QString to = QDir(m_dir.path()).filePath(source.relativeFilePath(from));
        QDir().mkpath(QFileInfo(to).absolutePath());
        QFile::copy(from, to);
    }
    for (const char *sub : {"log", "data", "bin", "translations"})
        QDir(m_dir.path()).mkpath(QLatin1String(sub));
    qputenv(InstallRoot::EnvironmentVariable, m_dir.path().toLocal8Bit());
}

TestRoot::~TestRoot()
{
    if (m_previous.isEmpty())
        qunsetenv(InstallRoot::EnvironmentVariable);
    else
        qputenv(InstallRoot::EnvironmentVariable, m_previous);
}

QString TestRoot::file(const QString &relative) const
{
    return QDir(m_dir.path()).filePath(relative);
}

void TestRoot::writeFile(const QString &relative, const QByteArray &content) const
{
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QString backendName(Backend backend)
{
    switch (backend) {
    case Backend::SQLite: return QStringLiteral("sqlite");
    case Backend::MariaDB: return QStringLiteral("mariadb");
    case Backend::PostgreSQL: return QStringLiteral("postgresql");
    }
    return QString();
}

QList<Backend> availableBackends()
{
    QList<Backend> list{Backend::SQLite};
    if (TestServers::available())
        list << Backend::MariaDB << Backend::PostgreSQL;
    return list;
}

QList<Backend> benchBackends()
{
    if (!TestServers::available())
        QTextStream(stdout) << "(no test servers: set MODEL_TEST_SERVERS_ENV, see bench/run_bench.sh; SQLite only)\n";
    return availableBackends();
}

void addBackendRows()
{
    QTest::addColumn<Backend>("backend");
    for (Backend b : availableBackends())
        QTest::newRow(qPrintable(backendName(b))) << b;
}

namespace {

const QHash<QString, QString> &serverValues()
{
    static const QHash<QString, QString> values = serversEnv(qEnvironmentVariable("MODEL_TEST_SERVERS_ENV"));
    return values;
}

QString runAdmin(Backend backend, const QStringList &sqls, const TestRoot &root, int port)
{
    DbLinkParams admin = TestServers::params(backend, backend == Backend::PostgreSQL ? QStringLiteral("postgres") : QString(), root, port);
    const QString name = QStringLiteral("test_admin");
    QString error = DbConnection::open(admin, name);
    if (!error.isEmpty())
        return error;
    {
        QSqlDatabase db = QSqlDatabase::database(name);
        QSqlQuery q(db);
        for (const QString &sql : sqls) {
            if (!q.exec(sql)) {
                error = sql + QStringLiteral(": ") + q.lastError().text();
                break;
            }
        }
    }
    DbConnection::close(name);
    return error;
}

} // namespace

QHash<QString, QString> serversEnv(const QString &path)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        QString value = line.mid(eq + 1);
        if (value.size() >= 2 && (value.startsWith(QLatin1Char('\'')) || value.startsWith(QLatin1Char('"'))))
            value = value.mid(1, value.size() - 2);
        values.insert(line.left(eq), value);
    }
    return values;
}

bool TestServers::available()
{
    return serverValues().contains(QStringLiteral("MODEL_TEST_MYSQL_PORT"));
}

bool TestServers::availableWhereRequired()
{
    return !qEnvironmentVariableIsSet("MODEL_TEST_REQUIRE_SERVERS") || available();
}

QString TestServers::value(const QString &key)
{
    return serverValues().value(key);
}

DbLinkParams TestServers::params(Backend backend, const QString &database, const TestRoot &root, int port)
{
    DbLinkParams p;
    p.database = database;
    p.host = QStringLiteral("127.0.0.1");
    p.user = value(QStringLiteral("MODEL_TEST_USER"));
    p.password = value(QStringLiteral("MODEL_TEST_PASSWORD"));
    switch (backend) {
    case Backend::SQLite:
        p.type = orv_dbms::DB_SQLITE;
        p.database = root.file(QStringLiteral("data/%1.sqlite").arg(database));
        break;
    case Backend::MariaDB:
        p.type = orv_dbms::DB_MYSQL;
        p.port = port ? port : value(QStringLiteral("MODEL_TEST_MYSQL_PORT")).toInt();
        break;
    case Backend::PostgreSQL:
        p.type = orv_dbms::DB_OPENGAUSS;
        p.port = port ? port : value(QStringLiteral("MODEL_TEST_PGSQL_PORT")).toInt();
        break;
    }
    return p;
}

QString TestServers::createDatabase(Backend backend, const QString &database, const TestRoot &root, int port)
{
    switch (backend) {
    case Backend::SQLite: {
        const QString path = params(backend, database, root).database;
        QFile::remove(path);
        QFile f(path);
        return f.open(QIODevice::WriteOnly) ? QString() : f.errorString();
    }
    case Backend::MariaDB:
        return runAdmin(backend, {QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database),
                                  QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_bin").arg(database)},
                        root, port);
    case Backend::PostgreSQL:
        return runAdmin(backend, {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database),
                                  QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8'").arg(database)},
                        root, port);
    }
    return QString();
}

QString replicaServers(const QStringList &args, const QString &stateDir)
{
    return serverScript(QStringLiteral("replicaservers.sh"), args, stateDir);
}

QString serverScript(const QString &script, QStringList args, const QString &stateDir)
{
    args.prepend(QStringLiteral(MODEL_SOURCE_DIR "/tests/servers/") + script);
    args.append(stateDir);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("bash"), args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return args.join(QLatin1Char(' ')) + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll());
    return QString();
}

QString createDemoDatabase(Backend backend, const QString &database, const TestRoot &root,
                           const DemoOptions &options, DbLinkParams *params, QList<SeededDefect> *defects, int port)
{
    QString error = TestServers::createDatabase(backend, database, root, port);
    if (!error.isEmpty())
        return error;
    const DbLinkParams p = TestServers::params(backend, database, root, port);
    const QString name = QStringLiteral("test_demo");
    error = DbConnection::open(p, name);
    if (!error.isEmpty())
        return error;
    {
        QSqlDatabase db = QSqlDatabase::database(name);
        DemoGenerator generator(options);
        error = generator.write(db, InstallRoot::tablesDir());
        if (defects)
            *defects = generator.seededDefects();
    }
    DbConnection::close(name);
    if (params)
        *params = p;
    return error;
}

namespace {

// A kept server database answers, and its biggest table has rows.
bool keptDatabaseAnswers(const DbLinkParams &p)
{
    const QString name = QStringLiteral("bench_kept");
    bool answers = DbConnection::open(p, name).isEmpty();
    if (answers) {
        QSqlQuery query(QSqlDatabase::database(name));
        answers = query.exec(QStringLiteral("SELECT COUNT(*) FROM analog")) && query.next() && query.value(0).toLongLong() > 0;
    }
    DbConnection::close(name);
    return answers;
}

} // namespace

QString benchDemoDatabase(Backend backend, const QString &database, const TestRoot &root, const DemoOptions &options,
                          DbLinkParams *params)
{
    const QString keepIn = qEnvironmentVariable("MODEL_BENCH_DEMO_DIR");
    if (keepIn.isEmpty())
        return createDemoDatabase(backend, database, root, options, params);
    QDir().mkpath(keepIn);
    DbLinkParams p = TestServers::params(backend, database, root);
    const QString kept = QStringLiteral("%1/%2.sqlite").arg(keepIn, database);
    const QString complete = QStringLiteral("%1/%2.%3.%4.complete").arg(keepIn, database, backendName(backend)).arg(p.port);
    if (backend == Backend::SQLite)
        p.database = kept;
    const bool isKept = backend == Backend::SQLite ? QFile::exists(kept) : QFile::exists(complete) && keptDatabaseAnswers(p);
    if (!isKept) {
        QFile::remove(complete);
        const QString error = createDemoDatabase(backend, database, root, options, &p);
        if (!error.isEmpty())
            return error;
        if (backend == Backend::SQLite && !QFile::rename(p.database, kept))
            return QStringLiteral("cannot move %1 to %2").arg(p.database, kept);
        if (backend == Backend::SQLite)
            p.database = kept;
        QFile marker(complete);
        if (backend != Backend::SQLite && !marker.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write %1").arg(complete);
    }
    *params = p;
    return QString();
}

QString openDemo(Backend backend, const QString &database, const TestRoot &root, const DemoOptions &options,
                 DbLinkParams *params)
{
    DbLinkParams p;
    QString error = createDemoDatabase(backend, database, root, options, &p);
    if (error.isEmpty())
        error = openLink(p);
    if (params)
        *params = p;
    return error;
}

QString openLink(const DbLinkParams &p)
{
    return OrvTableDataMgr::getInstance()->initDBLink(DataBaseInterface::LINK_DIRECT, p.user, p.password, p.host,
                                                      p.port, p.database, p.type, p.tls);
}

QString runOnLink(const QStringList &sqls)
{
    QSqlQuery query(QSqlDatabase::database());
    // Cached models read again, as after any write.
    OrvTableDataMgr::getInstance()->noteDataChanged();
    for (const QString &sql : sqls)
        if (!query.exec(sql))
            return sql + QStringLiteral(": ") + query.lastError().text();
    return QString();
}

namespace {

double cpuSecondsOf(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

double clientSeconds(Backend backend, const DbLinkParams &p, const QStringList &sqls, const QString &scratch, QString *error,
                     double *cpu)
{
    QFile file(scratch);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = file.errorString();
        return 0;
    }
    const bool wrap = backend != Backend::PostgreSQL; // psql -1 wraps it itself
    if (wrap)
        file.write(backend == Backend::MariaDB ? "START TRANSACTION;\n" : "BEGIN;\n");
    file.write(sqls.join(QLatin1Char('\n')).toUtf8());
    file.write(wrap ? "\nCOMMIT;\n" : "\n");
    file.close();

    QProcess client;
    client.setStandardInputFile(scratch);
    QString program;
    QStringList args;
    switch (backend) {
    case Backend::SQLite:
        program = QStringLiteral("sqlite3");
        args << p.database;
        break;
    case Backend::MariaDB:
        program = QStringLiteral("mariadb");
        args << QStringLiteral("--no-defaults") << QStringLiteral("-h") << p.host << QStringLiteral("-P")
             << QString::number(p.port) << QStringLiteral("-u") << p.user << QStringLiteral("-p") + p.password << p.database;
        break;
    case Backend::PostgreSQL: {
        program = QStringLiteral("psql");
        args << QStringLiteral("-1") << QStringLiteral("-q") << QStringLiteral("-v") << QStringLiteral("ON_ERROR_STOP=1")
             << QStringLiteral("-h") << p.host << QStringLiteral("-p") << QString::number(p.port) << QStringLiteral("-U")
             << p.user << QStringLiteral("-d") << p.database;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSWORD"), p.password);
        client.setProcessEnvironment(env);
        break;
    }
    }
    client.setStandardOutputFile(QProcess::nullDevice());
    // Counted once the client has ended and been reaped.
    const double cpuBefore = cpuSecondsOf(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    client.start(program, args);
    client.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (cpu)
        *cpu = cpuSecondsOf(RUSAGE_CHILDREN) - cpuBefore;
    if (client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0)
        *error = program + QStringLiteral(": ") + QString::fromLocal8Bit(client.readAllStandardError());
    return seconds;
}

void useOffscreenPlatformByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

double cpuSeconds()
{
    return cpuSecondsOf(RUSAGE_SELF);
}

QVector<int> parseIntOptions(const QCoreApplication &app, const QList<IntOption> &options)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    for (const IntOption &o : options)
        parser.addOption({QLatin1String(o.name), QLatin1String(o.help), QStringLiteral("n"), QString::number(o.value)});
    parser.process(app);
    QVector<int> values;
    for (const IntOption &o : options)
        values.append(parser.value(QLatin1String(o.name)).toInt());
    return values;
}

void answerModalMatching(const std::function<bool(QWidget *)> &matches, const std::function<void(QWidget *)> &answer,
                         int timeoutMs)
{
    auto *timer = new QTimer(qApp);
    auto remaining = std::make_shared<int>(timeoutMs / 20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, matches, answer, remaining] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && matches(modal)) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (--*remaining <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

QVariant shownData(const QModelIndex &index)
{
    QModelIndex source = index;
    while (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(source.model()))
        source = proxy->mapToSource(source);
    const auto *table = qobject_cast<const OrvTableModel *>(source.model());
    // The model reads only the window asked for last, as a view asks again each time it paints:
    // asked once, a row a repaint asked past would never come.
    const bool read = !table || QTest::qWaitFor([&] {
        index.data();
        return !table->awaitsRead(source.row());
    }, 10000);
    if (!read)
        qWarning("row %d was not read within 10 s", source.row());
    return index.data();
}

void answerNextModal(const std::function<void(QWidget *)> &answer, int timeoutMs)
{
    answerModalMatching([](QWidget *) { return true; }, answer, timeoutMs);
}

void answerMessageBox(QString *text, int timeoutMs)
{
    answerModal<QMessageBox>([text](QMessageBox *box) {
        if (text)
            *text = box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(box->standardButtons().testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes)->click();
    }, timeoutMs);
}

void answerExportDialog(const QString &path, bool whole, QString *message)
{
    const auto isExport = [](QWidget *w) {
        return w->findChild<QLineEdit *>(QStringLiteral("lineEditFile")) && w->findChild<QRadioButton *>(QStringLiteral("radioWhole"));
    };
    answerModalMatching(isExport, [path, whole, message](QWidget *dlg) {
        const bool xlsx = path.endsWith(QLatin1String(".xlsx"));
        dlg->findChild<QRadioButton *>(QLatin1String(whole ? "radioWhole" : "radioShown"))->setChecked(true);
        dlg->findChild<QRadioButton *>(QLatin1String(xlsx ? "radioXlsx" : "radioCsv"))->setChecked(true);
        dlg->findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(path);
        // A file that is there already is replaced after a question.
        if (QFileInfo::exists(path))
            answerModal<QMessageBox>([message](QMessageBox *box) {
                answerMessageBox(message);
                box->button(QMessageBox::Yes)->click();
            });
        else
            answerMessageBox(message);
        qobject_cast<QDialog *>(dlg)->accept();
    });
}
