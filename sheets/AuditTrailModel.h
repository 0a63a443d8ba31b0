#pragma once

#include "AuditTrail.h"

#include <QAbstractTableModel>

// The records of the audit trail as a table, one field a column.
class AuditTrailModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit AuditTrailModel(QObject *parent = nullptr);

    void setRecords(const QVector<AuditTrail::Record> &records);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<AuditTrail::Record> m_records;
    QVector<SheetColumn> m_columns;
};
