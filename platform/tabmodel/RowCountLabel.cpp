#include "RowCountLabel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSet>
#include <QTableView>
#include <QTimer>

RowCountLabel::RowCountLabel(QWidget *parent)
    : QLabel(parent)
    , m_pending(new QTimer(this))
{
    m_pending->setSingleShot(true);
    m_pending->setInterval(0);
    connect(m_pending, &QTimer::timeout, this, &RowCountLabel::refresh);
    refresh();
}

void RowCountLabel::watch(QTableView *view)
{
    for (const QMetaObject::Connection &c : qAsConst(m_watched))
        disconnect(c);
    m_watched.clear();
    m_view = view;
    const auto later = QOverload<>::of(&QTimer::start);
    m_watched << connect(view->verticalHeader(), &QHeaderView::sectionResized, m_pending, later);
    if (QAbstractItemModel *model = view->model())
        m_watched << connect(model, &QAbstractItemModel::rowsInserted, m_pending, later)
                  << connect(model, &QAbstractItemModel::rowsRemoved, m_pending, later)
                  << connect(model, &QAbstractItemModel::modelReset, m_pending, later)
                  << connect(model, &QAbstractItemModel::layoutChanged, m_pending, later);
    if (QItemSelectionModel *selection = view->selectionModel())
        m_watched << connect(selection, &QItemSelectionModel::selectionChanged, m_pending, later);
    refresh();
}

int RowCountLabel::shownRows() const
{
    if (!m_view)
        return 0;
    const int rows = m_view->model() ? m_view->model()->rowCount(m_view->rootIndex()) : 0;
    int shown = 0;
    for (int row = 0; row < rows; ++row)
        shown += m_view->isRowHidden(row) ? 0 : 1;
    return shown;
}

int RowCountLabel::selectedRows() const
{
    if (!m_view || !m_view->selectionModel())
        return 0;
    // By ranges: a whole-row selection of a large table holds a cell index per column.
    QSet<int> rows;
    for (const QItemSelectionRange &range : m_view->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (!m_view->isRowHidden(row))
                rows.insert(row);
    return rows.size();
}

void RowCountLabel::refresh()
{
    setText(tr("共 %1 条，选中 %2 条").arg(shownRows()).arg(selectedRows()));
}
