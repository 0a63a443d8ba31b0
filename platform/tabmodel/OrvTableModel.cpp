#include "OrvTableModel.h"

#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"

#include <QMap>

OrvTableModel::OrvTableModel(const TableDefinition &definition, const QString &condition, QObject *parent)
    : QAbstractTableModel(parent)
    , m_def(definition)
    , m_condition(condition)
{
}

QString OrvTableModel::selectStatement() const
{
    return m_def.selectStatement(m_condition);
}

bool OrvTableModel::load(bool)
{
    return load(RowReader());
}

bool OrvTableModel::load(const RowReader &read)
{
    beginResetModel();
    m_rows.clear();
    m_original.clear();
    m_failedCell = {-1, -1};
    m_loaded = false;
    if (read)
        takeRows(read(selectStatement()));
    else
        ensureLoaded();
    endResetModel();
    return m_lastError.isEmpty();
}

void OrvTableModel::ensureLoaded() const
{
    if (m_loaded)
        return;
    takeRows(OrvDbDesign().rows(selectStatement()));
}

void OrvTableModel::takeRows(const DbRows &rows) const
{
    m_loaded = true;
    m_generation = OrvTableDataMgr::getInstance()->dataGeneration();
    m_lastError = rows.error;
    m_rows.clear();
    m_rows.reserve(rows.size());
    const int cols = m_def.columns.size();
    for (int r = 0; r < rows.size(); ++r) {
        QStringList row;
        row.reserve(cols);
        for (int i = 0; i < cols; ++i)
            row.append(rows.text(r, i));
        m_rows.append(row);
    }
}

QStringList OrvTableModel::getRowData(int row)
{
    ensureLoaded();
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : QStringList();
}

int OrvTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    ensureLoaded();
    return m_rows.size();
}

int OrvTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_def.columns.size();
}

QVariant OrvTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const QString &text = m_rows.at(index.row()).at(index.column());
    if (role == Qt::EditRole)
        return text;
    if (role != Qt::DisplayRole)
        return QVariant();
    // Numbers come back as numbers so that sorting views order them numerically.
    return m_def.columns.at(index.column()).kind.displayValue(text);
}

QVariant OrvTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return m_def.columns.at(section).description;
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString OrvTableModel::editRefusal(int column) const
{
    if (column < 0 || column >= m_def.columns.size())
        return tr("没有这一列");
    const OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    if (mgr->right() == OrvTableDataMgr::RIGHT_READONLY)
        return tr("当前用户没有修改权限");
    const ColMgrData &col = m_def.columns.at(column);
    if (!col.editable)
        return tr("该列不可编辑");
    if (col.primaryKey && !mgr->isPrimaryEditable())
        return tr("该列是主键,不可编辑");
    return QString();
}

Qt::ItemFlags OrvTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editRefusal(index.column()).isEmpty())
        f |= Qt::ItemIsEditable;
    return f;
}

QString OrvTableModel::valueRefusal(int column, const QString &value) const
{
    if (column < 0 || column >= m_def.columns.size())
        return tr("没有这一列");
    return m_def.columns.at(column).refusal(value);
}

