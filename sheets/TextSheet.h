#pragma once

#include "SheetData.h"

// Rows of texts kept by the sheet itself, for what no table or model holds (a check's findings).
class TextSheet : public SheetData
{
public:
    explicit TextSheet(const QVector<SheetColumn> &columns);

    void append(const QStringList &row) { m_rows.append(row); }

    QVector<SheetColumn> columns() const override;
    int rowCount() const override;
    QString text(int row, int column) const override;

private:
    QVector<SheetColumn> m_columns;
    QVector<QStringList> m_rows;
};
