// Measures spreadsheets in and out on SQLite, MariaDB and PostgreSQL, on the demo database's
// largest table:
//  - its export to CSV and to XLSX, from the read to the written file (as model_table does);
//  - the import preview of its own export with cells changed in as many rows (file read, header
//    matched, table read, rows compared);
//  - applying those changes through the write runner under the wait dialog (audited, as the
//    import dialog does) against the same statements run in one transaction by the database's
//    own command-line client.
#include "TestSupport.h"

#include "AppLog.h"
#include "CsvFile.h"
#include "ImportColumns.h"
#include "ImportPlan.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvWaitPrgDlg.h"
#include "SheetExport.h"
#include "SqlText.h"
#include "TableSheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

namespace {

QTextStream out(stdout);

// The definition of the table with the most rows.
TableDefinition largestTable()
{
    TableDefinition largest;
    qlonglong most = -1;
    for (const TableDefinition &def : TableSheet::definitions()) {
        const DbRows count = OrvDbDesign().rows(QStringLiteral("SELECT COUNT(*) FROM %1").arg(def.tableName));
        if (count.ok() && count.size() == 1 && count.rows.first().first().toLongLong() > most) {
            most = count.rows.first().first().toLongLong();
            largest = def;
        }
    }
    return largest;
}

double exportSeconds(const TableDefinition &def, SheetExport::Format format, const QString &path, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    const TableSheet rows = TableSheet::read(def, QString(), error);
    SheetExport::Options options;
    options.format = format;
    options.sheetName = def.tableName;
    if (error->isEmpty())
        *error = SheetExport::writeFile(rows, path, options);
    return timer.nsecsElapsed() / 1e9;
}

// The export with the description of `changes` rows, spread over the table, changed.
QString changedFile(const QString &exported, const TableDefinition &def, int changes, const QString &path)
{
    QFile in(exported);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    QStringList lines = QString::fromUtf8(in.readAll()).split(QStringLiteral("\r\n"));
    const int column = def.columns.findCol(QStringLiteral("DESCRIPTION"));
    const int rows = lines.size() - 3;
    if (column < 0 || rows < changes)
        return QStringLiteral("%1 has no DESCRIPTION or too few rows").arg(def.tableName);
    for (int i = 0; i < changes; ++i) {
        QString &line = lines[2 + i * (rows / changes)];
        QStringList fields = line.split(QLatin1Char(','));
        fields[column] += QStringLiteral("（改）");
        line = fields.join(QLatin1Char(','));
    }
    QFile outFile(path);
    if (!outFile.open(QIODevice::WriteOnly))
        return outFile.errorString();
    outFile.write(lines.join(QStringLiteral("\r\n")).toUtf8());
    return QString();
}

ImportPlan preview(const TableDefinition &def, const QString &path, double *seconds, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    CsvFile csv = CsvFile::read(path);
    const ImportColumns columns = ImportColumns::match(def, csv.records());
    const auto readTable = [&def](const std::function<void(const QStringList &)> &visit) { return TableSheet::forEachRow(def, QString(), visit); };
    const ImportPlan plan = ImportPlan::build(def, csv.takeRecords(), columns, readTable, {});
    *seconds = timer.nsecsElapsed() / 1e9;
    *error = !csv.ok() ? csv.error() : !columns.ok() ? columns.error : plan.error();
    return plan;
}

// A write as the client runs it: its statement with the values written in.
QString literalStatement(const SqlWrite &w)
{
    const QString sql = w.sql();
    const QVariantList values = w.boundValues();
    QString text;
    int next = 0;
    for (const QChar c : sql) {
        if (c != QLatin1Char('?') || next >= values.size()) {
            text += c;
            continue;
        }
        const QVariant &v = values.at(next++);
        text += v.isNull() ? QStringLiteral("NULL") : orv_sql::quoted(v.toString());
    }
    return text + QLatin1Char(';');
}

double applySeconds(const QList<SqlWrite> &writes, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    *error = OrvWaitPrgDlg::runWrites(writes, nullptr).error;
    return timer.nsecsElapsed() / 1e9;
}

struct Figures
{
    double csv = 1e9, xlsx = 1e9, preview = 1e9, apply = 1e9, client = 1e9;
    int rows = 0, cells = 0, updates = 0;
};

QString measure(Backend backend, const DbLinkParams &p, const TestRoot &root, int changes, int runs, Figures *f)
{
    const TableDefinition def = largestTable();
    const QString csvPath = root.file(QStringLiteral("export.csv"));
    const QString changed = root.file(QStringLiteral("changed.csv"));
    QString error;
    for (int run = 0; run < runs && error.isEmpty(); ++run) {
        f->csv = qMin(f->csv, exportSeconds(def, SheetExport::Format::Csv, csvPath, &error));
        if (error.isEmpty())
            f->xlsx = qMin(f->xlsx, exportSeconds(def, SheetExport::Format::Xlsx, root.file(QStringLiteral("export.xlsx")), &error));
        if (error.isEmpty())
            error = changedFile(csvPath, def, changes, changed);
        double seconds = 0;
        const ImportPlan plan = error.isEmpty() ? preview(def, changed, &seconds, &error) : ImportPlan();
        f->preview = qMin(f->preview, seconds);
        f->rows = plan.rows().size();
        f->cells = plan.changedCells();
        const QList<SqlWrite> writes = plan.writes();
        f->updates = writes.size();
        if (error.isEmpty())
            f->apply = qMin(f->apply, applySeconds(writes, &error));
        if (error.isEmpty())
            error = OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error;
        QStringList statements;
        for (const SqlWrite &w : writes)
            statements.append(literalStatement(w));
        if (error.isEmpty())
            f->client = qMin(f->client, clientSeconds(backend, p, statements, root.file(QStringLiteral("client.sql")), &error));
        if (error.isEmpty())
            error = OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error;
    }
    return error;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    const QVector<int> values = parseIntOptions(app, {{"points", "Back-stage points in the database.", 100000},
                                                      {"changes", "Rows changed in the imported file, one cell each.", 1000},
                                                      {"runs", "Repetitions; the best run counts.", 5}});
    TestRoot root;
    // Every write is audited, as in the tool.
    orv_public::StartLogSystem("MODEL", "bench_sheets");
    int failures = 0;
    for (Backend backend : benchBackends()) {
        DbLinkParams p;
        QString error = openDemo(backend, QStringLiteral("bench_sheets"), root, DemoOptions::forPointCount(values.at(0)), &p);
        Figures f;
        if (error.isEmpty())
            error = measure(backend, p, root, values.at(1), qMax(1, values.at(2)), &f);
        if (!error.isEmpty()) {
            out << backendName(backend) << ": " << error << "\n";
            ++failures;
            continue;
        }
        const QString name = QStringLiteral("BENCH sheets_%1_").arg(backendName(backend));
        out << name << QStringLiteral("export_csv_%1_rows %2 s\n").arg(f.rows).arg(f.csv, 0, 'f', 3)
            << name << QStringLiteral("export_xlsx_%1_rows %2 s\n").arg(f.rows).arg(f.xlsx, 0, 'f', 3)
            << name << QStringLiteral("import_preview_%1_rows_%2_cells %3 s\n").arg(f.rows).arg(f.cells).arg(f.preview, 0, 'f', 3)
            << name << QStringLiteral("import_apply_%1_updates %2 s\n").arg(f.updates).arg(f.apply, 0, 'f', 3)
            << name << QStringLiteral("client_%1_updates %2 s\n").arg(f.updates).arg(f.client, 0, 'f', 3)
            << name << QStringLiteral("apply_vs_client %1 x\n").arg(f.apply / f.client, 0, 'f', 2);
        out.flush();
    }
    OrvTableDataMgr::getInstance()->onSysQuit();
    delete OrvTableDataMgr::getInstance();
    orv_public::StopLogSystem();
    return failures == 0 ? 0 : 1;
}
