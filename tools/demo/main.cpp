// model_demo: creates the schema of the table definitions and fills a demo configuration database.
#include "Common.h"
#include "DbConnection.h"
#include "DemoGenerator.h"
#include "InstallRoot.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

bool prepareSqliteFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::ReadWrite);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("model_demo"));
    QCoreApplication::setApplicationVersion(Common::getSoftwareVersion());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates and fills a demo configuration database."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("type"), QStringLiteral("SQLite, MySQL, OpenGauss or KingBase (default SQLite)."), QStringLiteral("type"), QStringLiteral("SQLite")},
        {QStringLiteral("database"), QStringLiteral("Database name, or the SQLite file (default <root>/data/demo.sqlite)."), QStringLiteral("name")},
        {QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("host"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("port"), QStringLiteral("0")},
        {QStringLiteral("user"), QStringLiteral("Server user."), QStringLiteral("user")},
        {QStringLiteral("password"), QStringLiteral("Server password."), QStringLiteral("password")},
        {QStringLiteral("points"), QStringLiteral("At least this many back-stage points (default: a small system)."), QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("defects"), QStringLiteral("Seed the known defects for every check rule.")},
        {QStringLiteral("list-defects"), QStringLiteral("Print the seeded defects (rule, table, tag, reason) as TSV.")},
    });
    parser.process(app);

    const int points = parser.value(QStringLiteral("points")).toInt();
    if (points > DemoOptions::maxPointCount()) {
        err() << "model_demo: at most " << DemoOptions::maxPointCount() << " back-stage points, not " << points << "\n";
        return 2;
    }
    DbLinkParams params;
    bool known = false;
    params.type = DbConnection::typeFromName(parser.value(QStringLiteral("type")), &known);
    if (!known || params.type == orv_dbms::DB_ORACLE) {
        err() << "model_demo: unsupported database type " << parser.value(QStringLiteral("type")) << "\n";
        return 2;
    }
    params.database = parser.value(QStringLiteral("database"));
    params.host = parser.value(QStringLiteral("host"));
    params.port = parser.value(QStringLiteral("port")).toInt();
    params.user = parser.value(QStringLiteral("user"));
    params.password = parser.value(QStringLiteral("password"));
    if (params.type == orv_dbms::DB_SQLITE) {
        if (params.database.isEmpty())
            params.database = QDir(InstallRoot::dataDir()).filePath(QStringLiteral("demo.sqlite"));
        if (!prepareSqliteFile(params.database)) {
            err() << "model_demo: cannot create " << params.database << "\n";
            return 2;
        }
    }

    const QString connection = QStringLiteral("model_demo");
    const QString openError = DbConnection::open(params, connection);
    if (!openError.isEmpty()) {
        err() << "model_demo: " << openError << "\n";
        return 2;
    }
    int code = 0;
    {
        QSqlDatabase db = QSqlDatabase::database(connection);
        DemoOptions options = DemoOptions::forPointCount(points);
        options.seedDefects = parser.isSet(QStringLiteral("defects"));
        DemoGenerator generator(options);
        QElapsedTimer timer;
        timer.start();
        const QString error = generator.write(db, InstallRoot::tablesDir());
        QTextStream out(stdout);
        if (!error.isEmpty()) {
            err() << "model_demo: " << error << "\n";
            code = 1;
        } else if (parser.isSet(QStringLiteral("list-defects"))) {
            for (const SeededDefect &d : generator.seededDefects())
                out << d.rule << '\t' << d.table << '\t' << d.tag << '\t' << d.reason << '\n';
        } else {
            out << "model_demo: " << params.describe() << ": " << generator.backStagePointCount()
                << " back-stage points" << (options.seedDefects ? " with seeded defects" : "") << " in "
                << timer.elapsed() << " ms\n";
        }
    }
    DbConnection::close(connection);
    return code;
}
