// model_check: runs the checks of a configcheck.xml against a configuration database, prints the
// findings and, with --repair, deletes the findings of the FUNC_DELETE items it ran.
// Exit status: 0 nothing found (or all of it repaired), 1 findings remain, 2 something could not
// be done: the link, the definition file, an item that could not be checked, a refused or failed
// repair, or writing the output.
#include "CommandLine.h"
#include "Common.h"
#include "OrvTableDataMgr.h"
#include "orvConfigCheck.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QXmlStreamWriter>

namespace {

enum Exit { Clean = 0, FindingsRemain = 1, Trouble = ModelCli::Trouble };

using ModelCli::err;
using ModelCli::oneLine;
using ModelCli::say;

// XML 1.0 cannot carry most control characters, even escaped.
QString xmlText(const QString &value)
{
    QString out = value;
    for (QChar &c : out) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            c = QChar(0xFFFD);
    }
    return out;
}

QString findingLine(const ST_CfgCheckError &e)
{
    QString line = oneLine(e.strTagName, false);
    if (!e.strDesc.isEmpty())
        line += QStringLiteral(" (") + oneLine(e.strDesc, false) + QLatin1Char(')');
    return line + QStringLiteral(": ") + oneLine(e.strReason, false);
}

QByteArray asText(const QList<const ST_CfgCheckType *> &groups)
{
    QString out;
    int count = 0;
    for (const ST_CfgCheckType *type : groups)
        for (const ST_CfgCheckItem &item : type->lstItems) {
            if (item.lstErrors.isEmpty())
                continue;
            out += oneLine(type->strName + QStringLiteral(" / ") + item.strDes, false) + QLatin1Char('\n');
            for (const ST_CfgCheckError &e : item.lstErrors)
                out += QStringLiteral("  ") + findingLine(e) + QLatin1Char('\n');
            count += item.lstErrors.size();
        }
    out += QCoreApplication::translate("model_check", "共 %1 条异常\n").arg(count);
    return out.toUtf8();
}

QByteArray asTsv(const QList<const ST_CfgCheckType *> &groups)
{
    QString out = QStringLiteral("group\titem\ttag\tdescription\treason\n");
    for (const ST_CfgCheckType *type : groups)
        for (const ST_CfgCheckItem &item : type->lstItems)
            for (const ST_CfgCheckError &e : item.lstErrors) {
                QStringList fields{type->strName, item.strDes, e.strTagName, e.strDesc, e.strReason};
                for (QString &f : fields)
                    f = oneLine(f, true);
                out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
            }
    return out.toUtf8();
}

