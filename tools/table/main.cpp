// model_table: exports a table to CSV or XLSX, and imports a CSV file into a table after
// comparing it with the table's rows.
// Exit status: 0 done (with --dry-run: the file would go in as it is), 1 the import was not
// applied because the file has refused rows or the answer was no, 2 something could not be
// done: the command line, the link, the table, the file, the write.
#include "CommandLine.h"
#include "Common.h"
#include "CsvFile.h"
#include "ImportColumns.h"
#include "ImportPlan.h"
#include "OrvTableDataMgr.h"
#include "SheetExport.h"
#include "TableSheet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

enum Exit { Done = 0, NotApplied = 1, Trouble = ModelCli::Trouble };

using ModelCli::oneLine;
using ModelCli::say;

const QStringList kExportOptions = {"format", "where", "output", "names-only"};
const QStringList kImportOptions = {"file", "encoding", "dry-run", "skip-refused", "ignore-unknown", "delete-missing", "yes"};

QString option(const QCommandLineParser &args, const char *name)
{
    return args.value(QLatin1String(name));
}

// Options of the other command are a mistake, not something to pass over.
QString misplacedOption(const QCommandLineParser &args, const QString &command)
{
    const QStringList &other = command == QLatin1String("export") ? kImportOptions : kExportOptions;
    for (const QString &name : other)
        if (args.isSet(name))
            return QStringLiteral("--%1 does not go with %2").arg(name, command);
    return QString();
}

// Writes to a file, or with "-" to standard output through a scratch file.
QString writeSheet(const SheetData &sheet, const QString &output, const SheetExport::Options &options)
{
    if (output != QLatin1String("-"))
        return SheetExport::writeFile(sheet, output, options);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("sheet.") + SheetExport::suffix(options.format));
    const QString error = SheetExport::writeFile(sheet, path, options);
    if (!error.isEmpty())
        return error;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !ModelCli::writeOutput(file.readAll()))
        return QCoreApplication::translate("model_table", "无法写出到标准输出");
    return QString();
}

int exportTable(const QCommandLineParser &args, const TableDefinition &definition)
{
    SheetExport::Options options;
    options.namesOnly = args.isSet(QStringLiteral("names-only"));
    options.sheetName = definition.tableName;
    const QString output = args.isSet(QStringLiteral("output")) ? option(args, "output") : QString();
    options.format = SheetExport::formatOfPath(output, SheetExport::Format::Csv);
    if (args.isSet(QStringLiteral("format")) && !SheetExport::formatFromName(option(args, "format"), &options.format)) {
        say(QStringLiteral("unknown format %1 (csv or xlsx)").arg(option(args, "format")));
        return Trouble;
    }
    const QString path = output.isEmpty() ? definition.tableName + QLatin1Char('.') + SheetExport::suffix(options.format) : output;
    QString readError;
    const TableSheet rows = TableSheet::read(definition, option(args, "where"), &readError);
    if (!readError.isEmpty()) {
        say(QCoreApplication::translate("model_table", "读取表 %1 失败: %2").arg(definition.tableName, readError));
        return Trouble;
    }
    const QString error = writeSheet(rows, path, options);
    if (!error.isEmpty()) {
        say(error);
        return Trouble;
    }
    say(QCoreApplication::translate("model_table", "已导出 %1 行到 %2").arg(rows.rowCount()).arg(path == QLatin1String("-") ? QCoreApplication::translate("model_table", "标准输出") : path));
    return Done;
}

QString previewText(const ImportPlan &plan, const CsvFile &csv, const QString &path)
{
    QString out = QCoreApplication::translate("model_table", "%1（%2%3）\n%4\n")
                      .arg(oneLine(path), csv.encoding(), csv.detected() ? QCoreApplication::translate("model_table", "，检测") : QString(), plan.summary());
    for (const ImportPlan::Row &row : plan.rows()) {
        if (row.kind == ImportPlan::Refused)
            out += QCoreApplication::translate("model_table", "第 %1 行 拒绝: %2\n").arg(row.line).arg(oneLine(plan.describe(row)));
        else if (row.kind == ImportPlan::Deleted)
            out += QCoreApplication::translate("model_table", "删除: %1\n").arg(oneLine(row.key.join(QLatin1Char(','))));
    }
    return out;
}

