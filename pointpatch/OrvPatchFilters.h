#pragma once

#include "OrvTableModel.h"

#include <QList>
#include <QStringList>
#include <QVector>

class QComboBox;
class QLineEdit;
class QWidget;

// An editor's three text filters, each a list of the shown columns and a text: comboBox with
// lineEdit_search, comboBox_2 with lineEdit_search_2, comboBox_3 with lineEdit_search_3.
class OrvPatchFilters
{
public:
    OrvPatchFilters() = default;
    explicit OrvPatchFilters(const QWidget *form);

    const QList<QLineEdit *> &texts() const { return m_texts; }
    // Empties the texts without telling anyone.
    void clearTexts();
    // Each list offers these headers (entry data 0), the first current; none empties them.
    void setColumns(const QStringList &headers);
    bool hasColumns() const;
    // One text per list whose current entry stands for a model column of `columns`; a list
    // without such an entry filters nothing.
    QVector<OrvTableModel::ColumnText> filters(const QList<int> &columns) const;

private:
    QList<QComboBox *> m_columns;
    QList<QLineEdit *> m_texts;
};
