#include "RowCountLabel.h"

#include "OrvTableModel.h"
#include "SelectedRows.h"

#include <QHeaderView>
#include <QItemSelectionModel>
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
    if (auto *table = qobject_cast<OrvTableModel *>(view->model()))
        m_watched << connect(table, &OrvTableModel::countsChanged, m_pending, later);
    if (QItemSelectionModel *selection = view->selectionModel())
        m_watched << connect(selection, &QItemSelectionModel::selectionChanged, m_pending, later);
    refresh();
}

int RowCountLabel::shownRows() const
{
    if (!m_view)
        return 0;
    const int rows = m_view->model() ? m_view->model()->rowCount(m_view->rootIndex()) : 0;
    if (m_view->verticalHeader()->hiddenSectionCount() == 0)
        return rows;
    int shown = 0;
    for (int row = 0; row < rows; ++row)
        shown += m_view->isRowHidden(row) ? 0 : 1;
    return shown;
}

int RowCountLabel::selectedRows() const
{
    if (!m_view)
        return 0;
    const QVector<SelectedRows::Range> ranges = SelectedRows::ranges(m_view->selectionModel());
    if (m_view->verticalHeader()->hiddenSectionCount() == 0)
        return SelectedRows::count(ranges);
    int rows = 0;
    for (const SelectedRows::Range &range : ranges)
        for (int row = range.first; row <= range.last; ++row)
            rows += m_view->isRowHidden(row) ? 0 : 1;
    return rows;
}

bool RowCountLabel::counting() const
{
    const auto *table = m_view ? qobject_cast<const OrvTableModel *>(m_view->model()) : nullptr;
    return table && table->lastError().isEmpty() && table->matchingRows() < 0;
}

void RowCountLabel::refresh()
{
    // Rows read so far are not all rows: until counted, the total is not said.
    const QString shown = counting() ? tr("…") : QString::number(shownRows());
    setText(tr("共 %1 条，选中 %2 条").arg(shown).arg(selectedRows()));
}
