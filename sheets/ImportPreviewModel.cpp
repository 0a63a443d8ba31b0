#include "ImportPreviewModel.h"

#include <QBrush>
#include <QColor>

namespace {

QColor kindColor(ImportPlan::Kind kind)
{
    switch (kind) {
    case ImportPlan::Deleted: return QColor(0x8e, 0x24, 0x4d);
    case ImportPlan::Refused: return QColor(0xb0, 0x00, 0x20);
    case ImportPlan::Changed: return QColor(0x1f, 0x4e, 0x9a);
    case ImportPlan::New: return QColor(0x2e, 0x7d, 0x32);
    case ImportPlan::Unchanged: break;
    }
    return QColor(0x60, 0x60, 0x60);
}

} // namespace

ImportPreviewModel::ImportPreviewModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ImportPreviewModel::setPlan(const ImportPlan *plan)
{
    m_plan = plan;
    rebuild();
}

void ImportPreviewModel::setKindFilter(int kind)
{
    m_kind = kind;
    rebuild();
}

void ImportPreviewModel::rebuild()
{
    beginResetModel();
    m_shown.clear();
    const int rows = m_plan ? m_plan->rows().size() : 0;
    for (int r = 0; r < rows; ++r)
        if (m_kind < 0 || m_plan->rows().at(r).kind == m_kind)
            m_shown.append(r);
    endResetModel();
}

int ImportPreviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown.size();
}

int ImportPreviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImportPreviewModel::text(const ImportPlan::Row &row, int column) const
{
    switch (column) {
    case LineColumn: return row.line > 0 ? QVariant(row.line) : QVariant();
    case KindColumn: return ImportPlan::kindName(row.kind);
    case KeyColumn: return row.key.join(QLatin1Char(','));
    default: return m_plan->describe(row);
    }
}

QVariant ImportPreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size())
        return QVariant();
    const ImportPlan::Row &row = m_plan->rows().at(m_shown.at(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column());
    case Qt::ToolTipRole:
        return index.column() == ChangeColumn ? text(row, index.column()) : QVariant();
    case Qt::ForegroundRole:
        return index.column() == KindColumn || index.column() == ChangeColumn ? QBrush(kindColor(row.kind)) : QVariant();
    default:
        return QVariant();
    }
}

QVariant ImportPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case LineColumn: return tr("文件行");
    case KindColumn: return tr("类别");
    case KeyColumn: return tr("关键字");
    default: return tr("修改内容或拒绝原因");
    }
}
