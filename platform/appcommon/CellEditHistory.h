#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <QVector>

class OrvTableModel;
class QTableView;

// The cell edits made in a page's table, in order, so that the last one not yet saved can be
// taken back (Ctrl+Z). Saved, reverted or reloaded edits are passed over.
class CellEditHistory : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CellEditHistory(QTableView *view);

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    // Puts the cell of the last unsaved edit back to what it held before; false when there is none.
    bool undoLast();

private:
    struct Edit
    {
        QPointer<OrvTableModel> model;
        int row;
        int column;
        QString before;
        QString after;
    };
    bool stillPending(const Edit &edit) const;

    QTableView *m_view;
    mutable QVector<Edit> m_edits;
};
