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

QString nulBytes()
{
    return QCoreApplication::translate("CsvFile", "这不是文本文件（含有 NUL 字节），不是 CSV");
}

// Why bytes that start so are no CSV text; empty when they may be.
QString notText(const QByteArray &bytes)
{
    if (bytes.startsWith("PK\x03\x04"))
        return QCoreApplication::translate("CsvFile", "这是 XLSX 或其他压缩文件，不是 CSV：请在电子表格程序中“另存为”CSV 后再导入");
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return QCoreApplication::translate("CsvFile", "这是旧版 Excel（.xls）文件，不是 CSV：请在电子表格程序中“另存为”CSV 后再导入");
    if (bytes.contains('\0'))
        return nulBytes();
    return QString();
}

// Why a UTF-16 file (its byte order mark first) cannot be read as it stands; empty when it can.
// Its ASCII characters hold NUL bytes, but a NUL character is a zero unit, which MariaDB would
// keep a value only up to. Half a surrogate pair alone, or a last byte alone, is no character:
// the decoder would pass it on, and the database store something else.
QString utf16Problem(const QByteArray &utf16)
{
    const bool little = utf16.startsWith("\xFF\xFE");
    int broken = utf16.size() % 2;
    bool pairOpen = false;
    for (int i = 2; i + 1 < utf16.size(); i += 2) {
        const uchar first = uchar(utf16.at(i)), second = uchar(utf16.at(i + 1));
        const char16_t unit = little ? char16_t(second << 8 | first) : char16_t(first << 8 | second);
        if (unit == 0)
            return nulBytes();
        const bool low = QChar::isLowSurrogate(unit);
        broken += (low && !pairOpen) || (pairOpen && !low);
        pairOpen = QChar::isHighSurrogate(unit);
    }
    broken += pairOpen;
    return broken > 0 ? QCoreApplication::translate("CsvFile", "这个 UTF-16 文件有 %1 处损坏的字符（半个代理对或多出的字节），未读取").arg(broken) : QString();
}

// Decodes a file's bytes a piece at a time, so that its text is never whole in memory beside
// its records, and counts the bytes that do not belong to the encoding.
class PieceDecoder
{
public:
    PieceDecoder(const QByteArray &bytes, const char *codecName, QTextCodec::ConversionFlags flags)
        : m_bytes(bytes), m_codec(QTextCodec::codecForName(codecName)), m_state(flags)
        , m_gb18030(qstrcmp(codecName, "GB18030") == 0)
    {
    }

    bool atEnd() const { return m_offset >= m_bytes.size(); }

    QString next(int bytes)
    {
        const int size = qMin(bytes, m_bytes.size() - m_offset);
        const QString text = m_codec->toUnicode(m_bytes.constData() + m_offset, size, &m_state);
        m_offset += size;
        m_decodedChars += text.size();
        // Qt's GB18030 decoder replaces some bytes it cannot read without counting them; the
        // replacement character itself is written 84 31 A4 37.
        if (m_gb18030)
            m_replacements += text.count(QChar::ReplacementCharacter);
        // Nor does it tell of the start of a character the file ends in: it keeps it waiting
        // for the rest, and a line break after it comes out as more than itself.
        if (m_gb18030 && atEnd())
            m_unfinished = m_codec->toUnicode("\n", 1, &m_state) != QLatin1String("\n");
        return text;
    }

    // Once at the end: every byte that did not fit, the unfinished last character included.
    int invalid() const
    {
        int count = m_state.invalidChars;
        if (atEnd())
            count += (m_state.remainingChars > 0 || m_unfinished ? 1 : 0) + (m_gb18030 ? m_replacements - m_bytes.count(QByteArray("\x84\x31\xA4\x37")) : 0);
        return count;
    }
    bool decodedNothing() const { return m_decodedChars == 0; }

private:
    const QByteArray &m_bytes;
    QTextCodec *m_codec;
    QTextCodec::ConverterState m_state;
    const bool m_gb18030;
    int m_offset = 0;
    qint64 m_decodedChars = 0;
    int m_replacements = 0;
    bool m_unfinished = false;
};

// What splitting carries from one piece of text to the next.
struct SplitState
{
    int line = 1;
    QVector<QString> above; // the last record's fields
};

// Splits a piece of decoded text into records, one at a time. Unless it is the file's last
// piece, a record that reaches its end may go on in the next piece and is left for it.
class Splitter
{
public:
    enum Result { Complete, Unfinished, Broken };

    Splitter(const QString &text, bool last, SplitState &state)
        : m_text(text), p(text.constData()), n(text.size()), m_last(last), m_state(state)
    {
    }

    bool atEnd() const { return m_pos >= n; }
    int position() const { return m_pos; }

