// model_demo: creates the schema of the table definitions and fills a demo configuration database.
// Exit status: 0 done, 1 the database refused the demo system, 2 a wrong command line or no link.
#include "Common.h"
#include "DbConnection.h"
#include "DemoGenerator.h"
#include "InstallRoot.h"
#include "TlsOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

enum ExitCode { Done = 0, Refused = 1, Trouble = 2 };

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Databases of the server itself, never to be filled with a demo system.
bool isSystemDatabase(orv_dbms::EDbType type, const QString &name)
{
    static const QStringList mysql{"mysql", "information_schema", "performance_schema", "sys"};
    static const QStringList postgres{"template0", "template1"};
    const QStringList &system = type == orv_dbms::DB_MYSQL ? mysql : postgres;
    return type != orv_dbms::DB_SQLITE && system.contains(name.toLower());
}

bool prepareSqliteFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::ReadWrite);
}

// A whole number from min on, or the reason it is not.
bool readNumber(const QCommandLineParser &parser, const char *option, int min, int *value)
{
    bool ok = false;
    *value = parser.value(QLatin1String(option)).trimmed().toInt(&ok);
    if (ok && *value >= min)
        return true;
    err() << "model_demo: --" << option << " takes a whole number of at least " << min << ", not "
          << parser.value(QLatin1String(option)) << "\n";
    return false;
}

// An identifier as the server quotes it.
QString quotedName(orv_dbms::EDbType type, QString name)
{
    const QChar quote = type == orv_dbms::DB_MYSQL ? QLatin1Char('`') : QLatin1Char('"');
    name.replace(quote, QString(2, quote));
    return quote + name + quote;
}