// The file read and compared with the table; the reason when that cannot be done.
QString planImport(const QCommandLineParser &args, const TableDefinition &definition, ImportPlan *plan)
{
    const QString path = option(args, "file");
    CsvFile csv = CsvFile::read(path, option(args, "encoding"));
    if (!csv.ok())
        return csv.error();
    const ImportColumns columns = ImportColumns::match(definition, csv.records());
    if (!columns.ok())
        return columns.error;
    if (!columns.unknown.isEmpty() && !args.isSet(QStringLiteral("ignore-unknown")))
        return QCoreApplication::translate("model_table", "文件中有表 %1 没有的列: %2；加 --ignore-unknown 忽略这些列")
            .arg(definition.tableName, oneLine(columns.unknown.join(QCoreApplication::translate("model_table", "、"))));
    ImportPlan::Options options;
    options.deleteMissing = args.isSet(QStringLiteral("delete-missing"));
    const auto readTable = [&definition](const std::function<void(const QStringList &)> &visit) {
        return TableSheet::forEachRow(definition, QString(), visit);
    };
    *plan = ImportPlan::build(definition, csv.takeRecords(), columns, readTable, options);
    if (!plan->ok())
        return QCoreApplication::translate("model_table", "读取表 %1 失败: %2").arg(definition.tableName, plan->error());
    if (!ModelCli::writeOutput(previewText(*plan, csv, path).toUtf8()))
        return QCoreApplication::translate("model_table", "无法写出到标准输出");
    return QString();
}

int applyImport(const QCommandLineParser &args, const ImportPlan &plan)
{
    if (!plan.hasWrites()) {
        say(QCoreApplication::translate("model_table", "没有需要写入的修改"));
        return Done;
    }
    if (!args.isSet(QStringLiteral("yes")) && !ModelCli::confirmed(QCoreApplication::translate("model_table", "确认写入以上修改? %1").arg(plan.summary()))) {
        say(QCoreApplication::translate("model_table", "未写入任何记录"));
        return NotApplied;
    }
    const QString auditError = ModelCli::startAudit("model_table");
    if (!auditError.isEmpty()) {
        say(QCoreApplication::translate("model_table", "导入被拒绝: 日志服务无法启动，修改无法记录: %1").arg(auditError));
        return Trouble;
    }
    const DbConnection::BatchResult result = OrvTableDataMgr::getInstance()->executeWrites(plan.writes());
    if (!result.error.isEmpty()) {
        say(QCoreApplication::translate("model_table", "导入失败，未写入任何记录: %1").arg(result.error));
        return Trouble;
    }
    say(QCoreApplication::translate("model_table", "已写入: 新增 %1，修改 %2，删除 %3")
            .arg(plan.count(ImportPlan::New)).arg(plan.count(ImportPlan::Changed)).arg(plan.count(ImportPlan::Deleted)));
    return Done;
}

int importFile(const QCommandLineParser &args, const TableDefinition &definition)
{
    if (!args.isSet(QStringLiteral("file"))) {
        say(QStringLiteral("import needs --file"));
        return Trouble;
    }
    const bool dryRun = args.isSet(QStringLiteral("dry-run"));
    if (!dryRun && OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY) {
        say(QCoreApplication::translate("model_table", "导入被拒绝: 当前连接只读。平台连接下没有登录的平台用户，导入请用直连(--type 等参数)。"));
        return Trouble;
    }
    ImportPlan plan;
    const QString error = planImport(args, definition, &plan);
    if (!error.isEmpty()) {
        say(error);
        return Trouble;
    }
    if (plan.count(ImportPlan::Refused) > 0 && !args.isSet(QStringLiteral("skip-refused"))) {
        say(QCoreApplication::translate("model_table", "%1 行被拒绝，未写入任何记录（--skip-refused: 只写入其余的行）").arg(plan.count(ImportPlan::Refused)));
        return NotApplied;
    }
    return dryRun ? Done : applyImport(args, plan);
}

void addOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("export or import"));
    parser.addOptions({
        {QStringLiteral("table"), QStringLiteral("The table (its name in the database)."), QStringLiteral("table")},
        {QStringLiteral("format"), QStringLiteral("export: csv or xlsx (default: by the output's suffix, else csv)."), QStringLiteral("format")},
        {QStringLiteral("where"), QStringLiteral("export: only the rows meeting this SQL condition."), QStringLiteral("condition")},
        {QStringLiteral("output"), QStringLiteral("export: the file to write, - for standard output (default: <table>.<format>)."), QStringLiteral("file")},
        {QStringLiteral("names-only"), QStringLiteral("export: one header row of column names, without the descriptions.")},
        {QStringLiteral("file"), QStringLiteral("import: the CSV file."), QStringLiteral("file")},
        {QStringLiteral("encoding"), QStringLiteral("import: UTF-8 or GB18030 (default: detected)."), QStringLiteral("encoding")},
        {QStringLiteral("dry-run"), QStringLiteral("import: print what would change, write nothing.")},
        {QStringLiteral("skip-refused"), QStringLiteral("import: write the accepted rows even when others are refused.")},
        {QStringLiteral("ignore-unknown"), QStringLiteral("import: leave out columns the table does not have.")},
        {QStringLiteral("delete-missing"), QStringLiteral("import: delete the rows of the table the file does not have.")},
        {QStringLiteral("yes"), QStringLiteral("import: write without asking.")},
    });
    ModelCli::addLinkOptions(parser);
}

// The command and table the command line names; the reason when it names none.
QString commandAndTable(const QCommandLineParser &args, QString *command, TableDefinition *definition)
{
    *command = args.positionalArguments().value(0);
    if (*command != QLatin1String("export") && *command != QLatin1String("import"))
        return command->isEmpty() ? QStringLiteral("say export or import") : QStringLiteral("unknown command %1 (export or import)").arg(*command);
    const QString misplaced = misplacedOption(args, *command);
    if (!misplaced.isEmpty())
        return misplaced;
    if (!args.isSet(QStringLiteral("table")))
        return QStringLiteral("%1 needs --table").arg(*command);
    *definition = OrvTableDataMgr::getInstance()->definitionOfTable(option(args, "table"));
    if (!definition->isValid())
        return QStringLiteral("no table definition describes a table %1").arg(option(args, "table"));
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("model_table"));
    QCoreApplication::setApplicationVersion(Common::getSoftwareVersion());
    Common::installTranslators();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Exports a table to CSV or XLSX, or imports a CSV file into a table. Without --type the platform's database "
        "configuration is used, read-only. Exit status: 0 done, 1 an import not applied (refused rows, or the answer "
        "was no), 2 something could not be done."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    addOptions(parser);
    if (!ModelCli::parse(parser, 1))
        return Trouble;
    if (parser.isSet(help))
        parser.showHelp(Done);
    if (parser.isSet(version))
        parser.showVersion();

    Common::initPath();
    QString command;
    TableDefinition definition;
    QString error = commandAndTable(parser, &command, &definition);
    if (error.isEmpty())
        error = ModelCli::openLink(parser);
    if (!error.isEmpty()) {
        say(error);
        ModelCli::closeLink();
        return Trouble;
    }
    const int status = command == QLatin1String("export") ? exportTable(parser, definition) : importFile(parser, definition);
    ModelCli::closeLink();
    return status;
}
