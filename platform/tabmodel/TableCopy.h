#pragma once

#include <QString>

class QTableView;

// The selected cells of a table as a spreadsheet pastes them: one line a row, cells separated by
// tabs, rows and columns as they are shown; with the header line when only whole rows are selected.
namespace TableCopy {

QString selectionText(const QTableView *view);
// Puts selectionText on the clipboard; false when nothing is selected.
bool copySelection(const QTableView *view);

} // namespace TableCopy
