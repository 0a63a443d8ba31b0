#pragma once

#include "ColMgrDataList.h"
#include "DbRows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class QComboBox;
class QStandardItemModel;
class QTableView;

// The table work both point editors share: their selection lists, the read-only result
// tables, the record query and the text filters over the rows.
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

    // Whole-row selection, sorting by header click, no editing in place.
    static void prepareView(QTableView *view, QStandardItemModel *model);
    // Empties the model, rows and headers, and forgets the column the rows were sorted by.
    static void clear(QTableView *view, QStandardItemModel *model);

    // Appends one read-only row per record, in column-descriptor order: numbers of numeric
    // columns as numbers (so that they sort as such), a NULL as an empty cell, anything else as
    // its text.
    static void loadRows(QStandardItemModel *model, const ColMgrDataList &columns, const DbRows &records);
    // Widens the columns to their headers and the texts of the first rows, within a limit.
    static void fitColumns(QTableView *view);
    // Shows the shown columns and hides the others; their positions in ascending order.
    static QList<int> showColumns(QTableView *view, const QList<int> &shown);

    struct Filter
    {
        int column;
        QString text; // matched case-sensitively anywhere in the cell's text
    };
    // Shows the rows whose cells contain every filter text and hides the others. Only rows
    // whose state changes are touched, with the view's painting held until the end.
    static void filterRows(QTableView *view, const QVector<Filter> &filters);
    // The texts of the shown columns' headers, in order.
    static QStringList headers(const QStandardItemModel *model, const QList<int> &columns);
};
