#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>

// One record of a CSV file: its fields and the line it starts on. A record whose quoting is
// broken keeps what could be read and says what is wrong.
struct CsvRecord
{
    int line = 0;
    QStringList fields;
    QString problem;

    // An empty line, or an empty row of a sheet (",,,"): passed over as spreadsheet programs do.
    bool isBlank() const
    {
        return std::all_of(fields.cbegin(), fields.cend(), [](const QString &field) { return field.isEmpty(); });
    }
};

// A CSV file as spreadsheet programs save it: comma-separated, quoted as RFC 4180 says (line
// breaks inside quotes included), in UTF-8 with or without a byte order mark or in GB18030,
// which they write on Chinese systems. The encoding is detected unless one is asked for.
class CsvFile
{
public:
    // Records the format lets a file hold: a spreadsheet's rows.
    static constexpr int MaxRecords = 1048576;
    // The encodings that may be asked for.
    static QStringList encodings();

    // Reads and splits the file; error() says why it could not be read as CSV. An empty
    // encoding asks for detection.
    static CsvFile read(const QString &path, const QString &encoding = QString());
    static CsvFile fromBytes(const QByteArray &bytes, const QString &encoding = QString());

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    // What the text was read as, and whether that was detected rather than asked for.
    QString encoding() const { return m_encoding; }
    bool detected() const { return m_detected; }
    const QVector<CsvRecord> &records() const { return m_records; }
    // The records, leaving none here: an import takes them apart as it compares them.
    QVector<CsvRecord> takeRecords() { return std::move(m_records); }

private:
    // Text is decoded and split this many bytes at a time.
    static constexpr int PieceBytes = 1 << 20;
    enum Split { Done, NotOfEncoding, Failed };

    void decodeAndSplit(QByteArray bytes, const QString &encoding);
    void detectAndSplit(const QByteArray &bytes);
    // trying: detecting, so that the first byte not of the encoding ends the split quietly.
    Split splitAs(const QByteArray &bytes, const QString &encoding, bool strict, bool trying = false);

    QString m_error;
    QString m_encoding;
    bool m_detected = false;
    QVector<CsvRecord> m_records;
};
