#pragma once

#include "ImportPlan.h"

#include <QAbstractTableModel>
#include <QVector>

// The rows of an import plan as a table: file line, kind, key and what changes or why the row
// is refused; narrowed to one kind on request.
class ImportPreviewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { LineColumn, KindColumn, KeyColumn, ChangeColumn, ColumnCount };

    explicit ImportPreviewModel(QObject *parent = nullptr);

    // The plan must outlive its showing here.
    void setPlan(const ImportPlan *plan);
    // Shows only the rows of this kind; -1 shows all.
    void setKindFilter(int kind);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void rebuild();
    QVariant text(const ImportPlan::Row &row, int column) const;

    const ImportPlan *m_plan = nullptr;
    int m_kind = -1;
    QVector<int> m_shown; // rows of the plan, in order
};