QByteArray asJson(const QList<const ST_CfgCheckType *> &groups)
{
    QJsonArray list;
    for (const ST_CfgCheckType *type : groups)
        for (const ST_CfgCheckItem &item : type->lstItems)
            for (const ST_CfgCheckError &e : item.lstErrors)
                list.append(QJsonObject{{"group", type->strName}, {"item", item.strDes}, {"tag", e.strTagName},
                                        {"description", e.strDesc}, {"reason", e.strReason}});
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

// One test case per check item: its findings fail it, a check that could not run is an error.
QByteArray asJUnit(const QList<const ST_CfgCheckType *> &groups)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("model_check"));
    for (const ST_CfgCheckType *type : groups) {
        int failures = 0;
        int errors = 0;
        for (const ST_CfgCheckItem &item : type->lstItems) {
            errors += item.strCheckFailure.isEmpty() ? 0 : 1;
            failures += item.lstErrors.isEmpty() ? 0 : 1;
        }
        xml.writeStartElement(QStringLiteral("testsuite"));
        xml.writeAttribute(QStringLiteral("name"), xmlText(type->strName));
        xml.writeAttribute(QStringLiteral("tests"), QString::number(type->lstItems.size()));
        xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
        xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
        for (const ST_CfgCheckItem &item : type->lstItems) {
            xml.writeStartElement(QStringLiteral("testcase"));
            xml.writeAttribute(QStringLiteral("classname"), xmlText(type->strName));
            xml.writeAttribute(QStringLiteral("name"), xmlText(item.strDes));
            if (!item.strCheckFailure.isEmpty()) {
                xml.writeStartElement(QStringLiteral("error"));
                xml.writeAttribute(QStringLiteral("message"), xmlText(QCoreApplication::translate("model_check", "检查失败：") + item.strCheckFailure));
                xml.writeCharacters(xmlText(item.strFailedQuery));
                xml.writeEndElement();
            } else if (!item.lstErrors.isEmpty()) {
                QStringList lines;
                for (const ST_CfgCheckError &e : item.lstErrors)
                    lines.append(findingLine(e));
                xml.writeStartElement(QStringLiteral("failure"));
                xml.writeAttribute(QStringLiteral("message"), QCoreApplication::translate("model_check", "%1 条异常").arg(item.lstErrors.size()));
                xml.writeCharacters(xmlText(lines.join(QLatin1Char('\n'))));
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

// Deletes the selected findings of the FUNC_DELETE items that ran, in one transaction.
// False when the repair was refused or failed; declined, the findings simply remain.
bool repair(orvConfigCheck &engine, const QList<ST_CfgCheckItem *> &items, bool askFirst)
{
    if (OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY) {
        say(QCoreApplication::translate("model_check", "修复被拒绝: 当前连接只读。平台连接下没有登录的平台用户，修复请用直连(--type 等参数)。"));
        return false;
    }
    // Every write leaves an audit record.
    const QString auditError = ModelCli::startAudit("model_check");
    if (!auditError.isEmpty()) {
        say(QCoreApplication::translate("model_check", "修复被拒绝: 日志服务无法启动，删除无法记录: %1").arg(auditError));
        return false;
    }
    for (ST_CfgCheckItem *item : items)
        for (ST_CfgCheckError &e : item->lstErrors)
            e.bSelected = true;
    const QStringList statements = engine.repairStatements(items);
    if (statements.isEmpty()) {
        say(QCoreApplication::translate("model_check", "没有可自动修复的记录"));
        return true;
    }
    say(QCoreApplication::translate("model_check", "将在一个事务中删除 %1 条记录:").arg(statements.size()));
    for (const QString &sql : statements)
        err() << QStringLiteral("  ") << oneLine(sql, false) << '\n';
    if (askFirst && !ModelCli::confirmed(QCoreApplication::translate("model_check", "确认删除以上 %1 条记录?").arg(statements.size()))) {
        say(QCoreApplication::translate("model_check", "未删除任何记录"));
        return true;
    }
    if (!engine.repairItems(items)) {
        say(QCoreApplication::translate("model_check", "修复失败，未删除任何记录: %1").arg(engine.repairError()));
        return false;
    }
    say(QCoreApplication::translate("model_check", "已删除 %1 条记录").arg(engine.repairedRecords()));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("model_check"));
    QCoreApplication::setApplicationVersion(Common::getSoftwareVersion());
    Common::installTranslators();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks a configuration database. Without --type the platform's database configuration is used, "
        "read-only. Exit status: 0 nothing found, 1 findings, 2 something could not be done."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("config"), QStringLiteral("The check definition file (default: the root's configcheck.xml)."), QStringLiteral("file")},
        {QStringLiteral("group"), QStringLiteral("Run only this check group; may be repeated."), QStringLiteral("name")},
        {QStringLiteral("format"), QStringLiteral("text, tsv, json or junit (default text)."), QStringLiteral("format"), QStringLiteral("text")},
        {QStringLiteral("repair"), QStringLiteral("Delete the findings of the FUNC_DELETE items, in one transaction, after "
                                                  "printing the statements and asking (direct link only).")},
        {QStringLiteral("yes"), QStringLiteral("With --repair: do not ask.")},
    });
    ModelCli::addLinkOptions(parser);
    if (!ModelCli::parse(parser, 0))
        return Trouble;
    if (parser.isSet(help))
        parser.showHelp(Clean);
    if (parser.isSet(version))
        parser.showVersion();
    const QString format = parser.value(QStringLiteral("format"));
    if (!QStringList{"text", "tsv", "json", "junit"}.contains(format)) {
        say(QStringLiteral("unknown format %1").arg(format));
        return Trouble;
    }

    Common::initPath();
    const QString configPath = parser.isSet(QStringLiteral("config")) ? parser.value(QStringLiteral("config"))
                                                                      : orvConfigCheck::defaultConfigPath();
    orvConfigCheck engine(configPath, nullptr);
    if (!engine.loadError().isEmpty()) {
        say(engine.loadError());
        return Trouble;
    }
    if (engine.lstTypes.isEmpty()) {
        say(QCoreApplication::translate("model_check", "%1 不是检查配置文件: 其中没有检查组(type)").arg(configPath));
        return Trouble;
    }
    for (const QString &warning : engine.loadWarnings())
        say(QCoreApplication::translate("model_check", "警告: %1").arg(warning));
    const QStringList wanted = parser.values(QStringLiteral("group"));
    for (const QString &name : wanted) {
        if (std::none_of(engine.lstTypes.begin(), engine.lstTypes.end(),
                         [&name](const ST_CfgCheckType &t) { return t.strName == name; })) {
            say(QStringLiteral("no check group named %1 in %2").arg(name, configPath));
            return Trouble;
        }
    }

    const QString error = ModelCli::openLink(parser);
    if (!error.isEmpty()) {
        say(error);
        ModelCli::closeLink();
        return Trouble;
    }

    QList<const ST_CfgCheckType *> groups;
    QList<ST_CfgCheckItem *> repairable;
    bool failed = false;
    for (ST_CfgCheckType &type : engine.lstTypes) {
        if (!wanted.isEmpty() && !wanted.contains(type.strName))
            continue;
        engine.checkType(&type);
        groups.append(&type);
        for (ST_CfgCheckItem &item : type.lstItems) {
            if (!item.strCheckFailure.isEmpty()) {
                failed = true;
                say(QCoreApplication::translate("model_check", "无法检查 %1 / %2: %3").arg(type.strName, item.strDes, item.strCheckFailure));
                if (!item.strFailedQuery.isEmpty())
                    err() << QCoreApplication::translate("model_check", "  查询语句: %1").arg(item.strFailedQuery) << '\n';
            }
            if (item.nRepairRule == orvConfigCheck::FUNC_DELETE && !item.lstErrors.isEmpty())
                repairable.append(&item);
        }
    }
    const QByteArray output = format == QLatin1String("json") ? asJson(groups)
        : format == QLatin1String("tsv")                      ? asTsv(groups)
        : format == QLatin1String("junit")                    ? asJUnit(groups)
                                                              : asText(groups);
    if (!ModelCli::writeOutput(output)) {
        say(QCoreApplication::translate("model_check", "无法写出结果"));
        failed = true;
    }
    if (parser.isSet(QStringLiteral("repair"))) {
        failed = !repair(engine, repairable, !parser.isSet(QStringLiteral("yes"))) || failed;
    }
    const bool remain = std::any_of(groups.begin(), groups.end(), [](const ST_CfgCheckType *t) {
        return std::any_of(t->lstItems.begin(), t->lstItems.end(), [](const ST_CfgCheckItem &i) { return !i.lstErrors.isEmpty(); });
    });
    ModelCli::closeLink();
    return failed ? Trouble : remain ? FindingsRemain : Clean;
}
