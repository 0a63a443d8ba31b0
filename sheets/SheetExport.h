#pragma once

#include <QString>

class SheetData;

// Writes a sheet to a file as CSV or XLSX, whole or not at all: a failed export leaves no
// half-written file behind and an existing file as it was.
namespace SheetExport {

enum class Format { Csv, Xlsx };

struct Options
{
    Format format = Format::Csv;
    bool namesOnly = false; // one header row of column names, without the descriptions
    QString sheetName;      // XLSX: the worksheet's name
};

// "csv" or "xlsx", letter case ignored.
bool formatFromName(const QString &name, Format *format);
QString suffix(Format format);
// The format a file name asks for by its suffix; fallback when it names none.
Format formatOfPath(const QString &path, Format fallback);

// Empty text on success, else why nothing was written.
QString writeFile(const SheetData &data, const QString &path, const Options &options);

} // namespace SheetExport