    // Broken when a quote never closes; error then names the line it opened on.
    Result next(CsvRecord *record, QString *error)
    {
        const int start = m_pos, startLine = m_state.line;
        record->line = m_state.line;
        record->fields.reserve(m_state.above.size());
        for (;;) {
            QString field;
            if (m_pos < n && p[m_pos] == QLatin1Char('"')) {
                const int openLine = m_state.line;
                if (!quoted(&field)) {
                    if (!m_last)
                        return unfinished(start, startLine);
                    *error = tr("第 %1 行开始的引号直到文件末尾都没有结束").arg(openLine);
                    return Broken;
                }
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
        // A record ends at a line break, and a CR may yet be followed by its LF.
        if (!m_last && (m_pos >= n || (p[m_pos] == QLatin1Char('\r') && m_pos + 1 >= n)))
            return unfinished(start, startLine);
        endRecord();
        return Complete;
    }

private:
    Result unfinished(int start, int startLine)
    {
        m_pos = start;
        m_state.line = startLine;
        return Unfinished;
    }

    // A field equal to the one above it is that one: the runs of one value that a table's
    // columns hold (a location, a unit) then take no memory of their own.
    QString sharedWithAbove(int index, const QString &field)
    {
        if (index >= m_state.above.size())
            m_state.above.resize(index + 1);
        QString &above = m_state.above[index];
        if (above != field)
            above = field;
        return above;
    }

    // False when the quote does not close in this text.
    bool quoted(QString *field)
    {
        ++m_pos;
        for (;;) {
            const int quote = m_text.indexOf(QLatin1Char('"'), m_pos);
            if (quote < 0)
                return false;
            m_state.line += lineBreaks(p + m_pos, quote - m_pos);
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
        ++m_state.line;
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
    const bool m_last;
    SplitState &m_state;
    int m_pos = 0;
};

// Adds the records the splitter finds complete; false, error set, when the text cannot be split.
bool splitRecords(Splitter &splitter, QVector<CsvRecord> *records, QString *error)
{
    while (!splitter.atEnd()) {
        if (records->size() >= CsvFile::MaxRecords) {
            *error = QCoreApplication::translate("CsvFile", "文件超过 %1 行（电子表格的行数上限），请分成几个文件导入")
                         .arg(QLocale().toString(CsvFile::MaxRecords));
            return false;
        }
        CsvRecord record;
        const Splitter::Result result = splitter.next(&record, error);
        if (result == Splitter::Broken)
            return false;
        if (result == Splitter::Unfinished)
            break;
        records->append(record);
    }
    return true;
}

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
    // A byte order mark says what the file is, whatever was asked for.
    if (bytes.startsWith(kUtf8Bom)) {
        m_encoding = QStringLiteral("UTF-8");
        m_detected = true;
        while (bytes.startsWith(kUtf8Bom))
            bytes.remove(0, kUtf8Bom.size());
        if ((m_error = notText(bytes)).isEmpty())
            splitAs(bytes, m_encoding, true);
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        m_encoding = QStringLiteral("UTF-16");
        m_detected = true;
        if ((m_error = utf16Problem(bytes)).isEmpty())
            splitAs(bytes, m_encoding, false);
    } else if (!(m_error = notText(bytes)).isEmpty()) {
        return;
    } else if (!encoding.isEmpty()) {
        if (!encodings().contains(encoding, Qt::CaseInsensitive)) {
            m_error = tr("不支持的编码 %1（可选: %2）").arg(encoding, encodings().join(QStringLiteral(", ")));
            return;
        }
        m_encoding = encoding.toUpper();
        splitAs(bytes, m_encoding, true);
    } else {
        detectAndSplit(bytes);
    }
    if (ok() && std::all_of(m_records.begin(), m_records.end(), [](const CsvRecord &r) { return r.isBlank(); })) {
        m_error = tr("文件中只有空行");
        m_records.clear();
    }
}

void CsvFile::detectAndSplit(const QByteArray &bytes)
{
    m_detected = true;
    for (const QString &candidate : encodings()) {
        m_error.clear();
        m_encoding = candidate;
        if (splitAs(bytes, candidate, true, true) != NotOfEncoding)
            return;
    }
    m_encoding.clear();
    m_error = tr("无法识别文件的编码：它既不是 UTF-8 也不是 GB18030 编码的文本");
}

CsvFile::Split CsvFile::splitAs(const QByteArray &bytes, const QString &encoding, bool strict, bool trying)
{
    m_records.clear();
    const QByteArray codecName = encoding.toLatin1();
    PieceDecoder decoder(bytes, codecName.constData(), strict ? QTextCodec::IgnoreHeader : QTextCodec::DefaultConversion);
    SplitState state;
    QString text;
    while (!decoder.atEnd()) {
        // A record longer than a piece waits for as much again, lest it be split anew each time.
        text += decoder.next(qMax(PieceBytes, text.size()));
        if (strict && decoder.invalid() > 0) {
            if (trying)
                break;
            text.clear(); // counted to the end, no longer split
            continue;
        }
        Splitter splitter(text, decoder.atEnd(), state);
        if (!splitRecords(splitter, &m_records, &m_error)) {
            m_records.clear();
            return Failed;
        }
        text.remove(0, splitter.position());
    }
    if (strict && decoder.invalid() > 0) {
        m_records.clear();
        if (!trying)
            m_error = tr("按 %1 读取时有 %2 处字节不属于该编码：请选择文件实际的编码").arg(m_encoding).arg(decoder.invalid());
        return NotOfEncoding;
    }
    if (decoder.decodedNothing()) {
        m_error = tr("文件是空的");
        return Failed;
    }
    return Done;
}
