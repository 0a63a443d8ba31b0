// Spreadsheets in and out: CSV and XLSX writing, CSV reading, the import plan and its writes,
// the audit trail's records, model_table and the dialogs.
#include "TestSupport.h"

#include "AppLog.h"
#include "AuditTrail.h"
#include "AuditTrailDlg.h"
#include "CsvFile.h"
#include "CsvWriter.h"
#include "DbConnection.h"
#include "ImportColumns.h"
#include "ImportPlan.h"
#include "ImportPreviewModel.h"
#include "MainWindow.h"
#include "OrvDbDesign.h"
#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "SheetCells.h"
#include "SheetExport.h"
#include "SheetExportDlg.h"
#include "SheetImportDlg.h"
#include "SheetViewExport.h"
#include "TableSheet.h"
#include "TextSheet.h"
#include "XlsxSheetWriter.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QTextCodec>
#include <QTimer>
#include <QXmlStreamReader>

namespace {

const QString kTable = QStringLiteral("fes_analog");

TableDefinition definitionOf(const QString &table)
{
    return OrvTableDataMgr::getInstance()->definitionOfTable(table);
}

SheetColumn column(const char *description, const char *name, const char *sqlType = "varchar(64)")
{
    return {QString::fromUtf8(description), QLatin1String(name), ColumnKind::of(QLatin1String(sqlType), QString())};
}

QByteArray csvBytes(const SheetData &sheet, bool namesOnly = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QString error = CsvWriter::write(sheet, namesOnly, &buffer);
    return error.isEmpty() ? buffer.data() : "<error> " + error.toUtf8();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A part of an XLSX file, the worksheet unless told.
QString sheetXml(const QString &path, const QString &part = QStringLiteral("xl/worksheets/sheet1.xml"))
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, part});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

// Why the XML is not well-formed, as a spreadsheet program would refuse the file; empty when it is.
QString xmlError(const QString &xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    return reader.hasError() ? reader.errorString() : QString();
}

// The records' fields, one list per record.
QList<QStringList> fieldsOf(const CsvFile &csv)
{
    QList<QStringList> fields;
    for (const CsvRecord &r : csv.records())
        fields.append(r.fields);
    return fields;
}

// Every row of a table as texts, in key order.
QList<QStringList> tableTexts(const QString &table)
{
    QList<QStringList> texts;
    const QString error = TableSheet::forEachRow(definitionOf(table), QString(), [&texts](const QStringList &row) { texts.append(row); });
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return texts;
}

ImportPlan::TableReader readerOf(const TableDefinition &def)
{
    return [def](const std::function<void(const QStringList &)> &visit) { return TableSheet::forEachRow(def, QString(), visit); };
}

ImportPlan planFor(const QString &table, const QByteArray &file, bool deleteMissing = false)
{
    const TableDefinition def = definitionOf(table);
    CsvFile csv = CsvFile::fromBytes(file);
    const ImportColumns columns = ImportColumns::match(def, csv.records());
    ImportPlan::Options options;
    options.deleteMissing = deleteMissing;
    return ImportPlan::build(def, csv.takeRecords(), columns, readerOf(def), options);
}

// The table as its own export writes it.
QByteArray exportedCsv(const QString &table)
{
    const TableDefinition def = definitionOf(table);
    QString error;
    const TableSheet sheet = TableSheet::read(def, QString(), &error);
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return csvBytes(sheet);
}

// CSV lines of a file, without its byte order mark.
QStringList csvLines(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text.split(QStringLiteral("\r\n"));
}

QByteArray joinedCsv(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

// The line of a CSV export whose first field is the key; -1 when none.
int lineOfKey(const QStringList &lines, const QString &key)
{
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(key + QLatin1Char(',')))
            return i;
    return -1;
}

// Replaces a field of a line that holds no quoted field.
void setField(QStringList &lines, int line, int field, const QString &value)
{
    QStringList fields = lines.at(line).split(QLatin1Char(','));
    fields[field] = value;
    lines[line] = fields.join(QLatin1Char(','));
}

QString firstKey(const QString &table)
{
    return tableTexts(table).value(0).value(0);
}

