#include "CommandLine.h"

#include "AppLog.h"
#include "DbConnection.h"
#include "ModelContext.h"
#include "OrvTableDataMgr.h"
#include "TlsOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <stdexcept>

namespace ModelCli {

QTextStream &err()
{
    static QTextStream stream(stderr);
    static const bool utf8 = [] {
        stream.setCodec("UTF-8");
        return true;
    }();
    Q_UNUSED(utf8)
    return stream;
}

void say(const QString &line)
{
    err() << QCoreApplication::applicationName() << QStringLiteral(": ") << line << '\n';
    err().flush();
}

void addLinkOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("type"), QStringLiteral("Direct link: SQLite, MySQL, OpenGauss, KingBase or Oracle."), QStringLiteral("type")},
        {QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("host"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("port"), QStringLiteral("0")},
        {QStringLiteral("user"), QStringLiteral("User."), QStringLiteral("user")},
        {QStringLiteral("password"), QStringLiteral("Password."), QStringLiteral("password")},
        {QStringLiteral("database"), QStringLiteral("Database name, or the SQLite file."), QStringLiteral("name")},
    });
    addTlsOptions(parser);
}

bool parse(QCommandLineParser &parser, int positional)
{
    // The tools give exit status 1 a meaning of their own: a bad command line must not end with
    // QCommandLineParser's 1.
    if (!parser.parse(QCoreApplication::arguments())) {
        say(parser.errorText());
        return false;
    }
    if (parser.positionalArguments().size() > positional) {
        say(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().at(positional)));
        return false;
    }
    return true;
}

namespace {

QString openDirectLink(const QCommandLineParser &args)
{
    bool known = false;
    const orv_dbms::EDbType type = DbConnection::typeFromName(args.value(QStringLiteral("type")), &known);
    if (!known)
        return QStringLiteral("unknown database type %1 (%2)").arg(args.value(QStringLiteral("type")), DbConnection::acceptedTypeNames());
    bool portIsNumber = false;
    const int port = args.value(QStringLiteral("port")).toInt(&portIsNumber);
    if (!portIsNumber || port < 0)
        return QStringLiteral("--port takes a port number, not %1").arg(args.value(QStringLiteral("port")));
    DbTls tls;
    const QString tlsError = readTlsOptions(args, &tls);
    if (!tlsError.isEmpty())
        return tlsError;
    return OrvTableDataMgr::getInstance()->initDBLink(DataBaseInterface::LINK_DIRECT, args.value(QStringLiteral("user")),
                                                      args.value(QStringLiteral("password")), args.value(QStringLiteral("host")),
                                                      port, args.value(QStringLiteral("database")), type, tls);
}

} // namespace

QString openLink(const QCommandLineParser &args)
{
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    QString error;
    if (args.isSet(QStringLiteral("type"))) {
        error = openDirectLink(args);
    } else if (tlsOptionsSet(args)) {
        error = QStringLiteral("--tls, --tls-ca, --tls-cert and --tls-key go with --type; the platform's database takes "
                               "them from database.ini");
    } else {
        // No platform user logs in here, so the link may read but not write.
        mgr->setRight(OrvTableDataMgr::RIGHT_READONLY);
        error = mgr->initDBLink(DataBaseInterface::LINK_PLATFORM);
    }
    QString detail;
    if (error.isEmpty() && !ModelContext::check(error, &detail))
        error += QCoreApplication::translate("ModelCli", ",可能未进行系统建模!") + (detail.isEmpty() ? QString() : QLatin1Char('\n') + detail);
    return error;
}

void closeLink()
{
    delete OrvTableDataMgr::getInstance();
    orv_public::StopLogSystem();
}

bool confirmed(const QString &question)
{
    err() << question << QStringLiteral(" [y/N] ");
    err().flush();
    QTextStream in(stdin);
    const QString line = in.readLine();
    if (line.isNull())
        err() << '\n'; // no answer at all: end the question's line
    const QString answer = line.trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

QString startAudit(const char *program)
{
    try {
        orv_public::StartLogSystem("MODEL", program);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

QString oneLine(const QString &value, bool tsv)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += tsv ? QStringLiteral("\\\\") : QStringLiteral("\\"); break;
        case '\t': out += tsv ? QStringLiteral("\\t") : QStringLiteral("\t"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case 0x85: case 0x2028: case 0x2029:
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            break;
        default:
            // Other control characters (ESC among them) would reach the terminal as commands.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

bool writeOutput(const QByteArray &bytes)
{
    QFile out;
    return out.open(1, QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
}

} // namespace ModelCli
