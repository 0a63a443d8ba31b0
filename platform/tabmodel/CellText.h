#pragma once

#include <QModelIndex>
#include <QString>
#include <QVariant>

// What a cell stands for, to copy or export: the text stored where the model has one, else what
// it shows (a table on screen may not show a row it has not read yet; it reads it for this).
inline QString cellText(const QModelIndex &index)
{
    const QVariant stored = index.data(Qt::EditRole);
    return (stored.isValid() ? stored : index.data(Qt::DisplayRole)).toString();
}
