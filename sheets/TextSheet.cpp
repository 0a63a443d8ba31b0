#include "TextSheet.h"

TextSheet::TextSheet(const QVector<SheetColumn> &columns)
    : m_columns(columns)
{
}

QVector<SheetColumn> TextSheet::columns() const
{
    return m_columns;
}

int TextSheet::rowCount() const
{
    return m_rows.size();
}

QString TextSheet::text(int row, int column) const
{
    return m_rows.at(row).value(column);
}
