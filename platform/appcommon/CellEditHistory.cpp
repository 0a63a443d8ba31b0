#include "CellEditHistory.h"

#include "OrvTableModel.h"

#include <QAbstractProxyModel>
#include <QTableView>

CellEditHistory::CellEditHistory(QTableView *view)
    : NumberCellDelegate(view)
    , m_view(view)
{
    view->setItemDelegate(this);
}

void CellEditHistory::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const auto *proxy = qobject_cast<const QAbstractProxyModel *>(model);
    const QModelIndex cell = proxy ? proxy->mapToSource(index) : index;
    auto *table = qobject_cast<OrvTableModel *>(const_cast<QAbstractItemModel *>(cell.model()));
    const QString before = cell.data(Qt::EditRole).toString();
    QStyledItemDelegate::setModelData(editor, model, index);
    // The source index stays valid though the proxy may have moved the row by its sort.
    const QString after = cell.data(Qt::EditRole).toString();
    if (table && after != before)
        m_edits.append({table, table->rowId(cell.row()), cell.column(), before, after});
}

bool CellEditHistory::undoLast()
{
    while (!m_edits.isEmpty()) {
        const Edit edit = m_edits.last();
        // Saved, reverted or reloaded since: passed over.
        if (!edit.model || !edit.model->isEditedKey(edit.rowId, edit.column)) {
            m_edits.removeLast();
            continue;
        }
        // A row out of sight (filtered out, or not read) keeps its edit until it is shown again.
        const int row = edit.model->rowOfKey(edit.rowId);
        if (row < 0)
            return false;
        m_edits.removeLast();
        const QModelIndex cell = edit.model->index(row, edit.column);
        if (cell.data(Qt::EditRole).toString() != edit.after)
            continue;
        if (!edit.model->setData(cell, edit.before))
            return false;
        if (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(m_view->model()))
            m_view->setCurrentIndex(proxy->mapFromSource(cell));
        return true;
    }
    return false;
}
