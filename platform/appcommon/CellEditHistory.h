#pragma once

#include "NumberCellDelegate.h"

#include <QPointer>
#include <QVector>

class OrvTableModel;
class QTableView;

// The cell edits made in a page's table, in order, so that the last one not yet saved can be
// taken back (Ctrl+Z). Saved, reverted or reloaded edits are passed over.
class CellEditHistory : public NumberCellDelegate
{
    Q_OBJECT
public:
    explicit CellEditHistory(QTableView *view);

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    // Puts the cell of the last unsaved edit back to what it held before; false when there is none.
    bool undoLast();

private:
    // By the row's key: a sort or a filter moves the row.
    struct Edit
    {
        QPointer<OrvTableModel> model;
        QString rowId;
        int column;
        QString before;
        QString after;
    };

    QTableView *m_view;
    mutable QVector<Edit> m_edits;
};
