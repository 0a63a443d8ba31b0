// The widget half of OrvDbDesign, in the library's widgets part: the core reads without a screen.
#include "OrvDbDesign.h"

#include <QComboBox>
#include <QListWidget>

bool OrvDbDesign::getSqlInfoToCombobox(const QString &sql, const QString &displayColumn,
                                       const QString &dataColumn, QComboBox *combo)
{
    const DbRows entries = choices(sql, displayColumn, dataColumn);
    if (!combo || !entries.ok())
        return false;
    for (const QVariantList &entry : entries.rows)
        combo->addItem(entry.at(0).toString(), entry.at(1));
    return true;
}

QList<QListWidgetItem *> OrvDbDesign::getSqlItems(const QString &sql, const QString &displayColumn,
                                                  const QString &dataColumn, bool checkable)
{
    QList<QListWidgetItem *> items;
    for (const QVariantList &entry : choices(sql, displayColumn, dataColumn).rows) {
        auto *item = new QListWidgetItem(entry.at(0).toString());
        item->setData(Qt::UserRole, entry.at(1));
        if (checkable) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        items.append(item);
    }
    return items;
}

void OrvDbDesign::reloadListWidget(QListWidget *list, QList<QListWidgetItem *> items)
{
    if (!list) {
        qDeleteAll(items);
        return;
    }
    for (QListWidgetItem *item : items)
        list->addItem(item);
}
