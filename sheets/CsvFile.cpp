#include "CsvFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTextCodec>

namespace {

// A file larger than this is no spreadsheet's CSV and would not fit in memory twice.
constexpr qint64 MaxFileBytes = qint64(1) << 30;

QString tr(const char *text)
{
    return QCoreApplication::translate("CsvFile", text);
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// Why bytes that start so are no CSV text; empty when they may be.
QString notText(const QByteArray &bytes)
{
    if (bytes.startsWith("PK\x03\x04"))
        return tr("这是 XLSX 或其他压缩文件，不是 CSV：请在电子表格程序中“另存为”CSV 后再导入");
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return tr("这是旧版 Excel（.xls）文件，不是 CSV：请在电子表格程序中“另存为”CSV 后再导入");
    if (bytes.contains('\0'))
        return tr("这不是文本文件（含有 NUL 字节），不是 CSV");
    return QString();
}

// The text, or a null string when a byte is not of the encoding.
QString strictlyDecoded(const QByteArray &bytes, const char *codecName, int *invalid)
{
    QTextCodec *codec = QTextCodec::codecForName(codecName);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    *invalid = state.invalidChars + (state.remainingChars > 0 ? 1 : 0);
    // Qt's GB18030 decoder replaces some bytes it cannot read without counting them; the
    // replacement character itself is written 84 31 A4 37.
    if (qstrcmp(codecName, "GB18030") == 0)
        *invalid += text.count(QChar::ReplacementCharacter) - bytes.count(QByteArray("\x84\x31\xA4\x37"));
    return *invalid == 0 ? text : QString();
}

// Splits decoded text into records, one at a time.
class Splitter
{
public:
    explicit Splitter(const QString &text) : m_text(text), p(text.constData()), n(text.size()) {}

    bool atEnd() const { return m_pos >= n; }

    // False when a quote never closes; error then names the line it opened on.
    bool next(CsvRecord *record, QString *error)
    {
        record->line = m_line;
        record->fields.reserve(m_above.size());
        for (;;) {
            QString field;
            if (m_pos < n && p[m_pos] == QLatin1Char('"')) {
                if (!quoted(&field, error))
                    return false;
                const int end = fieldEnd();
                if (end > m_pos && record->problem.isEmpty())
                    record->problem = tr("第 %1 个字段的结束引号后面还有字符").arg(record->fields.size() + 1);
                field.append(p + m_pos, end - m_pos);
                m_pos = end;
            } else {
                const int end = fieldEnd();
                field = QString(p + m_pos, end - m_pos);
                m_pos = end;
            }
            record->fields.append(sharedWithAbove(record->fields.size(), field));
            if (m_pos >= n || p[m_pos] != QLatin1Char(','))
                break;
            ++m_pos;
        }
        endRecord();
        return true;
    }

private:
    // A field equal to the one above it is that one: the runs of one value that a table's
    // columns hold (a location, a unit) then take no memory of their own.
    QString sharedWithAbove(int index, const QString &field)
    {
        if (index >= m_above.size())
            m_above.resize(index + 1);
        QString &above = m_above[index];
        if (above != field)
            above = field;
        return above;
    }

    bool quoted(QString *field, QString *error)
    {
        const int openLine = m_line;
        ++m_pos;
        for (;;) {
            const int quote = m_text.indexOf(QLatin1Char('"'), m_pos);
            if (quote < 0) {
                *error = tr("第 %1 行开始的引号直到文件末尾都没有结束").arg(openLine);
                return false;
            }
            m_line += lineBreaks(p + m_pos, quote - m_pos);
            field->append(p + m_pos, quote - m_pos);
            m_pos = quote + 1;
            if (m_pos >= n || p[m_pos] != QLatin1Char('"'))
                return true;
            *field += QLatin1Char('"');
            ++m_pos;
        }
    }

    int fieldEnd() const
    {
        int end = m_pos;
        while (end < n && p[end] != QLatin1Char(',') && p[end] != QLatin1Char('\r') && p[end] != QLatin1Char('\n'))
            ++end;
        return end;
    }

    void endRecord()
    {
        if (m_pos >= n)
            return;
        m_pos += p[m_pos] == QLatin1Char('\r') && m_pos + 1 < n && p[m_pos + 1] == QLatin1Char('\n') ? 2 : 1;
        ++m_line;
    }

    static int lineBreaks(const QChar *from, int count)
    {
        int lines = 0;
        for (int i = 0; i < count; ++i)
            if (from[i] == QLatin1Char('\n') || (from[i] == QLatin1Char('\r') && (i + 1 >= count || from[i + 1] != QLatin1Char('\n'))))
                ++lines;
        return lines;
    }

    const QString &m_text;
    const QChar *p;
    const int n;
    int m_pos = 0;
    int m_line = 1;
    QVector<QString> m_above;
};

} // namespace

QStringList CsvFile::encodings()
{
    return {QStringLiteral("UTF-8"), QStringLiteral("GB18030")};
}

CsvFile CsvFile::read(const QString &path, const QString &encoding)
{
    CsvFile csv;
    QFile file(path);
    if (!QFileInfo(path).isFile())
        csv.m_error = tr("文件 %1 不存在").arg(path);
    else if (file.size() > MaxFileBytes)
        csv.m_error = tr("文件 %1 有 %2 字节，太大了，不是可以导入的 CSV 文件").arg(path, QLocale().toString(file.size()));
    else if (!file.open(QIODevice::ReadOnly))
        csv.m_error = tr("无法打开文件 %1: %2").arg(path, file.errorString());
    if (!csv.ok())
        return csv;
    csv.decodeAndSplit(file.readAll(), encoding);
    return csv;
}

CsvFile CsvFile::fromBytes(const QByteArray &bytes, const QString &encoding)
{
    CsvFile csv;
    csv.decodeAndSplit(bytes, encoding);
    return csv;
}

void CsvFile::decodeAndSplit(QByteArray bytes, const QString &encoding)
{
    const QString text = decode(bytes, encoding);
    bytes.clear(); // a large file's bytes need not stay beside its records
    if (!ok())
        return;
    if (text.isEmpty()) {
        m_error = tr("文件是空的");
        return;
    }
    split(text);
    if (ok() && std::all_of(m_records.begin(), m_records.end(), [](const CsvRecord &r) { return r.isBlank(); })) {
        m_error = tr("文件中只有空行");
        m_records.clear();
    }
}

QString CsvFile::decode(const QByteArray &bytes, const QString &encoding)
{
    // A byte order mark says what the file is, whatever was asked for.
    if (bytes.startsWith(kUtf8Bom)) {
        m_encoding = QStringLiteral("UTF-8");
        m_detected = true;
        return decode(QByteArray::fromRawData(bytes.constData() + kUtf8Bom.size(), bytes.size() - kUtf8Bom.size()), m_encoding);
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        m_encoding = QStringLiteral("UTF-16");
        m_detected = true;
        return QTextCodec::codecForName("UTF-16")->toUnicode(bytes);
    }
    m_error = notText(bytes);
    if (!ok())
        return QString();
    int invalid = 0;
    if (!encoding.isEmpty()) {
        if (!encodings().contains(encoding, Qt::CaseInsensitive)) {
            m_error = tr("不支持的编码 %1（可选: %2）").arg(encoding, encodings().join(QStringLiteral(", ")));
            return QString();
        }
        if (m_encoding.isEmpty())
            m_encoding = encoding.toUpper();
        const QString text = strictlyDecoded(bytes, m_encoding.toLatin1().constData(), &invalid);
        if (invalid > 0)
            m_error = tr("按 %1 读取时有 %2 处字节不属于该编码：请选择文件实际的编码").arg(m_encoding).arg(invalid);
        return text;
    }
    m_detected = true;
    for (const QString &candidate : encodings()) {
        const QString text = strictlyDecoded(bytes, candidate.toLatin1().constData(), &invalid);
        if (invalid == 0) {
            m_encoding = candidate;
            return text;
        }
    }
    m_error = tr("无法识别文件的编码：它既不是 UTF-8 也不是 GB18030 编码的文本");
    return QString();
}

void CsvFile::split(const QString &text)
{
    Splitter splitter(text);
    while (!splitter.atEnd()) {
        if (m_records.size() >= MaxRecords) {
            m_error = tr("文件超过 %1 行（电子表格的行数上限），请分成几个文件导入").arg(QLocale().toString(MaxRecords));
            break;
        }
        CsvRecord record;
        if (!splitter.next(&record, &m_error))
            break;
        m_records.append(record);
    }
    if (!ok())
        m_records.clear();
}
