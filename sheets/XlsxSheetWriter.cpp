#include "XlsxSheetWriter.h"

#include "SheetCells.h"
#include "SheetData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <algorithm>

namespace XlsxSheetWriter {
namespace {

constexpr int MinWidth = 6;
constexpr int MaxWidth = 60;

QString tr(const char *text)
{
    return QCoreApplication::translate("XlsxSheetWriter", text);
}

// Characters XML cannot hold at all; the library escapes the other control characters of a cell.
bool isNoXmlCharacter(QChar c)
{
    return c.unicode() == 0xFFFE || c.unicode() == 0xFFFF;
}

// A worksheet name may not hold []:*?/\, begin or end with an apostrophe, nor have more than
// 31 characters; nor, being written into XML as it is, a control character.
QByteArray worksheetName(const QString &wanted)
{
    QString name;
    for (const QChar c : wanted)
        if (!QStringLiteral("[]:*?/\\").contains(c) && c.unicode() >= 0x20 && !isNoXmlCharacter(c))
            name += c;
    name = name.left(31);
    const QRegularExpression ends(QStringLiteral("^['\\s]+|['\\s]+$"));
    name.remove(ends);
    return (name.isEmpty() ? QStringLiteral("Sheet1") : name).toUtf8();
}

// A text as the file must hold it to be read back the same: a reader takes _xHHHH_ for the
// character it names, so such a text has its underscore escaped, and a NUL, which would end
// the C string, is written the same way, as are U+FFFE and U+FFFF, which would make the file
// no XML.
QByteArray xlsxText(const QString &text)
{
    if (!text.contains(QLatin1String("_x")) && !text.contains(QChar(0)) && std::none_of(text.cbegin(), text.cend(), isNoXmlCharacter))
        return text.toUtf8();
    static const QRegularExpression escapeLike(QStringLiteral("(_x[0-9A-Fa-f]{4}_)"));
    QString escaped = text;
    escaped.replace(escapeLike, QStringLiteral("_x005F\\1"));
    escaped.replace(QChar(0), QLatin1String("_x0000_"));
    escaped.replace(QChar(0xFFFE), QLatin1String("_xFFFE_"));
    escaped.replace(QChar(0xFFFF), QLatin1String("_xFFFF_"));
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

QString cannotWrite(const QString &path, lxw_error error)
{
    return tr("无法写入 XLSX 文件 %1: %2").arg(path, QString::fromUtf8(lxw_strerror(error)));
}

// The library leaves out a cell it cannot take and goes on: the file would lack it.
QString writeHeader(lxw_worksheet *sheet, const QVector<SheetColumn> &columns, bool namesOnly, lxw_format *format,
                    const QString &path)
{
    lxw_row_t row = 0;
    for (int pass = namesOnly ? 1 : 0; pass < 2; ++pass, ++row) {
        for (int c = 0; c < columns.size(); ++c) {
            const QString &text = pass == 0 ? columns.at(c).description : columns.at(c).name;
            const lxw_error written = worksheet_write_string(sheet, row, lxw_col_t(c), xlsxText(text).constData(), format);
            if (written != LXW_NO_ERROR)
                return cannotWrite(path, written);
        }
    }
    return QString();
}

QString writeRows(lxw_worksheet *sheet, const SheetData &data, const QVector<SheetColumn> &columns, lxw_row_t first,
                  const Formats &formats, const QString &path)
{
    double number = 0;
    for (int r = 0; r < data.rowCount(); ++r) {
        const lxw_row_t row = first + lxw_row_t(r);
        for (int c = 0; c < columns.size(); ++c) {
            const QString text = data.text(r, c);
            if (text.isEmpty())
                continue;
            lxw_error written = LXW_NO_ERROR;
            if (SheetCells::asNumber(columns.at(c).kind, text, &number))
                written = worksheet_write_number(sheet, row, lxw_col_t(c), number, nullptr);
            else if (text.size() <= MaxCellChars)
                // Escapes lengthen a text: one within the limit may still be too long as written.
                written = worksheet_write_string(sheet, row, lxw_col_t(c), xlsxText(text).constData(), formats.text);
            if (text.size() > MaxCellChars || written == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
                return tr("第 %1 行“%2”列的文本超过 %3 个字符，XLSX 单元格放不下；请导出为 CSV")
                    .arg(r + 1).arg(columns.at(c).description).arg(MaxCellChars);
            if (written != LXW_NO_ERROR)
                return cannotWrite(path, written);
        }
    }
    return QString();
}

} // namespace

QString write(const SheetData &data, bool namesOnly, const QString &sheetName, const QString &path, const QString &shownPath)
{
    const QVector<SheetColumn> columns = data.columns();
    const int headerRows = namesOnly ? 1 : 2;
    if (columns.isEmpty())
        return tr("没有可导出的列");
    if (data.rowCount() + headerRows > MaxRows)
        return tr("%1 行超过 XLSX 的 %2 行上限；请导出为 CSV").arg(data.rowCount()).arg(MaxRows - headerRows);

    Workbook workbook(path);
    if (!workbook.book())
        return tr("无法创建 XLSX 文件 %1").arg(shownPath);
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
    QString error = writeHeader(sheet, columns, namesOnly, formats.header, shownPath);
    if (error.isEmpty())
        error = writeRows(sheet, data, columns, lxw_row_t(headerRows), formats, shownPath);
    if (!error.isEmpty())
        return error;
    const lxw_error closed = workbook.close();
    if (closed != LXW_NO_ERROR)
        return cannotWrite(shownPath, closed);
    return QString();
}

} // namespace XlsxSheetWriter
