#include "SheetViewExport.h"

#include "ModelSheet.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "OrvWaitPrgDlg.h"
#include "SheetExportDlg.h"
#include "TableSheet.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QHeaderView>
#include <QCoreApplication>
#include <QTableView>

#include <numeric>
#include <optional>

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

// Rows of a table read only once they are to be written, in one pass on a thread and a
// connection of their own under a wait dialog: a page reads its rows a window at a time on the
// GUI thread as they are shown, and windows out of key order each pass over the rows before them.
class ReadSheet : public SheetData
{
public:
    using Reader = std::function<QString(const TableSheet::Visit &visit, const QString &connection)>;

    // columns: which of the definition's, in the order written; announced: the rows said before
    // the read.
    ReadSheet(const TableDefinition &definition, const QVector<int> &columns, const QVector<SheetColumn> &header, int announced,
              Reader reader)
        : m_definition(definition), m_columns(columns), m_header(header), m_announced(announced), m_reader(std::move(reader))
    {
    }

    QVector<SheetColumn> columns() const override { return m_header; }
    int rowCount() const override { return m_rows ? m_rows->rowCount() : m_announced; }
    QString text(int row, int column) const override { return m_rows ? m_rows->text(row, m_columns.value(column, -1)) : QString(); }

    // Why the rows could not be read.
    QString read(QWidget *parent)
    {
        const DbLinkParams params = OrvTableDataMgr::getInstance()->linkParams();
        QString error;
        std::optional<TableSheet> rows;
        OrvWaitPrgDlg wait([&] {
            error = DbConnection::withOwnConnection(params, QStringLiteral("export_reader"), [&](const QString &name) {
                QString readError;
                rows = TableSheet::collect(m_definition, [&](const TableSheet::Visit &visit) { return m_reader(visit, name); }, &readError);
                return readError;
            });
        }, parent);
        wait.setLabelText(QCoreApplication::translate("SheetViewExport", "正在读取要导出的行…"));
        wait.setRange(0, 0);
        wait.exec();
        if (error.isEmpty())
            m_rows = std::move(rows);
        return error;
    }

private:
    const TableDefinition m_definition;
    const QVector<int> m_columns;
    const QVector<SheetColumn> m_header;
    const int m_announced;
    const Reader m_reader;
    std::optional<TableSheet> m_rows;
};

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
    const TableDefinition def = model->definition();
    const QVector<SheetColumn> header = SheetData::columnsOf(def.columns);
    const QVector<int> columns = visibleColumns(view);
    QVariantList values;
    const QString sql = model->shownRowsStatement(&values);
    const auto edited = model->editedRows();
    ReadSheet shown(def, columns, picked(header, columns), view->model()->rowCount(),
                    [sql, values, edited](const TableSheet::Visit &visit, const QString &connection) {
                        return OrvDbDesign(connection).forEachRow(sql, values, [&](const QStringList &cells) { visit(edited(cells)); });
                    });
    const QString condition = model->condition();
    const QVector<int> all = allOf(header.size());
    ReadSheet whole(def, all, header, qMax(0, model->totalRows()), [def, condition](const TableSheet::Visit &visit, const QString &connection) {
        return TableSheet::forEachRow(def, condition, visit, connection);
    });
    SheetExportDlg::run(parent, what, model->getTableName(), &shown, &whole, [&shown, &whole](const SheetData *chosen, QWidget *dialog) {
        return (chosen == &whole ? whole : shown).read(dialog);
    });
}

} // namespace SheetViewExport
