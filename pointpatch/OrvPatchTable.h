#pragma once

#include "DbRows.h"

#include <QString>
#include <QStringList>

class QComboBox;

// The selection lists both point editors share.
class OrvPatchTable
{
public:
    // A selection list with a plain list view as its drop-down.
    static void prepareCombo(QComboBox *combo);
    // Replaces the entries with one per row of (shown text, data); with "所有" / "-1" first when
    // withAll and the rows were read. No signal of the list fires; the first entry becomes current.
    static void fillCombo(QComboBox *combo, const DbRows &choices, bool withAll);
    // The current entry's data as text; empty when the list is.
    static QString choice(const QComboBox *combo);
    // Every entry's data, in list order.
    static QStringList comboData(const QComboBox *combo);
};
