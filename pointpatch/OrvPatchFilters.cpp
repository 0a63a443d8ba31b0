#include "OrvPatchFilters.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

OrvPatchFilters::OrvPatchFilters(const QWidget *form)
{
    for (const QString &suffix : {QString(), QStringLiteral("_2"), QStringLiteral("_3")}) {
        m_columns << form->findChild<QComboBox *>(QStringLiteral("comboBox") + suffix);
        m_texts << form->findChild<QLineEdit *>(QStringLiteral("lineEdit_search") + suffix);
    }
}

void OrvPatchFilters::clearTexts()
{
    for (QLineEdit *text : qAsConst(m_texts)) {
        const QSignalBlocker blocker(text);
        text->clear();
    }
}

void OrvPatchFilters::setColumns(const QStringList &headers)
{
    for (QComboBox *combo : qAsConst(m_columns)) {
        combo->clear();
        for (const QString &header : headers)
            combo->addItem(header, 0);
    }
}

bool OrvPatchFilters::hasColumns() const
{
    return m_columns.first()->currentIndex() >= 0;
}

QVector<OrvTableModel::ColumnText> OrvPatchFilters::filters(const QList<int> &columns) const
{
    QVector<OrvTableModel::ColumnText> filters;
    for (int k = 0; k < m_columns.size(); ++k) {
        const int pos = m_columns.at(k)->currentIndex();
        if (pos >= 0 && pos < columns.size())
            filters.append({columns.at(pos), m_texts.at(k)->text()});
    }
    return filters;
}
