#include "XlsxSheetWriter.h"

#include "SheetCells.h"
#include "SheetData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <xlsxwriter.h>

namespace XlsxSheetWriter {
namespace {

constexpr int MinWidth = 6;
constexpr int MaxWidth = 60;

QString tr(const char *text)
{
    return QCoreApplication::translate("XlsxSheetWriter", text);
}

// A worksheet name may not hold []:*?/\, begin or end with an apostrophe, nor have more than
// 31 characters.
QByteArray worksheetName(const QString &wanted)
{
    QString name;
    for (const QChar c : wanted)
        if (!QStringLiteral("[]:*?/\\").contains(c))
            name += c;
    name = name.left(31);
    const QRegularExpression ends(QStringLiteral("^['\\s]+|['\\s]+$"));
    name.remove(ends);
    return (name.isEmpty() ? QStringLiteral("Sheet1") : name).toUtf8();
}

// A text as the file must hold it to be read back the same: a reader takes _xHHHH_ for the
// character it names, so such a text has its underscore escaped, and a NUL, which would end
// the C string, is written the same way.
QByteArray xlsxText(const QString &text)
{
    if (!text.contains(QLatin1String("_x")) && !text.contains(QChar(0)))
        return text.toUtf8();
    static const QRegularExpression escapeLike(QStringLiteral("(_x[0-9A-Fa-f]{4}_)"));
    QString escaped = text;
    escaped.replace(escapeLike, QStringLiteral("_x005F\\1"));
    escaped.replace(QChar(0), QLatin1String("_x0000_"));
    return escaped.toUtf8();
}

QVector<double> columnWidths(const SheetData &data, const QVector<SheetColumn> &columns, bool namesOnly)
{
    QVector<double> widths;
    for (int c = 0; c < columns.size(); ++c) {
        int width = SheetCells::displayWidth(columns.at(c).name);
        if (!namesOnly)
            width = qMax(width, SheetCells::displayWidth(columns.at(c).description));
        for (int r = 0; r < data.rowCount(); ++r)
            width = qMax(width, SheetCells::displayWidth(data.text(r, c)));
        // A little room for the autofilter's button.
        widths.append(qBound(MinWidth, width + 3, MaxWidth));
    }
    return widths;
}

class Workbook
{
public:
    explicit Workbook(const QString &path)
    {
        lxw_workbook_options options = {LXW_TRUE, nullptr, LXW_FALSE};
        m_tmpdir = QFile::encodeName(QDir::tempPath());
        options.tmpdir = m_tmpdir.data();
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    }
    ~Workbook()
    {
        // Closing is the only way to free it; a workbook given up on writes what it has.
        if (m_book)
            workbook_close(m_book);
    }
    lxw_workbook *book() const { return m_book; }
    lxw_error close()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr;
        return workbook_close(book);
    }

private:
    QByteArray m_tmpdir;
    lxw_workbook *m_book = nullptr;
};

struct Formats
{
    lxw_format *header;
    lxw_format *text;
};

void writeHeader(lxw_worksheet *sheet, const QVector<SheetColumn> &columns, bool namesOnly, lxw_format *format)
{
    lxw_row_t row = 0;
    if (!namesOnly) {
        for (int c = 0; c < columns.size(); ++c)
            worksheet_write_string(sheet, row, lxw_col_t(c), xlsxText(columns.at(c).description).constData(), format);
        ++row;
    }
    for (int c = 0; c < columns.size(); ++c)
        worksheet_write_string(sheet, row, lxw_col_t(c), xlsxText(columns.at(c).name).constData(), format);
}

QString writeRows(lxw_worksheet *sheet, const SheetData &data, const QVector<SheetColumn> &columns, lxw_row_t first,
                  const Formats &formats)
{
    double number = 0;
    for (int r = 0; r < data.rowCount(); ++r) {
        const lxw_row_t row = first + lxw_row_t(r);
        for (int c = 0; c < columns.size(); ++c) {
            const QString text = data.text(r, c);
            if (text.isEmpty())
                continue;
            if (SheetCells::asNumber(columns.at(c).kind, text, &number)) {
                worksheet_write_number(sheet, row, lxw_col_t(c), number, nullptr);
                continue;
            }
            if (text.size() > MaxCellChars)
                return tr("第 %1 行“%2”列的文本超过 %3 个字符，XLSX 单元格放不下；请导出为 CSV")
                    .arg(r + 1).arg(columns.at(c).description).arg(MaxCellChars);
            worksheet_write_string(sheet, row, lxw_col_t(c), xlsxText(text).constData(), formats.text);
        }
    }
    return QString();
}

} // namespace

QString write(const SheetData &data, bool namesOnly, const QString &sheetName, const QString &path)
{
    const QVector<SheetColumn> columns = data.columns();
    const int headerRows = namesOnly ? 1 : 2;
    if (columns.isEmpty())
        return tr("没有可导出的列");
    if (data.rowCount() + headerRows > MaxRows)
        return tr("%1 行超过 XLSX 的 %2 行上限；请导出为 CSV").arg(data.rowCount()).arg(MaxRows - headerRows);

    Workbook workbook(path);
    if (!workbook.book())
        return tr("无法创建 XLSX 文件 %1").arg(path);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook.book(), worksheetName(sheetName).constData());
    if (!sheet)
        return tr("无法在 XLSX 文件中建立工作表“%1”").arg(QString::fromUtf8(worksheetName(sheetName)));
    Formats formats{workbook_add_format(workbook.book()), workbook_add_format(workbook.book())};
    format_set_bold(formats.header);
    format_set_bottom(formats.header, LXW_BORDER_THIN);
    // Typed into a text column, "007" stays text too.
    format_set_num_format(formats.text, "@");

    const QVector<double> widths = columnWidths(data, columns, namesOnly);
    for (int c = 0; c < columns.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths.at(c), columns.at(c).kind.isNumeric() ? nullptr : formats.text);
    worksheet_freeze_panes(sheet, lxw_row_t(headerRows), 0);
    worksheet_autofilter(sheet, lxw_row_t(headerRows - 1), 0, lxw_row_t(headerRows - 1 + data.rowCount()),
                         lxw_col_t(columns.size() - 1));
    writeHeader(sheet, columns, namesOnly, formats.header);
    const QString error = writeRows(sheet, data, columns, lxw_row_t(headerRows), formats);
    if (!error.isEmpty())
        return error;
    const lxw_error closed = workbook.close();
    if (closed != LXW_NO_ERROR)
        return tr("无法写入 XLSX 文件 %1: %2").arg(path, QString::fromUtf8(lxw_strerror(closed)));
    return QString();
}

} // namespace XlsxSheetWriter
