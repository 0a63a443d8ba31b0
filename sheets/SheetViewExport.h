#pragma once

#include "SheetData.h"

class OrvTableModel;
class QAbstractItemModel;
class QAction;
class QTableView;
class QWidget;

// Exporting what a table view shows: the "导出…" entry and the sheets of its rows.
namespace SheetViewExport {

// The entry "导出…" with Ctrl+E on the window (its shortcut) and in the context menu of the
// widget that shows the rows.
QAction *addAction(QWidget *window, QWidget *rows);

// Asks and exports the view's rows as shown (filter and sort as on screen, visible columns) or
// the whole table (every row and column of whole, by default of the model behind the view).
// header describes every column of the model.
void exportView(QWidget *parent, const QTableView *view, const QVector<SheetColumn> &header, const QString &what,
                const QString &baseName, const QAbstractItemModel *whole = nullptr);
// The same for a view of a table model that reads its rows as they are shown: the rows shown are
// counted first, and the rows chosen are read in one pass off the GUI thread before they are
// written, those shown with the edits not saved yet.
void exportTable(QWidget *parent, const QTableView *view, OrvTableModel *model, const QString &what);

} // namespace SheetViewExport
