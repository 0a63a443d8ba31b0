#pragma once

#include <QString>

class QIODevice;
class SheetData;

// Writes a sheet as CSV that spreadsheet programs open with Chinese text intact: UTF-8 with a
// byte order mark, RFC 4180 quoting, CRLF line ends; the header is the column descriptions and
// then the column names, or the names alone.
namespace CsvWriter {

// Empty text on success, else why the device did not take it all.
QString write(const SheetData &data, bool namesOnly, QIODevice *out);

// One field as it stands in a line: quoted when it holds a comma, quote, line break or blanks
// at its ends.
QString field(const QString &text);

} // namespace CsvWriter
