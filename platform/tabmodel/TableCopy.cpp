#include "TableCopy.h"

#include "CellText.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <map>
#include <set>

namespace TableCopy {
namespace {

// A tab or a line break inside a cell would split it in the pasted table.
QString flat(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

bool onlyWholeRows(const QTableView *view, const std::set<int> &rows)
{
    const QItemSelectionModel *selection = view->selectionModel();
    for (int row : rows)
        if (!selection->isRowSelected(row, view->rootIndex()))
            return false;
    return true;
}

} // namespace

QString selectionText(const QTableView *view)
{
    const QItemSelectionModel *selection = view->selectionModel();
    if (!selection || !view->model())
        return QString();
    // Rows and columns in the order the user sees them.
    std::map<int, int> rowAt;
    std::map<int, int> columnAt;
    std::set<int> rows;
    for (const QModelIndex &index : selection->selectedIndexes()) {
        if (view->isRowHidden(index.row()) || view->isColumnHidden(index.column()))
            continue;
        rowAt[view->verticalHeader()->visualIndex(index.row())] = index.row();
        columnAt[view->horizontalHeader()->visualIndex(index.column())] = index.column();
        rows.insert(index.row());
    }
    if (rows.empty())
        return QString();
    QStringList lines;
    if (onlyWholeRows(view, rows)) {
        QStringList header;
        for (const auto &column : columnAt)
            header.append(flat(view->model()->headerData(column.second, Qt::Horizontal).toString()));
        lines.append(header.join(QLatin1Char('\t')));
    }
    for (const auto &row : rowAt) {
        QStringList cells;
        for (const auto &column : columnAt) {
            const QModelIndex index = view->model()->index(row.second, column.second, view->rootIndex());
            cells.append(selection->isSelected(index) ? flat(cellText(index)) : QString());
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool copySelection(const QTableView *view)
{
    const QString text = selectionText(view);
    if (text.isEmpty())
        return false;
    QApplication::clipboard()->setText(text);
    return true;
}

} // namespace TableCopy
