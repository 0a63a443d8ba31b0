#include "AuditTrailModel.h"

AuditTrailModel::AuditTrailModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(AuditTrail::columns())
{
}

void AuditTrailModel::setRecords(const QVector<AuditTrail::Record> &records)
{
    beginResetModel();
    m_records = records;
    endResetModel();
}

int AuditTrailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

int AuditTrailModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : AuditTrail::FieldCount;
}

QVariant AuditTrailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    return m_records.at(index.row()).fields[index.column()];
}

QVariant AuditTrailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns.at(section).description;
    return QAbstractTableModel::headerData(section, orientation, role);
}