bool OrvTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount())
        return false;
    QString &cell = m_rows[index.row()][index.column()];
    const QString text = value.toString();
    if (cell == text)
        return true;
    QString refusal = editRefusal(index.column());
    if (refusal.isEmpty())
        refusal = valueRefusal(index.column(), text);
    if (!refusal.isEmpty()) {
        emit editRefused(refusal);
        return false;
    }
    const QPair<int, int> key(index.row(), index.column());
    if (!m_original.contains(key))
        m_original.insert(key, cell);
    else if (m_original.value(key) == text)
        m_original.remove(key); // back to what is stored: no longer an edit
    if (key == m_failedCell)
        m_failedCell = {-1, -1};
    cell = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QList<SqlWrite> OrvTableModel::pendingWrites() const
{
    // One statement per row, found by the key it has in the database, so that key edits
    // and other edits of the same row cannot miss each other.
    QMap<int, QList<int>> editedCols;
    for (auto it = m_original.constBegin(); it != m_original.constEnd(); ++it)
        editedCols[it.key().first].append(it.key().second);

    const QList<int> keys = m_def.columns.primaryKeyCols();
    QList<SqlWrite> writes;
    for (auto it = editedCols.constBegin(); it != editedCols.constEnd(); ++it) {
        const int row = it.key();
        QList<int> cols = it.value();
        std::sort(cols.begin(), cols.end());
        SqlWrite w;
        w.kind = SqlWrite::Update;
        w.form = SqlWrite::Bound;
        w.table = m_def.tableName;
        for (int col : cols)
            w.cells.append({m_def.columns.at(col).sqlName, m_rows.at(row).at(col), m_original.value(qMakePair(row, col)), true});
        for (int k : keys)
            w.key.append({m_def.columns.at(k).sqlName, m_original.value(qMakePair(row, k), m_rows.at(row).at(k))});
        // Only over the values that were read: a value another session stored meanwhile is not
        // overwritten unseen, the save finds no row and fails. An empty cell was read from NULL,
        // or for a text column perhaps from ''.
        for (int col : cols) {
            const ColMgrData &column = m_def.columns.at(col);
            if (column.primaryKey)
                continue;
            const QString stored = m_original.value(qMakePair(row, col));
            w.guards.append({column.sqlName, stored.isEmpty() ? QVariant() : QVariant(stored), !column.kind.isNumeric()});
        }
        writes.append(w);
    }
    return writes;
}

QString OrvTableModel::saveChanges(const WriteRunner &run)
{
    m_failedCell = {-1, -1};
    if (m_original.isEmpty())
        return QString();
    if (m_def.columns.primaryKeyCols().isEmpty())
        return tr("表 %1 没有主键，无法保存修改").arg(m_def.tableName);
    const QList<SqlWrite> writes = pendingWrites();
    return finishSave(run ? run(writes) : OrvTableDataMgr::getInstance()->executeWrites(writes));
}

QString OrvTableModel::finishSave(const DbConnection::BatchResult &result)
{
    m_failedCell = {-1, -1};
    if (!result.error.isEmpty()) {
        // The edits stay: the user mends the cell that was refused and saves again.
        m_failedCell = failedCell(result);
        if (m_failedCell.first >= 0) {
            const QModelIndex idx = index(m_failedCell.first, m_failedCell.second);
            emit dataChanged(idx, idx);
        }
        return result.error;
    }
    m_original.clear();
    m_generation = OrvTableDataMgr::getInstance()->dataGeneration();
    return QString();
}

QPair<int, int> OrvTableModel::failedCell(const DbConnection::BatchResult &result) const
{
    // pendingWrites() writes one statement per edited row, in row order.
    QList<int> rows;
    for (auto it = m_original.constBegin(); it != m_original.constEnd(); ++it)
        if (!rows.contains(it.key().first))
            rows.append(it.key().first);
    std::sort(rows.begin(), rows.end());
    if (result.failedIndex < 0 || result.failedIndex >= rows.size())
        return {-1, -1};
    const int row = rows.at(result.failedIndex);
    const int named = result.failedColumn.isEmpty() ? -1 : findCol(result.failedColumn);
    if (named >= 0)
        return {row, named};
    int first = -1;
    for (auto it = m_original.constBegin(); it != m_original.constEnd(); ++it)
        if (it.key().first == row && (first < 0 || it.key().second < first))
            first = it.key().second;
    return {row, first};
}

bool OrvTableModel::isEdited(int row, int column) const
{
    return m_original.contains(qMakePair(row, column));
}

QString OrvTableModel::storedValue(int row, int column) const
{
    return m_original.value(qMakePair(row, column));
}

void OrvTableModel::revertChanges()
{
    m_failedCell = {-1, -1};
    for (auto it = m_original.constBegin(); it != m_original.constEnd(); ++it) {
        m_rows[it.key().first][it.key().second] = it.value();
        const QModelIndex idx = index(it.key().first, it.key().second);
        emit dataChanged(idx, idx, {Qt::DisplayRole, Qt::EditRole});
    }
    m_original.clear();
}
