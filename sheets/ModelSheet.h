#pragma once

#include "SheetData.h"

#include <QPointer>

class QAbstractItemModel;

// Cells of an item model: the listed rows in their order and the listed columns, each cell's
// stored text (its edit role) where the model keeps one, else what it shows.
class ModelSheet : public SheetData
{
public:
    ModelSheet(const QAbstractItemModel *model, const QVector<int> &rows, const QVector<int> &columns,
               const QVector<SheetColumn> &header);

    QVector<SheetColumn> columns() const override;
    int rowCount() const override;
    QString text(int row, int column) const override;

private:
    QPointer<const QAbstractItemModel> m_model;
    QVector<int> m_rows;
    QVector<int> m_columns;
    QVector<SheetColumn> m_header;
};
