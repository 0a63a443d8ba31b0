#include "ModelSheet.h"

#include "CellText.h"

#include <QAbstractItemModel>

ModelSheet::ModelSheet(const QAbstractItemModel *model, const QVector<int> &rows, const QVector<int> &columns,
                       const QVector<SheetColumn> &header)
    : m_model(model)
    , m_rows(rows)
    , m_columns(columns)
    , m_header(header)
{
}

QVector<SheetColumn> ModelSheet::columns() const
{
    return m_header;
}

int ModelSheet::rowCount() const
{
    return m_model ? m_rows.size() : 0;
}

QString ModelSheet::text(int row, int column) const
{
    return cellText(m_model->index(m_rows.at(row), m_columns.at(column)));
}
