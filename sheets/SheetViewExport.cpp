#include "SheetViewExport.h"

#include "ModelSheet.h"
#include "OrvTableModel.h"
#include "SheetExportDlg.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QHeaderView>
#include <QCoreApplication>
#include <QTableView>

#include <memory>
#include <numeric>

namespace SheetViewExport {
namespace {

QVector<int> allOf(int count)
{
    QVector<int> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

QVector<SheetColumn> picked(const QVector<SheetColumn> &header, const QVector<int> &columns)
{
    QVector<SheetColumn> result;
    for (int col : columns)
        result.append(header.value(col));
    return result;
}

// Visible columns in the order the header shows them.
QVector<int> visibleColumns(const QTableView *view)
{
    QVector<int> columns;
    const QHeaderView *header = view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!view->isColumnHidden(logical))
            columns.append(logical);
    }
    return columns;
}

QVector<int> visibleRows(const QTableView *view)
{
    QVector<int> rows;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (!view->isRowHidden(row))
            rows.append(row);
    return rows;
}

} // namespace

QAction *addAction(QWidget *window, QWidget *rows)
{
    auto *action = new QAction(QCoreApplication::translate("SheetViewExport", "导出…"), window);
    action->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_E));
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    rows->setContextMenuPolicy(Qt::ActionsContextMenu);
    rows->addAction(action);
    return action;
}

void exportView(QWidget *parent, const QTableView *view, const QVector<SheetColumn> &header, const QString &what,
                const QString &baseName, const QAbstractItemModel *wholeModel)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return;
    const QVector<int> columns = visibleColumns(view);
    const ModelSheet shown(model, visibleRows(view), columns, picked(header, columns));
    // Behind a sorting or filtering proxy lies the whole table, in its own order.
    const auto *proxy = qobject_cast<const QAbstractProxyModel *>(model);
    const QAbstractItemModel *source = wholeModel ? wholeModel : proxy && proxy->sourceModel() ? proxy->sourceModel() : model;
    const QVector<int> all = allOf(source->columnCount());
    const ModelSheet whole(source, allOf(source->rowCount()), all, picked(header, all));
    SheetExportDlg::run(parent, what, baseName, &shown, &whole);
}

void exportTable(QWidget *parent, const QTableView *view, OrvTableModel *model, const QString &what)
{
    model->countNow();
    std::unique_ptr<OrvTableModel> whole(model->unfilteredCopy(nullptr));
    whole->load(true);
    exportView(parent, view, SheetData::columnsOf(model->getHeadCols()), what, model->getTableName(), whole.get());
}

} // namespace SheetViewExport
