#pragma once

#include <QString>

class SheetData;

// Writes a sheet as an XLSX workbook of one worksheet: numbers of numeric columns as numbers,
// every other cell as text (so "007" and "=1+1" stay what they are), the header rows frozen,
// an autofilter on the last of them, the columns as wide as their widest text.
namespace XlsxSheetWriter {

// Rows the format holds, the header's included.
constexpr int MaxRows = 1048576;
// Characters one cell holds.
constexpr int MaxCellChars = 32767;

// Writes the workbook to path (replacing the file); empty text on success, else why not, naming
// the file as shownPath (the user's file, where path is a scratch copy of it).
QString write(const SheetData &data, bool namesOnly, const QString &sheetName, const QString &path, const QString &shownPath);

} // namespace XlsxSheetWriter
