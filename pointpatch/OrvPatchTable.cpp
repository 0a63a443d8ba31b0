#include "OrvPatchTable.h"

#include "PointCascade.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QListView>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>

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

void OrvPatchTable::prepareView(QTableView *view, QStandardItemModel *model)
{
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(true);
    // No column is sorted until the user clicks one.
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void OrvPatchTable::clear(QTableView *view, QStandardItemModel *model)
{
    model->clear();
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void OrvPatchTable::loadRows(QStandardItemModel *model, const ColMgrDataList &columns, const DbRows &records)
{
    // Items copied from a read-only one share its flags: one allocation a cell fewer.
    QStandardItem readOnly;
    readOnly.setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    for (const QVariantList &record : records.rows) {
        QList<QStandardItem *> row;
        row.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            QStandardItem *item = readOnly.clone();
            const QVariant value = record.value(i);
            if (!value.isNull())
                item->setData(columns.at(i).kind.cellValue(value), Qt::DisplayRole);
            row.append(item);
        }
        if (!row.isEmpty())
            model->appendRow(row);
    }
}

void OrvPatchTable::fitColumns(QTableView *view)
{
    // Measuring every row of a large result would cost more than filling it.
    view->horizontalHeader()->setResizeContentsPrecision(100);
    view->resizeColumnsToContents();
    const int widest = view->fontMetrics().averageCharWidth() * 40;
    for (int j = 0; j < view->model()->columnCount(); ++j)
        if (view->columnWidth(j) > widest)
            view->setColumnWidth(j, widest);
}

QList<int> OrvPatchTable::showColumns(QTableView *view, const QList<int> &shown)
{
    QList<int> columns;
    for (int j = 0; j < view->model()->columnCount(); ++j) {
        const bool show = shown.contains(j);
        view->setColumnHidden(j, !show);
        if (show)
            columns.append(j);
    }
    return columns;
}

void OrvPatchTable::filterRows(QTableView *view, const QVector<Filter> &filters)
{
    const auto *model = qobject_cast<const QStandardItemModel *>(view->model());
    if (!model)
        return;
    QVector<Filter> active;
    for (const Filter &f : filters)
        if (!f.text.isEmpty() && f.column >= 0 && f.column < model->columnCount())
            active.append(f);
    const auto matches = [model, &active](int row) {
        return std::all_of(active.begin(), active.end(), [model, row](const Filter &f) {
            const QStandardItem *item = model->item(row, f.column);
            return item && item->text().contains(f.text, Qt::CaseSensitive);
        });
    };
    // Each hidden row relayouts the header; held off, the whole pass costs about one relayout.
    view->setUpdatesEnabled(false);
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool hide = !matches(row);
        if (view->isRowHidden(row) != hide)
            view->setRowHidden(row, hide);
    }
    view->setUpdatesEnabled(true);
}

QStringList OrvPatchTable::headers(const QStandardItemModel *model, const QList<int> &columns)
{
    QStringList texts;
    for (int column : columns)
        texts << model->headerData(column, Qt::Horizontal).toString();
    return texts;
}
