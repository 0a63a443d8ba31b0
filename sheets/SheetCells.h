#pragma once

#include "ColumnKind.h"

#include <QString>

// How cells are written to and read back from spreadsheets, the same for every format.
namespace SheetCells {

// A text a spreadsheet program would run as a formula: it starts with =, +, -, @, a tab or a CR.
bool looksLikeFormula(const QString &text);
// Such a text behind an apostrophe, so that a spreadsheet program keeps it as text. Apostrophes
// already in front of one are kept too, so that unguarded() always gives the text back.
QString guarded(const QString &text);
QString unguarded(const QString &text);

// The number a cell of the column is written as; false when it stays text: a text column, a
// value that is no plain number, or one with more digits than a spreadsheet keeps (15).
bool asNumber(const ColumnKind &kind, const QString &text, double *value);

// The width of a text in a spreadsheet's character units: wide East Asian characters take two.
int displayWidth(const QString &text);

} // namespace SheetCells
