#include "OrvRowFilterProxy.h"

#include "OrvTableModel.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <numeric>

namespace {

// Cells are joined by a character nobody types, so a filter never matches across two cells.
constexpr QChar kCellSeparator(0x1f);

} // namespace

OrvRowFilterProxy::OrvRowFilterProxy(QObject *parent)
    : QAbstractProxyModel(parent)
{
}

void OrvRowFilterProxy::setSourceModel(QAbstractItemModel *source)
{
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    beginResetModel();
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        // Any change of rows or layout is taken as a new table: the tool's models only reset.
        connect(source, &QAbstractItemModel::modelReset, this, &OrvRowFilterProxy::onSourceReset);
        connect(source, &QAbstractItemModel::layoutChanged, this, &OrvRowFilterProxy::onSourceReset);
        connect(source, &QAbstractItemModel::rowsInserted, this, &OrvRowFilterProxy::onSourceReset);
        connect(source, &QAbstractItemModel::rowsRemoved, this, &OrvRowFilterProxy::onSourceReset);
        connect(source, &QAbstractItemModel::dataChanged, this, &OrvRowFilterProxy::onSourceDataChanged);
        connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    }
    rebuild();
    endResetModel();
}

void OrvRowFilterProxy::onSourceReset()
{
    beginResetModel();
    rebuild();
    endResetModel();
}

void OrvRowFilterProxy::rebuild()
{
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    m_rowText.resize(rows);
    for (int r = 0; r < rows; ++r)
        readRow(r);
    orderRows();
    applyFilter(false);
}

void OrvRowFilterProxy::readRow(int row)
{
    QString text;
    const int columns = sourceModel()->columnCount();
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            text += kCellSeparator;
        text += sourceModel()->index(row, c).data(Qt::DisplayRole).toString();
    }
    m_rowText[row] = text.toLower();
}

void OrvRowFilterProxy::orderRows()
{
    const int rows = m_rowText.size();
    m_order.resize(rows);
    std::iota(m_order.begin(), m_order.end(), 0);
    if (m_sortColumn < 0 || m_sortColumn >= columnCount())
        return;
    // Keys are read once: numbers compare as numbers, and before texts.
    QVector<double> numbers(rows);
    QVector<QString> texts(rows);
    QVector<bool> numeric(rows);
    for (int r = 0; r < rows; ++r) {
        const QVariant v = sourceModel()->index(r, m_sortColumn).data(Qt::DisplayRole);
        bool ok = false;
        numbers[r] = (v.type() == QVariant::String || v.isNull()) ? 0.0 : v.toDouble(&ok);
        numeric[r] = ok;
        if (!ok)
            texts[r] = v.toString();
    }
    auto less = [&](int a, int b) {
        if (numeric[a] != numeric[b])
            return numeric[a];
        return numeric[a] ? numbers[a] < numbers[b] : texts[a] < texts[b];
    };
    if (m_sortOrder == Qt::AscendingOrder)
        std::stable_sort(m_order.begin(), m_order.end(), less);
    else
        std::stable_sort(m_order.begin(), m_order.end(), [&less](int a, int b) { return less(b, a); });
}

bool OrvRowFilterProxy::accepts(int sourceRow) const
{
    const QString &row = m_rowText.at(sourceRow);
    if (m_filter.contains(kCellSeparator))
        return false;
    if (m_filterColumn < 0)
        return row.contains(m_filter);
    // The cell is the part between the separators around it.
    int start = 0;
    for (int c = 0; c < m_filterColumn; ++c) {
        const int separator = row.indexOf(kCellSeparator, start);
        if (separator < 0)
            return false;
        start = separator + 1;
    }
    const int end = row.indexOf(kCellSeparator, start);
    return row.midRef(start, end < 0 ? -1 : end - start).contains(m_filter);
}

void OrvRowFilterProxy::applyFilter(bool narrowing)
{
    // A longer text can only drop rows: only the rows shown are looked at again.
    const QVector<int> &candidates = narrowing ? m_shown : m_order;
    QVector<int> shown;
    shown.reserve(candidates.size());
    for (int r : candidates)
        if (m_filter.isEmpty() || accepts(r))
            shown.append(r);
    m_shown.swap(shown);
    m_shownRowOfSource.fill(-1, m_rowText.size());
    for (int i = 0; i < m_shown.size(); ++i)
        m_shownRowOfSource[m_shown.at(i)] = i;
}

void OrvRowFilterProxy::setFilter(const QString &text, int column)
{
    const QString filter = text.toLower();
    if (filter == m_filter && column == m_filterColumn)
        return;
    const bool narrowing = column == m_filterColumn && filter.contains(m_filter);
    m_filter = filter;
    m_filterColumn = column;
    beginResetModel();
    applyFilter(narrowing);
    endResetModel();
}

void OrvRowFilterProxy::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList sources;
    for (const QModelIndex &i : before)
        sources.append(mapToSource(i));
    m_sortColumn = column;
    m_sortOrder = order;
    orderRows();
    applyFilter(false);
    QModelIndexList after;
    for (const QModelIndex &s : sources)
        after.append(mapFromSource(s));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void OrvRowFilterProxy::onSourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                            const QVector<int> &roles)
{
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
        readRow(r);
        const int shown = m_shownRowOfSource.value(r, -1);
        if (shown >= 0)
            emit dataChanged(index(shown, topLeft.column()), index(shown, bottomRight.column()), roles);
    }
}

QModelIndex OrvRowFilterProxy::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= m_shown.size() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex OrvRowFilterProxy::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int OrvRowFilterProxy::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown.size();
}

int OrvRowFilterProxy::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

QModelIndex OrvRowFilterProxy::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel() || proxyIndex.row() >= m_shown.size())
        return QModelIndex();
    return sourceModel()->index(m_shown.at(proxyIndex.row()), proxyIndex.column());
}

QModelIndex OrvRowFilterProxy::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != sourceModel())
        return QModelIndex();
    const int row = m_shownRowOfSource.value(sourceIndex.row(), -1);
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

QVariant OrvRowFilterProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Rows are numbered as they are seen.
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    return sourceModel() ? sourceModel()->headerData(section, orientation, role) : QVariant();
}

QVariant OrvRowFilterProxy::data(const QModelIndex &proxyIndex, int role) const
{
    const QModelIndex source = mapToSource(proxyIndex);
    const auto *table = qobject_cast<const OrvTableModel *>(sourceModel());
    if (!table || (role != Qt::BackgroundRole && role != Qt::ToolTipRole) || !source.isValid())
        return QAbstractProxyModel::data(proxyIndex, role);
    const bool failed = table->failedCell() == qMakePair(source.row(), source.column());
    if (!failed && !table->isEdited(source.row(), source.column()))
        return QAbstractProxyModel::data(proxyIndex, role);
    if (role == Qt::BackgroundRole)
        return QBrush(failed ? QColor(0xff, 0xcd, 0xd2) : QColor(0xff, 0xf3, 0xc4));
    const QString stored = tr("数据库中的值: %1").arg(table->storedValue(source.row(), source.column()));
    return failed ? tr("保存失败的单元格") + QLatin1Char('\n') + stored : stored;
}
