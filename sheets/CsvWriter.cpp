#include "CsvWriter.h"

#include "SheetCells.h"
#include "SheetData.h"

#include <QCoreApplication>
#include <QIODevice>

namespace CsvWriter {
namespace {

constexpr int FlushChars = 1 << 20;

bool needsQuotes(const QString &text)
{
    for (const QChar c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return true;
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
}

void appendLine(QString &out, const QStringList &fields)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        out += field(fields.at(i));
    }
    out += QLatin1String("\r\n");
}

bool flush(QString &buffer, QIODevice *out)
{
    const QByteArray bytes = buffer.toUtf8();
    buffer.clear();
    return out->write(bytes) == bytes.size();
}

} // namespace

QString field(const QString &text)
{
    if (!needsQuotes(text))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString write(const SheetData &data, bool namesOnly, QIODevice *out)
{
    const QVector<SheetColumn> columns = data.columns();
    QStringList descriptions, names;
    for (const SheetColumn &c : columns) {
        descriptions.append(c.description);
        names.append(c.name);
    }
    QString buffer = QStringLiteral("\uFEFF");
    buffer.reserve(FlushChars + 4096);
    if (!namesOnly)
        appendLine(buffer, descriptions);
    appendLine(buffer, names);

    const int rows = data.rowCount();
    QStringList fields;
    double number = 0;
    for (int r = 0; r < rows; ++r) {
        fields.clear();
        for (int c = 0; c < columns.size(); ++c) {
            const QString text = data.text(r, c);
            fields.append(SheetCells::asNumber(columns.at(c).kind, text, &number) ? text : SheetCells::guarded(text));
        }
        appendLine(buffer, fields);
        if (buffer.size() >= FlushChars && !flush(buffer, out))
            return out->errorString();
    }
    if (!flush(buffer, out))
        return out->errorString();
    return QString();
}

} // namespace CsvWriter