// Creates the database on its server unless it is there already; empty text, or why not.
QString createDatabase(const DbLinkParams &params)
{
    const bool mysql = params.type == orv_dbms::DB_MYSQL;
    DbLinkParams server = params;
    // MariaDB connects without a database; PostgreSQL to the one every server has.
    server.database = mysql ? QString() : QStringLiteral("postgres");
    const QString connection = QStringLiteral("model_demo_server");
    QString error = DbConnection::open(server, connection);
    if (error.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::database(connection);
        QSqlQuery query(db);
        query.prepare(mysql ? QStringLiteral("SELECT 1 FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = ?")
                            : QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
        query.addBindValue(params.database);
        const QString create = QStringLiteral("CREATE DATABASE %1 %2")
                                   .arg(quotedName(params.type, params.database),
                                        mysql ? QStringLiteral("CHARACTER SET utf8mb4 COLLATE utf8mb4_bin") : QStringLiteral("ENCODING 'UTF8'"));
        if (!query.exec())
            error = query.lastError().text();
        else if (!query.next() && !query.exec(create))
            error = query.lastError().text();
    }
    DbConnection::close(connection);
    return error;
}

// Fills the database; the generator is left for the caller to ask what it wrote.
int fill(const DbLinkParams &params, DemoGenerator &generator, bool report)
{
    const QString connection = QStringLiteral("model_demo");
    const QString openError = DbConnection::open(params, connection);
    if (!openError.isEmpty()) {
        err() << "model_demo: " << openError << "\n";
        return Trouble;
    }
    int code = Done;
    {
        QSqlDatabase db = QSqlDatabase::database(connection);
        QElapsedTimer timer;
        timer.start();
        const QString error = generator.write(db, InstallRoot::tablesDir());
        if (!error.isEmpty()) {
            err() << "model_demo: " << error << "\n";
            code = Refused;
        } else if (report) {
            out() << "model_demo: " << params.describe() << ": " << generator.backStagePointCount() << " back-stage points"
                  << (generator.seedsDefects() ? " with seeded defects" : "") << " in " << timer.elapsed() << " ms\n";
        }
    }
    DbConnection::close(connection);
    return code;
}

// The defects a seeded system holds, worked out on a scratch database: the user's is not touched.
int listDefects(DemoOptions options)
{
    QTemporaryDir scratch;
    DbLinkParams params;
    params.type = orv_dbms::DB_SQLITE;
    params.database = scratch.filePath(QStringLiteral("defects.sqlite"));
    if (!scratch.isValid() || !prepareSqliteFile(params.database)) {
        err() << "model_demo: no scratch database for the defect list\n";
        return Trouble;
    }
    options.seedDefects = true;
    DemoGenerator generator(options);
    const int code = fill(params, generator, false);
    if (code == Done)
        for (const SeededDefect &d : generator.seededDefects())
            out() << d.rule << '\t' << d.table << '\t' << d.tag << '\t' << d.reason << '\n';
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("model_demo"));
    QCoreApplication::setApplicationVersion(Common::getSoftwareVersion());
    Common::installTranslators();
    err().setCodec("UTF-8");
    out().setCodec("UTF-8");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Drops the tables of the definition files in a database, creates them again and fills a demo system."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("type"), QStringLiteral("SQLite, MySQL, OpenGauss or KingBase (default SQLite)."), QStringLiteral("type"), QStringLiteral("SQLite")},
        {QStringLiteral("database"), QStringLiteral("Database name, or the SQLite file (default data/demo.sqlite where the tool writes its files)."), QStringLiteral("name")},
        {QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("host"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("port"), QStringLiteral("0")},
        {QStringLiteral("user"), QStringLiteral("Server user."), QStringLiteral("user")},
        {QStringLiteral("password"), QStringLiteral("Server password."), QStringLiteral("password")},
        {QStringLiteral("points"), QStringLiteral("At least this many back-stage points (default 0: a small system)."), QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("defects"), QStringLiteral("Seed the known defects for every check rule.")},
        {QStringLiteral("create-database"), QStringLiteral("On a server: create the database first when it does not exist.")},
        {QStringLiteral("list-defects"), QStringLiteral("Print the defects a seeded system holds (rule, table, tag, reason) as TSV; "
                                                        "no database is written.")},
    });
    ModelCli::addTlsOptions(parser);
    // Before anything is dropped, the whole command line must make sense.
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        err() << "model_demo: " << (parser.errorText().isEmpty() ? QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first())
                                                                 : parser.errorText())
              << "\n";
        return Trouble;
    }
    if (parser.isSet(help))
        parser.showHelp(Done);
    if (parser.isSet(version))
        parser.showVersion();

    int points = 0;
    int port = 0;
    if (!readNumber(parser, "points", 0, &points) || !readNumber(parser, "port", 0, &port))
        return Trouble;
    if (points > DemoOptions::maxPointCount()) {
        err() << "model_demo: at most " << DemoOptions::maxPointCount() << " back-stage points, not " << points << "\n";
        return Trouble;
    }
    DemoOptions options = DemoOptions::forPointCount(points);
    options.seedDefects = parser.isSet(QStringLiteral("defects"));
    if (parser.isSet(QStringLiteral("list-defects")))
        return listDefects(options);

    DbLinkParams params;
    bool known = false;
    params.type = DbConnection::typeFromName(parser.value(QStringLiteral("type")), &known);
    if (!known || params.type == orv_dbms::DB_ORACLE) {
        err() << "model_demo: unsupported database type " << parser.value(QStringLiteral("type")) << "\n";
        return Trouble;
    }
    params.database = parser.value(QStringLiteral("database"));
    params.host = parser.value(QStringLiteral("host"));
    params.port = port;
    params.user = parser.value(QStringLiteral("user"));
    params.password = parser.value(QStringLiteral("password"));
    const QString tlsError = ModelCli::readTlsOptions(parser, &params.tls);
    if (!tlsError.isEmpty()) {
        err() << "model_demo: " << tlsError << "\n";
        return Trouble;
    }
    if (isSystemDatabase(params.type, params.database)) {
        err() << "model_demo: " << params.database << " is a database of the server itself\n";
        return Trouble;
    }
    if (parser.isSet(QStringLiteral("create-database")) && params.type != orv_dbms::DB_SQLITE) {
        const QString error = params.database.isEmpty() ? QStringLiteral("--create-database needs --database") : createDatabase(params);
        if (!error.isEmpty()) {
            err() << "model_demo: cannot create database " << params.database << ": " << error << "\n";
            return Trouble;
        }
    }
    if (params.type == orv_dbms::DB_SQLITE) {
        if (params.database.isEmpty())
            params.database = QDir(InstallRoot::dataDir()).filePath(QStringLiteral("demo.sqlite"));
        if (!prepareSqliteFile(params.database)) {
            err() << "model_demo: cannot create " << params.database << "\n";
            return Trouble;
        }
    }
    DemoGenerator generator(options);
    return fill(params, generator, true);
}
