// model_check: runs the checks of a configcheck.xml against a configuration database and prints
// the findings. Exit status: 0 nothing found, 1 findings, 2 the check could not run.
#include "Common.h"
#include "DbConnection.h"
#include "LoginDlg.h"
#include "OrvTableDataMgr.h"
#include "orvConfigCheck.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

struct Finding
{
    QString group;
    QString item;
    ST_CfgCheckError error;
};

QString openLink(const QCommandLineParser &args)
{
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    if (!args.isSet(QStringLiteral("type")))
        return mgr->initDBLink(DataBaseInterface::LINK_PLATFORM);
    bool known = false;
    const orv_dbms::EDbType type = DbConnection::typeFromName(args.value(QStringLiteral("type")), &known);
    if (!known)
        return QStringLiteral("unknown database type %1").arg(args.value(QStringLiteral("type")));
    return mgr->initDBLink(DataBaseInterface::LINK_DIRECT, args.value(QStringLiteral("user")),
                           args.value(QStringLiteral("password")), args.value(QStringLiteral("host")),
                           args.value(QStringLiteral("port")).toInt(), args.value(QStringLiteral("database")), type);
}

QString tsvField(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

void print(const QList<Finding> &findings, const QString &format, QTextStream &out)
{
    if (format == QLatin1String("json")) {
        QJsonArray list;
        for (const Finding &f : findings)
            list.append(QJsonObject{{"group", f.group}, {"item", f.item}, {"tag", f.error.strTagName},
                                    {"description", f.error.strDesc}, {"reason", f.error.strReason}});
        out << QJsonDocument(list).toJson(QJsonDocument::Indented);
        return;
    }
    if (format == QLatin1String("tsv")) {
        out << "group\titem\ttag\tdescription\treason\n";
        for (const Finding &f : findings)
            out << tsvField(f.group) << '\t' << tsvField(f.item) << '\t' << tsvField(f.error.strTagName) << '\t'
                << tsvField(f.error.strDesc) << '\t' << tsvField(f.error.strReason) << '\n';
        return;
    }
    QString lastItem;
    for (const Finding &f : findings) {
        const QString heading = f.group + QStringLiteral(" / ") + f.item;
        if (heading != lastItem)
            out << heading << '\n';
        lastItem = heading;
        out << "  " << f.error.strTagName;
        if (!f.error.strDesc.isEmpty())
            out << " (" << f.error.strDesc << ")";
        out << ": " << f.error.strReason << '\n';
    }
    out << QStringLiteral("共 %1 条异常").arg(findings.size()) << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("model_check"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks a configuration database. Without --type the platform's database configuration is used."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("config"), QStringLiteral("The check definition file (default: the root's configcheck.xml)."), QStringLiteral("file")},
        {QStringLiteral("group"), QStringLiteral("Run only this check group; may be repeated."), QStringLiteral("name")},
        {QStringLiteral("format"), QStringLiteral("text, tsv or json (default text)."), QStringLiteral("format"), QStringLiteral("text")},
        {QStringLiteral("type"), QStringLiteral("Direct link: SQLite, MySQL, OpenGauss, KingBase or Oracle."), QStringLiteral("type")},
        {QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("host"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("port"), QStringLiteral("0")},
        {QStringLiteral("user"), QStringLiteral("User."), QStringLiteral("user")},
        {QStringLiteral("password"), QStringLiteral("Password."), QStringLiteral("password")},
        {QStringLiteral("database"), QStringLiteral("Database name, or the SQLite file."), QStringLiteral("name")},
    });
    parser.process(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString format = parser.value(QStringLiteral("format"));
    if (!QStringList{"text", "tsv", "json"}.contains(format)) {
        err << "model_check: unknown format " << format << "\n";
        return 2;
    }

    Common::initPath();
    const QString configPath = parser.isSet(QStringLiteral("config")) ? parser.value(QStringLiteral("config"))
                                                                      : orvConfigCheck::defaultConfigPath();
    orvConfigCheck engine(configPath, nullptr);
    if (!engine.loadError().isEmpty()) {
        err << "model_check: " << engine.loadError() << "\n";
        return 2;
    }
    const QStringList wanted = parser.values(QStringLiteral("group"));
    for (const QString &name : wanted) {
        if (std::none_of(engine.lstTypes.begin(), engine.lstTypes.end(),
                         [&name](const ST_CfgCheckType &t) { return t.strName == name; })) {
            err << "model_check: no check group named " << name << " in " << configPath << "\n";
            return 2;
        }
    }

    QString error = openLink(parser);
    QString detail;
    if (error.isEmpty() && !LoginDlg::checkModelContext(error, &detail))
        error += QStringLiteral(",可能未进行系统建模!") + (detail.isEmpty() ? QString() : QLatin1Char('\n') + detail);
    if (!error.isEmpty()) {
        err << "model_check: " << error << "\n";
        delete OrvTableDataMgr::getInstance();
        return 2;
    }

    QList<Finding> findings;
    for (ST_CfgCheckType &type : engine.lstTypes) {
        if (!wanted.isEmpty() && !wanted.contains(type.strName))
            continue;
        engine.checkType(&type);
        for (const ST_CfgCheckItem &item : qAsConst(type.lstItems))
            for (const ST_CfgCheckError &e : item.lstErrors)
                findings.append({type.strName, item.strDes, e});
    }
    print(findings, format, out);
    delete OrvTableDataMgr::getInstance();
    return findings.isEmpty() ? 0 : 1;
}
