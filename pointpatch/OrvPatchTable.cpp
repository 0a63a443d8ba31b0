#include "OrvPatchTable.h"

#include "PointCascade.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListView>
#include <QSignalBlocker>

void OrvPatchTable::prepareCombo(QComboBox *combo)
{
    combo->setView(new QListView(combo));
}

void OrvPatchTable::fillCombo(QComboBox *combo, const DbRows &choices, bool withAll)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const QVariantList &entry : choices.rows)
        combo->addItem(entry.at(0).toString(), entry.at(1));
    if (withAll && choices.ok())
        combo->insertItem(0, QCoreApplication::translate("OrvPatchTable", "所有"), PointCascade::AllData);
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

QString OrvPatchTable::choice(const QComboBox *combo)
{
    return combo->currentData(Qt::UserRole).toString();
}

QStringList OrvPatchTable::comboData(const QComboBox *combo)
{
    QStringList data;
    data.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i)
        data << combo->itemData(i, Qt::UserRole).toString();
    return data;
}