QStringList auditRecords(const TestRoot &root)
{
    return QString::fromUtf8(readFile(root.file(QStringLiteral("log/audit.log")))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Answers every message box with Yes (or OK) while it lives, keeping their texts.
class Boxes : public QObject
{
public:
    Boxes()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts << box->text();
            QAbstractButton *yes = box->button(QMessageBox::Yes);
            (yes ? yes : box->button(QMessageBox::Ok))->click();
        });
        m_timer.start(10);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

struct ToolRun
{
    int code = -1;
    QString out;
    QString err;
};

ToolRun modelTable(const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess process;
    process.start(QStringLiteral(MODEL_BIN_DIR "/model_table"), args);
    process.waitForStarted();
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class SheetsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;

    bool freshDemo(Backend backend, DbLinkParams *params = nullptr)
    {
        const QString error = openDemo(backend, QStringLiteral("sheets_test"), *m_root, DemoOptions(), params);
        if (!error.isEmpty())
            qWarning() << error;
        return error.isEmpty();
    }

private slots:
    void init()
    {
        m_root = std::make_unique<TestRoot>();
        QVERIFY2(TestServers::availableWhereRequired(), "the test servers are not running");
    }

    void cleanup()
    {
        QVERIFY(!QApplication::activeModalWidget());
        orv_public::StopLogSystem();
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    // ---- Writing -------------------------------------------------------------------------

    void csvQuotesAndGuardsFormulas()
    {
        TextSheet sheet({column("标签名", "TAG_NAME"), column("描述", "DESCRIPTION"), column("点号", "DOT_NO", "int")});
        sheet.append({"007", "a,b", "-5"});
        sheet.append({"=1+2", "say \"hi\"\nnext line", ""});
        sheet.append({"'=x", " padded", "=3"});
        sheet.append({"+a", "@b", "\tc"});
        QCOMPARE(QString::fromUtf8(csvBytes(sheet)), QStringLiteral("标签名,描述,点号\r\nTAG_NAME,DESCRIPTION,DOT_NO\r\n"
                                                                  "007,\"a,b\",-5\r\n"
                                                                  "'=1+2,\"say \"\"hi\"\"\nnext line\",\r\n"
                                                                  "''=x,\" padded\",'=3\r\n"
                                                                  "'+a,'@b,'\tc\r\n"));
        QVERIFY(csvBytes(sheet).startsWith("\xEF\xBB\xBF"));
        QVERIFY(csvBytes(sheet, true).startsWith("\xEF\xBB\xBFTAG_NAME,DESCRIPTION,DOT_NO\r\n007,"));

        // What the export guards, reading gives back whole.
        const CsvFile back = CsvFile::fromBytes(csvBytes(sheet));
        QVERIFY2(back.ok(), qPrintable(back.error()));
        QStringList texts;
        for (const CsvRecord &r : back.records().mid(2))
            for (const QString &f : r.fields)
                texts << SheetCells::unguarded(f);
        QCOMPARE(texts, (QStringList{"007", "a,b", "-5", "=1+2", "say \"hi\"\nnext line", "", "'=x", " padded", "=3", "+a", "@b", "\tc"}));
    }

    void xlsxKeepsNumbersAndTexts()
    {
        TextSheet sheet({column("标签名", "TAG_NAME"), column("点号", "DOT_NO", "int"), column("系数", "COEFF", "decimal(14,4)"),
                         column("权限", "PERM", "bigint")});
        sheet.append({"007", "12", "1.5000", "1234567890123456789"});
        sheet.append({"=HYPERLINK(\"x\")", "-3", "", "7"});
        const QString path = m_root->file(QStringLiteral("out.xlsx"));
        SheetExport::Options options;
        options.format = SheetExport::Format::Xlsx;
        QCOMPARE(SheetExport::writeFile(sheet, path, options), QString());
        const QString xml = sheetXml(path);
        QVERIFY2(xml.contains(QStringLiteral("<pane ySplit=\"2\" topLeftCell=\"A3\" activePane=\"bottomLeft\" state=\"frozen\"/>")), qPrintable(xml));
        QVERIFY(xml.contains(QStringLiteral("<autoFilter ref=\"A2:D4\"/>")));
        QVERIFY(xml.contains(QStringLiteral("<c r=\"A3\" s=\"2\" t=\"inlineStr\"><is><t>007</t></is></c>")));
        QVERIFY(xml.contains(QStringLiteral("<c r=\"B3\"><v>12</v></c>")));
        QVERIFY(xml.contains(QStringLiteral("<c r=\"C3\"><v>1.5</v></c>")));
        // More digits than a spreadsheet keeps stay text, a formula-looking text too.
        QVERIFY(xml.contains(QStringLiteral("<c r=\"D3\" s=\"2\" t=\"inlineStr\"><is><t>1234567890123456789</t></is></c>")));
        QVERIFY(xml.contains(QStringLiteral("<t>=HYPERLINK(&quot;x&quot;)</t>")) || xml.contains(QStringLiteral("<t>=HYPERLINK(\"x\")</t>")));
        QVERIFY(!xml.contains(QStringLiteral("<f>")));
        QVERIFY(xml.contains(QStringLiteral("<c r=\"B4\"><v>-3</v></c>")));
        QVERIFY(xml.contains(QStringLiteral("<col min=\"1\" max=\"1\" width=\"")));

        options.namesOnly = true;
        QCOMPARE(SheetExport::writeFile(sheet, path, options), QString());
        QVERIFY(sheetXml(path).contains(QStringLiteral("<pane ySplit=\"1\"")));
    }

    void failedExportLeavesFilesAlone()
    {
        TextSheet sheet(SheetData::textColumns({"描述"}, {"DESCRIPTION"}));
        sheet.append({QString(40000, QLatin1Char('x'))});
        const QString path = m_root->file(QStringLiteral("kept.xlsx"));
        writeFile(path, "before");
        SheetExport::Options options;
        options.format = SheetExport::Format::Xlsx;
        const QString error = SheetExport::writeFile(sheet, path, options);
        QVERIFY2(error.contains(QStringLiteral("32767")), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray("before"));
        QVERIFY(!SheetExport::writeFile(sheet, m_root->path(), SheetExport::Options()).isEmpty());
        QVERIFY(!SheetExport::writeFile(sheet, m_root->file(QStringLiteral("no/such/dir/x.csv")), SheetExport::Options()).isEmpty());
    }


    // ---- Reading -------------------------------------------------------------------------

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("description"); // of the row read, when it is read
        const QString text = QStringLiteral("标签名,描述\r\nA1,电流\r\n");
        const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(text);
        QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << QString() << "UTF-8" << QString() << QString();
        QTest::newRow("utf-8") << text.toUtf8() << QString() << "UTF-8" << QString() << QString();
        QTest::newRow("two BOMs") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") + text.toUtf8() << QString() << "UTF-8" << QString() << QString();
        QTest::newRow("binary behind a BOM") << QByteArray("\xEF\xBB\xBF" "a,b\0c", 8) << QString() << QString() << "NUL" << QString();
        QTest::newRow("gb18030 detected") << gb << QString() << "GB18030" << QString() << QString();
        QTest::newRow("gb18030 asked") << gb << "GB18030" << "GB18030" << QString() << QString();
        QTest::newRow("utf-8 asked of gb18030") << gb << "UTF-8" << "UTF-8" << "不属于该编码" << QString();
        // A file cut short in its last character: the decoder keeps the start back unless asked.
        const QByteArray gbCut = gb.left(gb.size() - 3);
        QTest::newRow("gb18030 cut short") << gbCut << "GB18030" << "GB18030" << "1 处字节不属于该编码" << QString();
        QTest::newRow("gb18030 cut short detected") << gbCut << QString() << QString() << "既不是 UTF-8 也不是 GB18030" << QString();
        QTest::newRow("neither") << QByteArray("a,b\r\n\x81\x30\xFF\xFF\r\n") << QString() << QString() << "既不是 UTF-8 也不是 GB18030" << QString();
        QTest::newRow("xlsx") << QByteArray("PK\x03\x04rest") << QString() << QString() << "XLSX" << QString();
        QTest::newRow("xls") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1rest") << QString() << QString() << ".xls" << QString();
        QTest::newRow("binary") << QByteArray("a,b\0c", 5) << QString() << QString() << "NUL" << QString();
        QTest::newRow("empty") << QByteArray() << QString() << QString() << "空的" << QString();
        QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << QString() << "UTF-8" << "空的" << QString();
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n") << QString() << "UTF-8" << "只有空行" << QString();
        // As "Unicode text" is saved; a NUL character there would cut a value short on MariaDB.
        const auto utf16 = [](const QString &text, bool bigEndian) {
            QByteArray bytes(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
            for (const QChar c : text) {
                const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
                bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
            }
            return bytes;
        };
        QTest::newRow("utf-16 LE") << utf16(text, false) << QString() << "UTF-16" << QString() << QString();
        QTest::newRow("utf-16 BE") << utf16(text, true) << QString() << "UTF-16" << QString() << QString();
        QTest::newRow("NUL in utf-16") << utf16(QStringLiteral("标签名,描述\r\nA1,电") + QChar(0) + QStringLiteral("流\r\n"), false)
                                       << QString() << QString() << "NUL" << QString();
        const QString lone = QStringLiteral("标签名,描述\r\nA1,x") + QChar(0xD800) + QStringLiteral("y\r\n");
        QTest::newRow("lone surrogate in utf-16") << utf16(lone, false) << QString() << QString() << "1 处损坏的字符" << QString();
        QTest::newRow("utf-16 pair") << utf16(QStringLiteral("标签名,描述\r\nA1,😀\r\n"), true) << QString() << "UTF-16" << QString()
                                     << QStringLiteral("😀");
        QTest::newRow("odd byte in utf-16") << utf16(text, true) + 'x' << QString() << QString() << "1 处损坏的字符" << QString();
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, asked);
        QFETCH(QString, encoding);
        QFETCH(QString, error);
        QFETCH(QString, description);
        const CsvFile csv = CsvFile::fromBytes(bytes, asked);
        if (!error.isEmpty()) {
            QVERIFY2(csv.error().contains(error), qPrintable(csv.error() + QLatin1Char('|') + csv.encoding()));
            QVERIFY(csv.records().isEmpty());
            return;
        }
        QVERIFY2(csv.ok(), qPrintable(csv.error()));
        QCOMPARE(csv.encoding(), encoding);
        QCOMPARE(fieldsOf(csv), (QList<QStringList>{{"标签名", "描述"}, {"A1", description.isEmpty() ? QStringLiteral("电流") : description}}));
    }

    void quotingAndLines()
    {
        const CsvFile csv = CsvFile::fromBytes("a,\"b\r\nc\",d\n\"x\"\"y\",\"\"\r\n\"q\"tail,z\rlast,");
        QVERIFY2(csv.ok(), qPrintable(csv.error()));
        QCOMPARE(fieldsOf(csv), (QList<QStringList>{{"a", "b\r\nc", "d"}, {"x\"y", ""}, {"qtail", "z"}, {"last", ""}}));
        QList<int> lines;
        for (const CsvRecord &r : csv.records())
            lines << r.line;
        QCOMPARE(lines, (QList<int>{1, 3, 4, 5}));
        QVERIFY(csv.records().at(0).problem.isEmpty());
        QVERIFY2(csv.records().at(2).problem.contains(QStringLiteral("引号后面")), qPrintable(csv.records().at(2).problem));

        const CsvFile open = CsvFile::fromBytes("a,b\r\nc,\"never\r\nclosed,d\r\n");
        QVERIFY2(open.error().contains(QStringLiteral("第 2 行开始的引号")), qPrintable(open.error()));
        QVERIFY(CsvFile::read(m_root->file(QStringLiteral("missing.csv"))).error().contains(QStringLiteral("不存在")));
    }

    // A large file is decoded and split a piece at a time: a piece may end anywhere in a
    // record, a quoted line break, a doubled quote, a CR LF or a character of several bytes.
    void largeFilesSplitAsSmallOnes_data()
    {
        QTest::addColumn<QByteArray>("codec");
        QTest::newRow("utf-8") << QByteArray("UTF-8");
        QTest::newRow("gb18030") << QByteArray("GB18030");
    }
    void largeFilesSplitAsSmallOnes()
    {
        QFETCH(QByteArray, codec);
        const QString block = QStringLiteral("a,\"b\r\nc\",d\n\"x\"\"y\",\"\"\r\n\"q\"tail,z\r中文,\"引\n号\"\r\n");
        const QList<QStringList> blockFields{{"a", "b\r\nc", "d"}, {"x\"y", ""}, {"qtail", "z"}, {"中文", "引\n号"}};
        const QList<int> blockLines{2, 1, 1, 2};
        QString filler;
        QList<QStringList> fillerFields;
        for (int i = 0; filler.size() < (1 << 20) - 300; ++i) {
            filler += QStringLiteral("f%1,plain text %1\r\n").arg(i);
            fillerFields.append({QStringLiteral("f%1").arg(i), QStringLiteral("plain text %1").arg(i)});
        }
        for (int shift = 0; shift < 48; ++shift) {
            QString text = QStringLiteral("h%1\r\n").arg(QString(shift, QLatin1Char('p'))) + filler;
            QList<QStringList> fields = QList<QStringList>{{QStringLiteral("h") + QString(shift, QLatin1Char('p'))}} + fillerFields;
            int line = fields.size() + 1;
            QList<int> blockStarts;
            for (int b = 0; b < 16; ++b) {
                text += block;
                for (int r = 0; r < blockFields.size(); ++r) {
                    fields.append(blockFields.at(r));
                    blockStarts.append(line);
                    line += blockLines.at(r);
                }
            }
            const CsvFile csv = CsvFile::fromBytes(QTextCodec::codecForName(codec)->fromUnicode(text + QStringLiteral("last,")));
            QVERIFY2(csv.ok(), qPrintable(csv.error()));
            QCOMPARE(csv.encoding(), QString::fromLatin1(codec));
            QCOMPARE(csv.records().size(), fields.size() + 1);
            QCOMPARE(fieldsOf(csv).mid(0, fields.size()), fields);
            QCOMPARE(csv.records().last().fields, (QStringList{"last", ""}));
            QCOMPARE(csv.records().last().line, line);
            QList<int> starts;
            for (int r = fields.size() - blockStarts.size(); r < fields.size(); ++r)
                starts.append(csv.records().at(r).line);
            QCOMPARE(starts, blockStarts);
            QVERIFY(csv.records().at(fields.size() - 2).problem.contains(QStringLiteral("引号后面")));
        }

        // A field longer than several pieces.
        QString giant;
        for (int i = 0; giant.size() < 5 << 20; ++i)
            giant += i % 100 == 0 ? QStringLiteral("\"\"\r\n") : QStringLiteral("长字段");
        const CsvFile csv = CsvFile::fromBytes(QTextCodec::codecForName(codec)->fromUnicode(QStringLiteral("g,\"%1\",end\r\nlast,").arg(giant)));
        QVERIFY2(csv.ok(), qPrintable(csv.error()));
        QCOMPARE(csv.records().size(), 2);
        QCOMPARE(csv.records().at(0).fields.value(1), QString(giant).replace(QStringLiteral("\"\""), QStringLiteral("\"")));
        QCOMPARE(csv.records().at(1).line, 2 + giant.count(QStringLiteral("\r\n")));
    }

    void tooManyRecordsAreRefusedQuickly()
    {
        QByteArray bytes;
        bytes.reserve((CsvFile::MaxRecords + 1) * 3);
        for (int i = 0; i <= CsvFile::MaxRecords; ++i)
            bytes += "1\r\n";
        QElapsedTimer timer;
        timer.start();
        const CsvFile csv = CsvFile::fromBytes(bytes);
        QVERIFY2(csv.error().contains(QStringLiteral("1,048,576")), qPrintable(csv.error()));
        QVERIFY(csv.records().isEmpty());
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    }

    void headers()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const TableDefinition def = definitionOf(kTable);
        const auto match = [&def](const QByteArray &bytes) { return ImportColumns::match(def, CsvFile::fromBytes(bytes).records()); };
        const int unit = def.columns.findCol(QStringLiteral("UNIT"));

        ImportColumns both = match("标签名,单位\r\nTAG_NAME,UNIT\r\nA,kV\r\n");
        QCOMPARE(both.headerRows, 2);
        QCOMPARE(both.ofField, (QVector<int>{0, unit}));
        ImportColumns names = match("tag_name,Unit,extra,\r\nA,kV,1,\r\n");
        QCOMPARE(names.headerRows, 1);
        QCOMPARE(names.ofField, (QVector<int>{0, unit, -1, -1}));
        QCOMPARE(names.unknown, QStringList{"extra"}); // an empty column without header passes unseen
        QCOMPARE(match("标签名,单位\r\nA,kV\r\n").headerRows, 1);
        QCOMPARE(match("描述,单位\r\n").error, QStringLiteral("文件中没有关键字列 标签名(TAG_NAME)"));
        QVERIFY(match("TAG_NAME,UNIT,单位\r\n").error.contains(QStringLiteral("出现两次（第 2 列和第 3 列）")));
        QVERIFY(match("TAG_NAME\tUNIT\r\n").error.contains(QStringLiteral("制表符")));
        QCOMPARE(match("TAG_NAME,\r\nA,v\r\n").unknown, QStringList{"第 2 列（没有表头）"});
    }

    // ---- Import against each database ----------------------------------------------------

    void roundTrip_data() { addBackendRows(); }
    void roundTrip()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        orv_public::StartLogSystem("MODEL", "tst_sheets");
        const QList<QStringList> before = tableTexts(kTable);
        QStringList lines = csvLines(exportedCsv(kTable));
        QCOMPARE(lines.size(), before.size() + 3); // two header rows and the empty text after the last CRLF

        // Re-reading the export changes nothing, on every database's way of spelling numbers.
        const ImportPlan same = planFor(kTable, joinedCsv(lines));
        QCOMPARE(same.count(ImportPlan::Unchanged), before.size());
        QVERIFY(!same.hasWrites());

        const TableDefinition def = definitionOf(kTable);
        const int desc = def.columns.findCol(QStringLiteral("DESCRIPTION"));
        const int unit = def.columns.findCol(QStringLiteral("UNIT"));
        const int coeff = def.columns.findCol(QStringLiteral("COEFF"));
        setField(lines, 2, desc, QStringLiteral("=改过的描述"));
        setField(lines, 3, unit, QStringLiteral("kV"));
        setField(lines, 4, coeff, QStringLiteral("2.5"));
        // As a spreadsheet program on a Chinese system saves it.
        const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(lines.join(QStringLiteral("\r\n")));
        const QString path = m_root->file(QStringLiteral("changed.csv"));
        writeFile(path, gb);
        CsvFile csv = CsvFile::read(path);
        QCOMPARE(csv.encoding(), QStringLiteral("GB18030"));
        const ImportColumns columns = ImportColumns::match(def, csv.records());
        const ImportPlan plan = ImportPlan::build(def, csv.takeRecords(), columns, readerOf(def), {});
        QCOMPARE(plan.count(ImportPlan::Changed), 3);
        QCOMPARE(plan.changedCells(), 3);
        QCOMPARE(plan.count(ImportPlan::Unchanged), before.size() - 3);
        QCOMPARE(plan.describe(plan.rows().at(0)), QStringLiteral("描述: %1 → =改过的描述").arg(before.at(0).at(desc)));

        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        QList<QStringList> expected = before;
        expected[0][desc] = QStringLiteral("=改过的描述");
        expected[1][unit] = QStringLiteral("kV");
        const QList<QStringList> after = tableTexts(kTable);
        QCOMPARE(after.at(2).at(coeff).toDouble(), 2.5);
        expected[2][coeff] = after.at(2).at(coeff);
        QCOMPARE(after, expected);
        const QStringList records = auditRecords(*m_root);
        QCOMPARE(records.size(), 3);
        const QJsonObject first = QJsonDocument::fromJson(records.first().toUtf8()).object();
        QCOMPARE(first.value(QStringLiteral("action")).toString(), QStringLiteral("UPDATE"));
        QCOMPARE(first.value(QStringLiteral("key")).toString(), before.at(0).at(0));
        QCOMPARE(first.value(QStringLiteral("new")).toString(), QStringLiteral("=改过的描述"));
        QCOMPARE(first.value(QStringLiteral("old")).toString(), before.at(0).at(desc));

        // Undone as a whole; a second time finds the rows no longer as the import left them.
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error, QString());
        QCOMPARE(tableTexts(kTable), before);
        QVERIFY(!OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error.isEmpty());
        QCOMPARE(tableTexts(kTable), before);
    }

    void refusedRowsAreNeverWritten_data() { addBackendRows(); }
    void refusedRowsAreNeverWritten()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QList<QStringList> before = tableTexts(kTable);
        const QString a = before.at(0).at(0), b = before.at(1).at(0), c = before.at(2).at(0);
        const QByteArray file = "TAG_NAME,DOT_NO,UNIT\r\n"
                                + a.toUtf8() + ",99999999999,kV\r\n"    // 2: out of range
                                + b.toUtf8() + ",7,kV\r\n"              // 3: key twice
                                + b.toUtf8() + ",8,kV\r\n"              // 4
                                ",9,kV\r\n"                              // 5: empty key
                                + c.toUtf8() + ",9\r\n"                 // 6: too few fields
                                "NEW.POINT,12,A\r\n"                     // 7: new
                                + before.at(3).at(0).toUtf8() + ",,\r\n"; // 8: cells emptied
        const ImportPlan plan = planFor(kTable, file);
        QStringList reasons;
        for (const ImportPlan::Row &row : plan.rows())
            if (row.kind == ImportPlan::Refused)
                reasons << QStringLiteral("%1 %2").arg(row.line).arg(row.reason);
        QCOMPARE(reasons.size(), 5);
        QVERIFY2(reasons.at(0).startsWith(QStringLiteral("2 “点号”(DOT_NO)不能保存值“99999999999”：超出范围")), qPrintable(reasons.at(0)));
        QCOMPARE(reasons.at(1), QStringLiteral("3 关键字与第 4 行重复"));
        QCOMPARE(reasons.at(2), QStringLiteral("4 关键字与第 3 行重复"));
        QCOMPARE(reasons.at(3), QStringLiteral("5 关键字 标签名(TAG_NAME) 为空"));
        QCOMPARE(reasons.at(4), QStringLiteral("6 有 2 个字段，表头有 3 个"));
        QCOMPARE(plan.count(ImportPlan::New), 1);

        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        QHash<QString, QStringList> after;
        for (const QStringList &row : tableTexts(kTable))
            after.insert(row.first(), row);
        QCOMPARE(after.size(), before.size() + 1);
        for (int r = 0; r < 3; ++r)
            QCOMPARE(after.value(before.at(r).first()), before.at(r));
        QCOMPARE(after.value(before.at(3).first()).at(definitionOf(kTable).columns.findCol(QStringLiteral("DOT_NO"))), QString());
        QVERIFY(after.contains(QStringLiteral("NEW.POINT")));

        // The undo takes the new row away and gives the emptied cells back.
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error, QString());
        QCOMPARE(tableTexts(kTable), before);
    }

    void missingRowsAreDeletedOnlyWhenAsked_data() { addBackendRows(); }
    void missingRowsAreDeletedOnlyWhenAsked()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        orv_public::StartLogSystem("MODEL", "tst_sheets");
        const QList<QStringList> before = tableTexts(kTable);
        QStringList lines = csvLines(exportedCsv(kTable));
        const QString gone1 = before.at(5).at(0), gone2 = before.at(9).at(0);
        lines.removeAt(lineOfKey(lines, gone2));
        lines.removeAt(lineOfKey(lines, gone1));
        QCOMPARE(planFor(kTable, joinedCsv(lines)).count(ImportPlan::Deleted), 0);

        const ImportPlan plan = planFor(kTable, joinedCsv(lines), true);
        QCOMPARE(plan.count(ImportPlan::Deleted), 2);
        QCOMPARE(plan.rows().at(0).kind, ImportPlan::Deleted);
        QCOMPARE(plan.rows().at(0).key, QStringList{gone1});
        QCOMPARE(plan.rows().at(1).key, QStringList{gone2});
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        QCOMPARE(tableTexts(kTable).size(), before.size() - 2);
        const QStringList records = auditRecords(*m_root);
        QCOMPARE(records.size(), 2);
        QVERIFY(records.first().contains(QStringLiteral("\"action\":\"DELETE\"")));

        // Put back with every value they held.
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error, QString());
        QCOMPARE(tableTexts(kTable), before);
    }

    void undoKeepsWhatOthersChanged_data() { addBackendRows(); }
    void undoKeepsWhatOthersChanged()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QString key = firstKey(kTable);
        const ImportPlan plan = planFor(kTable, "TAG_NAME,UNIT\r\n" + key.toUtf8() + ",kV\r\nNEW.ONE,A\r\n");
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_analog SET UNIT = 'MW' WHERE TAG_NAME = '%1'").arg(key)}), QString());
        const QList<QStringList> changed = tableTexts(kTable);
        const QString error = OrvTableDataMgr::getInstance()->executeWrites(plan.undoWrites()).error;
        QVERIFY2(error.contains(QStringLiteral("没有改动任何记录")), qPrintable(error));
        QCOMPARE(tableTexts(kTable), changed);
    }

    void lockedColumnsAndReadOnlyUsers()
    {
        QFile source(m_root->file(QStringLiteral("tables/FES_ANALOG.xml")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray xml = source.readAll();
        source.close();
        xml.replace(R"x(name="UNIT" sqlType="varchar(16)" valueType="String" editable="true")x",
                    R"x(name="UNIT" sqlType="varchar(16)" valueType="String" editable="false")x");
        m_root->writeFile(QStringLiteral("tables/FES_ANALOG.xml"), xml);
        QVERIFY(freshDemo(Backend::SQLite));
        const QString key = firstKey(kTable);
        const ImportPlan plan = planFor(kTable, "TAG_NAME,UNIT,DOT_NO\r\n" + key.toUtf8() + ",kV,5\r\nNEW.TWO,A,1\r\n");
        QCOMPARE(plan.rows().at(0).reason, QStringLiteral("列 单位(UNIT) 不可修改"));
        QCOMPARE(plan.count(ImportPlan::New), 1); // a new row may give every column

        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        const QList<QStringList> before = tableTexts(kTable);
        QVERIFY(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error.contains(QStringLiteral("没有修改权限")));
        QCOMPARE(tableTexts(kTable), before);
    }


    // ---- Faithful values and a dialog that follows its choices ---------------------------

    // A spreadsheet keeps 15 digits, the database keeps every digit of a bigint: a change in the
    // last digits is a change.
    void integersCompareDigitForDigit_data() { addBackendRows(); }
    void integersCompareDigitForDigit()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QString table = QStringLiteral("fes_accuml");
        const QList<QStringList> rows = tableTexts(table);
        QVERIFY(rows.size() >= 2);
        const QString a = rows.at(0).at(0), b = rows.at(1).at(0);
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_accuml SET FULL_VALUE = 1234567890123456789 WHERE TAG_NAME = '%1'").arg(a),
                            QStringLiteral("UPDATE fes_accuml SET FULL_VALUE = 9007199254740993 WHERE TAG_NAME = '%1'").arg(b)}),
                 QString());
        const ImportPlan plan = planFor(table, "TAG_NAME,FULL_VALUE\r\n" + a.toUtf8() + ",1234567890123456788\r\n"
                                                   + b.toUtf8() + ",9007199254740992\r\n");
        QCOMPARE(plan.count(ImportPlan::Changed), 2);
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        const int full = definitionOf(table).columns.findCol(QStringLiteral("FULL_VALUE"));
        QCOMPARE(tableTexts(table).at(0).at(full), QStringLiteral("1234567890123456788"));
        QCOMPARE(tableTexts(table).at(1).at(full), QStringLiteral("9007199254740992"));
    }

    // A decimal(14,4) holds 14 digits, all of which a spreadsheet keeps: a change in the last
    // one is a change, and another spelling of a value is none.
    void decimalsCompareToTheLastDigit_data() { addBackendRows(); }
    void decimalsCompareToTheLastDigit()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QList<QStringList> rows = tableTexts(kTable);
        QVERIFY(rows.size() >= 2);
        const QString a = rows.at(0).at(0), b = rows.at(1).at(0);
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_analog SET COEFF = 9995800320.9691 WHERE TAG_NAME = '%1'").arg(a),
                            QStringLiteral("UPDATE fes_analog SET COEFF = 2.5 WHERE TAG_NAME = '%1'").arg(b)}),
                 QString());
        const ImportPlan plan = planFor(kTable, "TAG_NAME,COEFF\r\n" + a.toUtf8() + ",9995800320.9692\r\n" + b.toUtf8() + ",2.50\r\n");
        QCOMPARE(plan.count(ImportPlan::Changed), 1);
        QCOMPARE(plan.count(ImportPlan::Unchanged), 1);
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        const int coeff = definitionOf(kTable).columns.findCol(QStringLiteral("COEFF"));
        QCOMPARE(tableTexts(kTable).at(0).at(coeff).toDouble(), 9995800320.9692);
    }

    // A row of the file refused for the way its key is written is still a row of the file: the
    // table's row of that key is not among those the file no longer has.
    void deleteMissingSparesRowsTheFileRefused_data() { addBackendRows(); }
    void deleteMissingSparesRowsTheFileRefused()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QString table = QStringLiteral("rm_role_def");
        const QList<QStringList> before = tableTexts(table);
        QVERIFY(before.size() >= 3);
        QStringList lines = csvLines(exportedCsv(table));
        setField(lines, 2, 0, before.at(0).at(0) + QLatin1Char(' '));   // a blank typed after it
        setField(lines, 3, 0, before.at(1).at(0) + QStringLiteral(".0")); // as a number format writes it
        const ImportPlan plan = planFor(table, joinedCsv(lines), true);
        QCOMPARE(plan.count(ImportPlan::Refused), 2);
        QCOMPARE(plan.count(ImportPlan::Deleted), 0);
        QVERIFY2(plan.summary().contains(QStringLiteral("不删除")), qPrintable(plan.summary()));
        // What the dialog and --skip-refused write: the accepted rows.
        QCOMPARE(OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error, QString());
        QCOMPARE(tableTexts(table), before);
    }

    // Texts a spreadsheet program reads back otherwise, and characters cut off where the text is
    // handed to the library, are written so that they read back as they were, or refused.
    void xlsxTextsReadBackAsStored()
    {
        TextSheet sheet({column("标签名", "TAG_NAME"), column("描述", "DESCRIPTION")});
        sheet.append({"A", "_x0041_"});
        sheet.append({"B", QString("n") + QChar(0) + QStringLiteral("ul")});
        const QString path = m_root->file(QStringLiteral("texts.xlsx"));
        SheetExport::Options options;
        options.format = SheetExport::Format::Xlsx;
        const QString error = SheetExport::writeFile(sheet, path, options);
        if (!error.isEmpty()) {
            QVERIFY2(error.contains(QStringLiteral("第 2 行")), qPrintable(error));
            return;
        }
        const QString xml = sheetXml(path);
        // An escape spelled out in a cell is itself escaped, else it reads as the character "A".
        const QString escaped = QStringLiteral("<t>_x005F_x0041_</t>"), whole = QStringLiteral("<t>n_x0000_ul</t>");
        QVERIFY2(xml.contains(escaped) && xml.contains(whole),
                 qPrintable(xml.mid(xml.indexOf(QStringLiteral("<row r=\"3\""))).section(QStringLiteral("</sheetData>"), 0, 0)));
    }


    // A cell the library will not take fails the export, rather than being left out of a file
    // said to be written; characters XML cannot hold are written as escapes.
    void xlsxCellsAreWrittenWholeOrRefused()
    {
        const QString path = m_root->file(QStringLiteral("cells.xlsx"));
        writeFile(path, "before");
        SheetExport::Options options;
        options.format = SheetExport::Format::Xlsx;
        TextSheet grown(SheetData::textColumns({"描述"}, {"DESCRIPTION"}));
        grown.append({"short"});
        // Within the limit, but not once its escape is escaped.
        grown.append({QStringLiteral("_x0041_") + QString(XlsxSheetWriter::MaxCellChars - 7, QLatin1Char('x'))});
        const QString error = SheetExport::writeFile(grown, path, options);
        QVERIFY2(error.contains(QStringLiteral("第 2 行")), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray("before"));

        TextSheet odd({column("标签名", "TAG_NAME"), column("描述", "DESCRIPTION")});
        odd.append({"A", QStringLiteral("a") + QChar(0xFFFE) + QStringLiteral("b") + QChar(0xFFFF)});
        odd.append({"B", QStringLiteral("c") + QChar(0x01) + QStringLiteral("d")});
        options.sheetName = QStringLiteral("表") + QChar(0x02) + QStringLiteral("名");
        QCOMPARE(SheetExport::writeFile(odd, path, options), QString());
        for (const char *part : {"xl/worksheets/sheet1.xml", "xl/workbook.xml", "docProps/app.xml"}) {
            const QString xml = sheetXml(path, QLatin1String(part));
            QVERIFY2(!xml.isEmpty() && xmlError(xml).isEmpty(), qPrintable(QLatin1String(part) + QLatin1String(": ") + xmlError(xml)));
        }
        QVERIFY(sheetXml(path).contains(QStringLiteral("<t>a_xFFFE_b_xFFFF_</t>")));
        QVERIFY(sheetXml(path, QStringLiteral("xl/workbook.xml")).contains(QStringLiteral("<sheet name=\"表名\"")));
    }


    // The import dialog never applies a plan made for another table than the one it shows.
    void importDialogAppliesOnlyWhatItShows()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QString path = m_root->file(QStringLiteral("offset.csv"));
        // OFFSET_VALUE is a column of fes_analog; fes_accuml has no such column.
        writeFile(path, "TAG_NAME,OFFSET_VALUE\r\nNEW.OFFSET,3\r\n");
        SheetImportDlg dlg(kTable, nullptr);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(path);
        dlg.onRead();
        QCOMPARE(dlg.plan().count(ImportPlan::New), 1);

        const QList<QStringList> accumlBefore = tableTexts(QStringLiteral("fes_accuml"));
        const QList<QStringList> analogBefore = tableTexts(kTable);
        auto *tables = dlg.findChild<QComboBox *>(QStringLiteral("comboBoxTable"));
        tables->setCurrentIndex(tables->findData(QStringLiteral("fes_accuml")));
        QVERIFY(!dlg.canApply());
        auto *deleteMissing = dlg.findChild<QCheckBox *>(QStringLiteral("checkBoxDeleteMissing"));
        deleteMissing->setChecked(true);
        deleteMissing->setChecked(false);
        Boxes boxes;
        dlg.onApply();
        QCOMPARE(tableTexts(QStringLiteral("fes_accuml")), accumlBefore);
        QCOMPARE(tableTexts(kTable), analogBefore);
    }


    // ---- The command line ----------------------------------------------------------------

    void commandLine()
    {
        // Where the platform's database configuration points, for the read-only link without --type.
        DbLinkParams p;
        QCOMPARE(openDemo(Backend::SQLite, QStringLiteral("demo"), *m_root, DemoOptions(), &p), QString());
        const QStringList link{"--type", "SQLite", "--database", p.database};
        const QString csv = m_root->file(QStringLiteral("fa.csv"));
        const QList<QStringList> before = tableTexts(kTable);

        ToolRun run = modelTable(QStringList{"export", "--table", kTable, "--output", csv} + link);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(readFile(csv), exportedCsv(kTable));
        run = modelTable(QStringList{"export", "--table", kTable, "--format", "xlsx", "--where", "DOT_NO < 3", "--output",
                                     m_root->file(QStringLiteral("fa.xlsx"))} + link);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(sheetXml(m_root->file(QStringLiteral("fa.xlsx"))).contains(QStringLiteral("<autoFilter")));
        run = modelTable(QStringList{"export", "--table", kTable, "--output", "-", "--names-only", "--where", "DOT_NO = 0"} + link);
        QVERIFY2(run.code == 0 && run.out.startsWith(QStringLiteral("TAG_NAME,DESCRIPTION,")), qPrintable(run.err));

        const QList<QPair<QStringList, QString>> troubles = {
            {{"export", "--table", "no_such_table"}, "no table definition"},
            {{"export", "--table", kTable, "--format", "ods"}, "unknown format"},
            {{"export", "--table", kTable, "--where", "1=1; DELETE FROM fes_analog"}, "第二条语句"},
            {{"export", "--table", kTable, "--where", "TAG_NAME <> 'a)') OR (1=1"}, "括号不成对"},
            {{"export", "--table", kTable, "--file", csv}, "--file does not go with export"},
            {{"import", "--table", kTable}, "import needs --file"},
            {{"import", "--table", kTable, "--file", m_root->file(QStringLiteral("none.csv"))}, "不存在"},
            {{"frobnicate", "--table", kTable}, "unknown command"},
        };
        for (const auto &t : troubles) {
            run = modelTable(t.first + link);
            QVERIFY2(run.code == 2 && run.err.contains(t.second), qPrintable(t.first.join(' ') + " -> " + run.err));
        }
        // Without --type the link is the platform's, read-only: no import.
        run = modelTable({"import", "--table", kTable, "--file", csv});
        QVERIFY2(run.code == 2 && run.err.contains(QStringLiteral("只读")), qPrintable(run.err));

        QStringList lines = csvLines(readFile(csv));
        setField(lines, 2, 9, QStringLiteral("kV"));
        setField(lines, 3, 6, QStringLiteral("99999999999"));
        lines.insert(4, QStringLiteral("X,,,,,,,,,,,extra"));
        writeFile(csv, joinedCsv(lines));
        const QStringList import{"import", "--table", kTable, "--file", csv};
        run = modelTable(import + link + QStringList{"--dry-run"});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.out.contains(QStringLiteral("新增 0　修改 1（1 个单元格）　未变 %1　拒绝 2　删除 0").arg(before.size() - 2)), qPrintable(run.out));
        QVERIFY(run.out.contains(QStringLiteral("第 4 行 拒绝: “点号”(DOT_NO)不能保存值“99999999999”")));
        QVERIFY(run.out.contains(QStringLiteral("第 5 行 拒绝: 有 12 个字段，表头有 11 个")));
        QCOMPARE(modelTable(import + link + QStringList{"--dry-run", "--skip-refused"}).code, 0);
        run = modelTable(import + link + QStringList{"--skip-refused"}, "n\n");
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains(QStringLiteral("未写入任何记录")));
        QCOMPARE(tableTexts(kTable), before);
        run = modelTable(import + link + QStringList{"--skip-refused", "--yes"});
        QVERIFY2(run.code == 0 && run.err.contains(QStringLiteral("已写入: 新增 0，修改 1，删除 0")), qPrintable(run.err));
        QCOMPARE(tableTexts(kTable).at(0).at(9), QStringLiteral("kV"));
        QVERIFY(auditRecords(*m_root).first().contains(QStringLiteral("\"column\":\"UNIT\"")));

        writeFile(csv, "TAG_NAME,OTHER\r\nA,1\r\n");
        run = modelTable(import + link + QStringList{"--yes"});
        QVERIFY2(run.code == 2 && run.err.contains(QStringLiteral("--ignore-unknown")), qPrintable(run.err));
        run = modelTable(import + link + QStringList{"--yes", "--ignore-unknown"});
        QVERIFY2(run.code == 0 && run.err.contains(QStringLiteral("新增 1")), qPrintable(run.err));
    }

    // ---- The dialogs ---------------------------------------------------------------------

    void exportFromPage()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        m_root->writeFile(QStringLiteral("config/mainWindow.xml"),
                          "<root><Item used=\"true\" text=\"前置\" id=\"PropertyPanel\" param=\"FES_ANALOG.xml\"/></root>");
        MainWindow w;
        w.show();
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->currentWidget());
        QVERIFY(page);
        QTRY_VERIFY(page->view()->model()->rowCount() > 0);
        const QList<QStringList> rows = tableTexts(kTable);
        const int matching = int(std::count_if(rows.begin(), rows.end(), [](const QStringList &row) {
            return row.join(QLatin1Char(' ')).contains(QStringLiteral("QF01_I"), Qt::CaseInsensitive);
        }));
        QVERIFY(matching > 2 && matching < rows.size());
        page->findChild<QLineEdit *>()->setText(QStringLiteral("QF01_I"));
        QTRY_COMPARE(page->view()->model()->rowCount(), matching);
        page->view()->sortByColumn(0, Qt::DescendingOrder);
        // Export and import follow the page's own actions in its context menu.
        const QList<QAction *> menu = page->view()->actions();
        QVERIFY(menu.size() > 2 && menu.at(menu.size() - 2)->objectName() == QLatin1String("action_export"));

        const QString path = m_root->file(QStringLiteral("page.csv"));
        QString message;
        answerExportDialog(path, false, &message);
        w.findChild<QAction *>(QStringLiteral("action_export"))->trigger();
        QCOMPARE(message, QStringLiteral("消息|已导出 %1 行到 %2").arg(matching).arg(path));
        QStringList lines = csvLines(readFile(path));
        QCOMPARE(lines.size(), matching + 3);
        QVERIFY(lines.at(2) > lines.at(3)); // as sorted on screen
        QVERIFY(lines.at(2).contains(QStringLiteral("QF01_I")));

        // Offered next to the last export, with the suffix of the format chosen.
        Boxes boxes;
        QString offered;
        answerModal<SheetExportDlg>([&offered](SheetExportDlg *dlg) {
            dlg->findChild<QRadioButton *>(QStringLiteral("radioWhole"))->setChecked(true);
            dlg->findChild<QRadioButton *>(QStringLiteral("radioXlsx"))->setChecked(true);
            offered = dlg->path();
            dlg->accept();
        });
        w.findChild<QAction *>(QStringLiteral("action_export"))->trigger();
        QVERIFY2(offered.startsWith(m_root->file(QStringLiteral("fes_analog_"))) && offered.endsWith(QStringLiteral(".xlsx")),
                 qPrintable(offered));
        QCOMPARE(boxes.texts.last(), QStringLiteral("已导出 %1 行到 %2").arg(rows.size()).arg(offered));
        QVERIFY(sheetXml(offered).contains(QStringLiteral("<autoFilter ref=\"A2:K%1\"/>").arg(rows.size() + 2)));
        w.hide();
    }

    // The rows shown, sorted by a column that is not the key and more than a page reads at a
    // time, go out whole in that order in one read, with the edits not saved yet; the edit stays
    // unsaved.
    void exportOfASortedPage_data() { addBackendRows(); }
    void exportOfASortedPage()
    {
        QFETCH(Backend, backend);
        QCOMPARE(openDemo(backend, QStringLiteral("sheets_sorted"), *m_root, DemoOptions::forPointCount(1200)), QString());
        OrvPropertyPage page({QStringLiteral("FES_ANALOG.xml")}, nullptr);
        page.show();
        OrvTableModel *model = page.currentModel();
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        QTRY_VERIFY(model->totalRows() > 2 * OrvTableModel::WindowRows);
        page.view()->sortByColumn(desc, Qt::DescendingOrder);
        QTRY_VERIFY(model->sortColumn() == desc && !model->isReading());
        QVERIFY(page.view()->model()->setData(page.view()->model()->index(1, desc), QStringLiteral("未保存的描述")));
        QStringList expected;
        const TableDefinition def = definitionOf(kTable);
        const QString error = OrvDbDesign().forEachRow(def.selectStatement(QString()).replace(QStringLiteral("ORDER BY"), QStringLiteral("ORDER BY DESCRIPTION DESC,")),
                                                       {}, [&](const QStringList &row) { expected.append(row.at(desc)); });
        QCOMPARE(error, QString());
        expected[1] = QStringLiteral("未保存的描述");

        const QString path = m_root->file(QStringLiteral("sorted.csv"));
        QString message;
        answerExportDialog(path, false, &message);
        SheetViewExport::exportTable(&page, page.view(), model, QStringLiteral("前置模拟量"));
        QCOMPARE(message, QStringLiteral("消息|已导出 %1 行到 %2").arg(expected.size()).arg(path));
        const CsvFile file = CsvFile::read(path, QString());
        QVERIFY2(file.ok(), qPrintable(file.error()));
        const int written = file.records().value(1).fields.indexOf(QStringLiteral("DESCRIPTION"));
        QVERIFY(written >= 0);
        QStringList descriptions;
        for (const CsvRecord &record : file.records().mid(2))
            descriptions.append(record.fields.value(written));
        QCOMPARE(descriptions, expected);
        QVERIFY(model->hasPendingChanges());
    }

    void importDialog()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QList<QStringList> before = tableTexts(kTable);
        QStringList lines = csvLines(exportedCsv(kTable));
        setField(lines, 2, 9, QStringLiteral("kV"));
        lines.insert(3, QStringLiteral("BAD,,,,,x,,,,,"));
        const QString path = m_root->file(QStringLiteral("in.csv"));
        writeFile(path, joinedCsv(lines));

        SheetImportDlg dlg(kTable.toUpper(), nullptr);
        QVERIFY(!dlg.canApply());
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(path);
        dlg.onRead();
        QCOMPARE(dlg.plan().count(ImportPlan::Changed), 1);
        QCOMPARE(dlg.plan().count(ImportPlan::Refused), 1);
        QCOMPARE(dlg.preview()->rowCount(), before.size() + 1);
        auto *kinds = dlg.findChild<QComboBox *>(QStringLiteral("comboBoxKind"));
        kinds->setCurrentIndex(kinds->findData(int(ImportPlan::Refused)));
        QCOMPARE(dlg.preview()->rowCount(), 1);
        QVERIFY(dlg.preview()->index(0, ImportPreviewModel::ChangeColumn).data().toString().contains(QStringLiteral("不是整数")));
        dlg.findChild<QCheckBox *>(QStringLiteral("checkBoxDeleteMissing"))->setChecked(true);
        QCOMPARE(dlg.plan().count(ImportPlan::Deleted), 0);

        Boxes boxes;
        dlg.onApply();
        QCOMPARE(boxes.texts.size(), 2);
        QVERIFY2(boxes.texts.at(0).contains(QStringLiteral("被拒绝的 1 行不会写入")), qPrintable(boxes.texts.at(0)));
        QCOMPARE(boxes.texts.at(1), QStringLiteral("已导入：新增 0，修改 1，删除 0"));
        QCOMPARE(tableTexts(kTable).at(0).at(9), QStringLiteral("kV"));
        QCOMPARE(dlg.plan().count(ImportPlan::Changed), 0); // read again
        QVERIFY(dlg.canUndo());
        dlg.onUndo();
        QCOMPARE(boxes.texts.last(), QStringLiteral("已撤销上次导入"));
        QCOMPARE(tableTexts(kTable), before);
        QVERIFY(!dlg.canUndo());

        // A file the table cannot take says why and offers nothing to apply.
        writeFile(path, "DESCRIPTION\r\nx\r\n");
        dlg.onRead();
        QVERIFY2(dlg.statusText().contains(QStringLiteral("文件中没有关键字列")), qPrintable(dlg.statusText()));
        QVERIFY(!dlg.canApply());
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        writeFile(path, joinedCsv(lines));
        dlg.onRead();
        QVERIFY(!dlg.canApply());
    }

    // Deleting the rows a file lacks is asked for and given up again without leaving a row of
    // either plan behind.
    void importDialogDeletesOnlyWhileAsked_data() { addBackendRows(); }
    void importDialogDeletesOnlyWhileAsked()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const int stored = tableTexts(kTable).size();
        QStringList lines = csvLines(exportedCsv(kTable));
        lines.removeAt(2);
        const QString path = m_root->file(QStringLiteral("short.csv"));
        writeFile(path, joinedCsv(lines));
        SheetImportDlg dlg(kTable, nullptr);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(path);
        dlg.onRead();
        auto *deleteMissing = dlg.findChild<QCheckBox *>(QStringLiteral("checkBoxDeleteMissing"));
        for (bool asked : {true, false, true, false}) {
            deleteMissing->setChecked(asked);
            QCOMPARE(dlg.plan().count(ImportPlan::Deleted), asked ? 1 : 0);
            QCOMPARE(dlg.preview()->rowCount(), stored - 1 + (asked ? 1 : 0));
            QCOMPARE(dlg.canApply(), asked);
        }
    }

    void changeRecords()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QDateTime now = QDateTime::currentDateTime();
        const auto line = [](const QDateTime &time, const char *outcome, const char *account, const char *table, const char *key) {
            return QStringLiteral("{\"time\":\"%1\",\"batch\":\"b\",\"outcome\":\"%2\",\"account\":\"%3\",\"link\":\"l\","
                                  "\"action\":\"UPDATE\",\"table\":\"%4\",\"key_column\":\"TAG_NAME\",\"key\":\"%5\","
                                  "\"column\":\"UNIT\",\"old\":null,\"new\":\"kV\"}\n")
                .arg(time.toString(Qt::ISODateWithMs), QLatin1String(outcome), QLatin1String(account), QLatin1String(table),
                     QLatin1String(key))
                .toUtf8();
        };
        m_root->writeFile(QStringLiteral("log/audit.log.1"), line(now.addDays(-2), "committed", "engineer", "fes_analog", "OLD.ONE"));
        m_root->writeFile(QStringLiteral("log/audit.log"),
                          line(now.addSecs(-60), "committed", "engineer", "fes_analog", "STA01.A") + "not json\n"
                              + line(now.addSecs(-50), "rolled back", "engineer", "fes_analog", "STA01.B")
                              + line(now.addSecs(-40), "committed", "viewer", "analog", "STA02.C"));
        QCOMPARE(AuditTrail::files(m_root->file(QStringLiteral("log"))),
                 (QStringList{m_root->file(QStringLiteral("log/audit.log.1")), m_root->file(QStringLiteral("log/audit.log"))}));

        AuditTrailDlg dlg(nullptr);
        QCOMPARE(dlg.view()->model()->rowCount(), 2);
        QVERIFY2(dlg.statusText().contains(QStringLiteral("1 行无法识别")), qPrintable(dlg.statusText()));
        AuditTrail::Query q = dlg.query();
        q.committedOnly = false;
        q.account = QStringLiteral("engineer");
        dlg.setQuery(q);
        dlg.onQuery();
        QCOMPARE(dlg.view()->model()->rowCount(), 2);
        q.from = now.addDays(-3);
        q.table = QStringLiteral("FES_ANALOG");
        q.key = QStringLiteral("sta01");
        dlg.setQuery(q);
        dlg.onQuery();
        QCOMPARE(dlg.view()->model()->rowCount(), 2);
        QCOMPARE(dlg.view()->model()->index(1, AuditTrail::Outcome).data().toString(), QStringLiteral("rolled back"));

        const QString path = m_root->file(QStringLiteral("audit.csv"));
        QString message;
        answerExportDialog(path, false, &message);
        dlg.onExport();
        QCOMPARE(message, QStringLiteral("消息|已导出 2 行到 %1").arg(path));
        const QStringList lines = csvLines(readFile(path));
        QCOMPARE(lines.at(1), QStringLiteral("time,outcome,account,action,table,key_column,key,column,old,new,reason,batch,link"));
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.at(3).contains(QStringLiteral(",rolled back,engineer,UPDATE,fes_analog,TAG_NAME,STA01.B,UNIT,,kV,")));
    }

    // A key the database takes for one it holds (MariaDB pads with blanks when it compares) is
    // no new row: what the preview promises, applying does.
    void keysAsTheDatabaseComparesThem_data() { addBackendRows(); }
    void keysAsTheDatabaseComparesThem()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QString key = firstKey(kTable);
        const QByteArray file = "TAG_NAME,UNIT\r\n\"" + key.toUtf8() + " \",kV\r\nNEW.ONE,A\r\n";
        // The dialog reads over a connection of its own, which compares keys as the link does.
        const QString path = m_root->file(QStringLiteral("padded.csv"));
        writeFile(path, file);
        SheetImportDlg dlg(kTable, nullptr);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(path);
        dlg.onRead();
        QCOMPARE(dlg.plan().count(ImportPlan::New), backend == Backend::MariaDB ? 1 : 2);

        const ImportPlan plan = planFor(kTable, file);
        const QString error = OrvTableDataMgr::getInstance()->executeWrites(plan.writes()).error;
        QVERIFY2(error.isEmpty(), qPrintable(plan.summary() + QLatin1Char('\n') + error));
        QCOMPARE(plan.count(ImportPlan::New), backend == Backend::MariaDB ? 1 : 2);
    }

    // A table larger than one range of its key is read whole, once, in key order, on every
    // database (MariaDB reads it range by range), a condition with OR included.
    void largeTablesReadWhole_data() { addBackendRows(); }
    void largeTablesReadWhole()
    {
        QFETCH(Backend, backend);
        DbLinkParams params;
        QVERIFY(freshDemo(backend, &params));
        const int added = 45001;
        QStringList inserts;
        for (int first = 0; first < added; first += 1000) {
            QStringList values;
            for (int i = first; i < qMin(added, first + 1000); ++i)
                values.append(QStringLiteral("('R%1','d%1')").arg(i, 5, 10, QLatin1Char('0')));
            inserts.append(QStringLiteral("INSERT INTO fes_analog (TAG_NAME, DESCRIPTION) VALUES %1").arg(values.join(QLatin1Char(','))));
        }
        QCOMPARE(runOnLink(inserts), QString());
        const TableDefinition def = definitionOf(kTable);
        QString error;
        const TableSheet whole = TableSheet::read(def, QString(), &error);
        QCOMPARE(error, QString());
        const TableSheet some = TableSheet::read(def, QStringLiteral("DESCRIPTION LIKE 'd%' OR TAG_NAME = 'R00007'"), &error);
        QCOMPARE(error, QString());
        QCOMPARE(some.rowCount(), added);
        QCOMPARE(some.text(added - 1, 0), QStringLiteral("R45000"));
        QSet<QString> tags;
        for (int r = 0; r < whole.rowCount(); ++r)
            tags.insert(whole.text(r, 0));
        QCOMPARE(tags.size(), whole.rowCount());

        const ImportPlan plan = planFor(kTable, csvBytes(whole), true);
        QCOMPARE(plan.count(ImportPlan::Unchanged), whole.rowCount());
        QVERIFY(!plan.hasWrites());
        if (backend != Backend::MariaDB)
            return;

        // Every range sees the table as it stood when the read began, as one statement does.
        QCOMPARE(DbConnection::open(params, QStringLiteral("other")), QString());
        bool lastSeen = false;
        error = TableSheet::forEachRow(def, QString(), [&lastSeen](const QStringList &cells) {
            if (cells.at(0) == QLatin1String("R00000"))
                QSqlQuery(QSqlDatabase::database(QStringLiteral("other"))).exec(QStringLiteral("DELETE FROM fes_analog WHERE TAG_NAME = 'R45000'"));
            lastSeen = lastSeen || cells.at(0) == QLatin1String("R45000");
        });
        DbConnection::close(QStringLiteral("other"));
        QCOMPARE(error, QString());
        QVERIFY(lastSeen);

        // Without a key the database holds unique, a row of a key twice on the edge of a range
        // is not lost: such a table is read in one statement.
        QCOMPARE(runOnLink({QStringLiteral("ALTER TABLE fes_analog DROP PRIMARY KEY"),
                            QStringLiteral("INSERT INTO fes_analog (TAG_NAME, DESCRIPTION) VALUES ('R19999', 'twice')")}),
                 QString());
        const TableSheet keyless = TableSheet::read(def, QString(), &error);
        QCOMPARE(error, QString());
        QCOMPARE(keyless.rowCount(), whole.rowCount()); // R45000 gone, R19999 twice
    }

    // Integer keys match in any spelling the file may give, and a file's runs of one value
    // stay each field's own.
    void integerKeysInAnySpelling()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QString table = QStringLiteral("hmi_type_info");
        QCOMPARE(runOnLink({QStringLiteral("DELETE FROM hmi_type_info"),
                            QStringLiteral("INSERT INTO hmi_type_info (HMI_ID, HMI_NAME) VALUES (0, 'a'), (7, 'b'), (-12, 'c'), (70, 'd')")}),
                 QString());
        const ImportPlan plan = planFor(table, "HMI_ID,HMI_NAME\r\n-0,a\r\n007,b\r\n-12,c\r\n70,d\r\n+70,x\r\n700,x\r\n");
        QCOMPARE(plan.count(ImportPlan::Unchanged), 3);
        QCOMPARE(plan.count(ImportPlan::Refused), 2); // 70 twice
        QCOMPARE(plan.count(ImportPlan::New), 1);

        const CsvFile csv = CsvFile::fromBytes("a,b\r\n1,1\r\n1,2\r\n2,2\r\n");
        QStringList fields;
        for (const CsvRecord &record : csv.records())
            fields += record.fields;
        QCOMPARE(fields, (QStringList{"a", "b", "1", "1", "1", "2", "2", "2"}));
    }

    // A spreadsheet program saves the empty rows of its sheet as commas alone: they are blank
    // lines, not rows without a key, which would hold back the deletions and the command line.
    void emptySheetRowsAreBlankLines()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QList<QStringList> before = tableTexts(kTable);
        const QByteArray file = "TAG_NAME,UNIT\r\n" + before.at(0).at(0).toUtf8() + ",kV\r\n,\r\n\"\",\"\"\r\n,\r\n";
        const ImportPlan plan = planFor(kTable, file, true);
        QCOMPARE(plan.count(ImportPlan::Refused), 0);
        QCOMPARE(plan.count(ImportPlan::Changed), 1);
        QCOMPARE(plan.count(ImportPlan::Deleted), before.size() - 1);
        QVERIFY(CsvFile::fromBytes(",,\r\n\r\n,,\r\n").error().contains(QStringLiteral("只有空行")));
    }

    // A table that cannot be read gives no plan, in the dialog and on the command line.
    void unreadableTableGivesNoPlan()
    {
        DbLinkParams p;
        QCOMPARE(openDemo(Backend::SQLite, QStringLiteral("demo"), *m_root, DemoOptions(), &p), QString());
        const QString path = m_root->file(QStringLiteral("in.csv"));
        writeFile(path, exportedCsv(kTable));
        QCOMPARE(runOnLink({QStringLiteral("ALTER TABLE fes_analog RENAME TO fes_analog_gone")}), QString());

        SheetImportDlg dlg(kTable, nullptr);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(path);
        dlg.onRead();
        QVERIFY2(dlg.statusText().startsWith(QStringLiteral("读取表 fes_analog 失败")), qPrintable(dlg.statusText()));
        QVERIFY(!dlg.canApply());
        QCOMPARE(dlg.preview()->rowCount(), 0);

        const ToolRun run = modelTable({"import", "--table", kTable, "--file", path, "--dry-run", "--type", "SQLite", "--database", p.database});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(QStringLiteral("读取表 fes_analog 失败")), qPrintable(run.err));

        // Rows read before the link failed are no plan either.
        const TableDefinition def = definitionOf(kTable);
        CsvFile csv = CsvFile::read(path);
        const ImportColumns columns = ImportColumns::match(def, csv.records());
        const QStringList stored = csv.records().at(columns.headerRows).fields;
        const ImportPlan partial = ImportPlan::build(def, csv.takeRecords(), columns, [&stored](const std::function<void(const QStringList &)> &visit) {
            visit(stored);
            return QStringLiteral("连接已断开");
        }, {});
        QCOMPARE(partial.error(), QStringLiteral("连接已断开"));
        QVERIFY(partial.rows().isEmpty());
    }

    // Any text may name the worksheet: the export dialog passes what it exports, a table's
    // description included.
    void xlsxSheetNameFromAnyText()
    {
        TextSheet sheet(SheetData::textColumns({"描述"}, {"DESCRIPTION"}));
        sheet.append({"x"});
        const QString path = m_root->file(QStringLiteral("named.xlsx"));
        SheetExport::Options options;
        options.format = SheetExport::Format::Xlsx;
        for (const QString &name : {QStringLiteral("'A'类测点（analog_a）"), QString(30, QLatin1Char('x')) + QStringLiteral("'s table")}) {
            options.sheetName = name;
            QCOMPARE(SheetExport::writeFile(sheet, path, options), QString());
            QVERIFY(sheetXml(path).contains(QStringLiteral("<t>x</t>")));
        }
    }
};

QTEST_MAIN(SheetsTest)
#include "tst_sheets.moc"
