#include "OrvPatchResult.h"

#include "NumberCellDelegate.h"
#include "OrvTableDataMgr.h"
#include "PatchRecords.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QTableView>

OrvPatchResult::OrvPatchResult(QTableView *view)
    : QObject(view)
    , m_view(view)
    , m_empty(new QStandardItemModel(this))
{
    setModel(m_empty);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSortingEnabled(true);
    m_view->setItemDelegate(new NumberCellDelegate(m_view));
    m_view->installEventFilter(this);
}

void OrvPatchResult::setModel(QAbstractItemModel *model)
{
    // No column is sorted until the user clicks one.
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    if (model == m_view->model())
        return;
    // The view leaves the old selection model to its owner.
    QItemSelectionModel *old = m_view->selectionModel();
    m_view->setModel(model);
    delete old;
}

void OrvPatchResult::show(const QString &definitionFile, const QString &condition)
{
    const TableDefinition def = definitionFile.isEmpty() ? TableDefinition()
                                                         : OrvTableDataMgr::getInstance()->definition(definitionFile);
    OrvTableModel *old = m_rows;
    m_rows = nullptr;
    m_empty->clear();
    if (def.isValid() && !condition.isEmpty()) {
        m_rows = new OrvTableModel(def, condition, this);
        connect(m_rows, &OrvTableModel::countsChanged, this, &OrvPatchResult::statusChanged);
        connect(m_rows, &OrvTableModel::reshaped, m_view, &QAbstractItemView::scrollToTop);
        m_rows->open();
        setModel(m_rows);
    } else {
        if (def.isValid())
            m_empty->setHorizontalHeaderLabels(def.columns.getDescList());
        setModel(m_empty);
    }
    delete old;
    m_shown = def.columns.getShowCol(false);
    for (int j = 0; j < m_view->model()->columnCount(); ++j)
        m_view->setColumnHidden(j, !m_shown.contains(j));
    fitColumns();
}

void OrvPatchResult::fitColumns()
{
    // The first rows are enough to go by; measuring more would read them.
    m_view->horizontalHeader()->setResizeContentsPrecision(100);
    m_view->resizeColumnsToContents();
    const int widest = m_view->fontMetrics().averageCharWidth() * 40;
    for (int j = 0; j < m_view->model()->columnCount(); ++j)
        if (m_view->columnWidth(j) > widest)
            m_view->setColumnWidth(j, widest);
}

QStringList OrvPatchResult::shownHeaders() const
{
    QStringList texts;
    for (int column : m_shown)
        texts << m_view->model()->headerData(column, Qt::Horizontal).toString();
    return texts;
}

DbRows OrvPatchResult::readStatus() const
{
    DbRows status;
    if (m_rows) {
        status.error = m_rows->lastError();
        status.sql = PatchRecords::selectText(m_rows, m_rows->condition());
    }
    return status;
}

void OrvPatchResult::filter(const QVector<OrvTableModel::ColumnText> &texts)
{
    if (m_rows)
        m_rows->setColumnTexts(texts);
}

bool OrvPatchResult::eventFilter(QObject *watched, QEvent *event)
{
    // Rows not yet read are rows too: counted before Ctrl+A or Ctrl+End reaches past them.
    if (watched == m_view && event->type() == QEvent::KeyPress && m_rows) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::MoveToEndOfDocument)
            || key->matches(QKeySequence::SelectEndOfDocument))
            m_rows->countNow();
    }
    return QObject::eventFilter(watched, event);
}
