#include "OrvBatchEdit.h"

#include "OrvDbDesign.h"
#include "OrvInputDlg.h"
#include "OrvLog.h"
#include "OrvMessage.h"
#include "OrvPatchContext.h"
#include "OrvPatchDialog.h"
#include "OrvReplaceDlg.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "OrvWaitPrgDlg.h"
#include "SheetViewExport.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {

struct MenuEntry
{
    const char *text; // "%1" stands for the header of the current cell's column
    void (OrvPatchDialog::*slot)();
};

const MenuEntry kEntries[] = {
    {QT_TRANSLATE_NOOP("OrvBatchEdit", "%1 选中行 从0开始自增"), &OrvPatchDialog::onIncrementFrom0ToSelect},
    {QT_TRANSLATE_NOOP("OrvBatchEdit", "%1 选中行 从1开始自增"), &OrvPatchDialog::onIncrementFrom1ToSelect},
    {QT_TRANSLATE_NOOP("OrvBatchEdit", "%1 选中行 自定义自增"), &OrvPatchDialog::onIncrementToSelect},
    {QT_TRANSLATE_NOOP("OrvBatchEdit", "%1 选中行 取相同值"), &OrvPatchDialog::onSameValueToSelect},
    {QT_TRANSLATE_NOOP("OrvBatchEdit", "%1 选中行 查找与替换"), &OrvPatchDialog::onFindAndReplaceToSelect},
};

const QLatin1String kMarker("%1");

// A cell's value as the database stores it: its text, or NULL for an empty cell read from NULL.
QVariant storedText(const QVariant &cell)
{
    return cell.isValid() ? QVariant(cell.toString()) : QVariant();
}

} // namespace

OrvBatchEdit::OrvBatchEdit(OrvPatchDialog *editor, OrvPatchContext *context, bool rememberFindReplace)
    : QObject(editor)
    , m_editor(editor)
    , m_context(context)
    , m_rememberFindReplace(rememberFindReplace)
{
    buildMenu();
}

void OrvBatchEdit::buildMenu()
{
    m_menu = new QMenu(m_editor);
    for (const MenuEntry &entry : kEntries) {
        const QString text = tr(entry.text);
        QAction *action = m_menu->addAction(text);
        action->setData(text);
        connect(action, &QAction::triggered, m_editor, entry.slot);
    }
    m_undoSeparator = m_menu->addSeparator();
    m_undo = m_menu->addAction(tr("撤销上次批量修改"));
    connect(m_undo, &QAction::triggered, m_editor, &OrvPatchDialog::onUndoLastBatch);
    m_menu->addSeparator();
    QAction *exportRows = m_menu->addAction(tr("导出…"));
    exportRows->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_E));
    m_editor->addAction(exportRows);
    connect(exportRows, &QAction::triggered, m_editor, &OrvPatchDialog::onExport);
    setLastBatch(UndoBatch());
}

void OrvBatchEdit::setLastBatch(const UndoBatch &batch)
{
    m_last = batch;
    m_undoSeparator->setVisible(!m_last.cells.isEmpty());
    m_undo->setVisible(!m_last.cells.isEmpty());
}

void OrvBatchEdit::attachView(QTableView *view)
{
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, m_editor, &OrvPatchDialog::onMenu);
}

void OrvBatchEdit::showMenu()
{
    QTableView *view = m_context->patchView();
    if (!view || !view->model() || !view->currentIndex().isValid())
        return;
    const QString header = view->model()->headerData(view->currentIndex().column(), Qt::Horizontal).toString();
    for (QAction *action : m_menu->actions()) {
        const QString text = action->data().toString();
        if (!text.isEmpty())
            action->setText(QString(text).replace(kMarker, header));
    }
    m_menu->popup(QCursor::pos());
}

OrvBatchEdit::Selection OrvBatchEdit::selection() const
{
    QTableView *view = m_context->patchView();
    if (!view || !view->currentIndex().isValid())
        return {};
    // The model sorts and filters: its row order is what the user sees.
    return {view->currentIndex().column(), SelectedRows::ranges(view->selectionModel())};
}

void OrvBatchEdit::incrementToSelect(int start)
{
    increment(kMarker, start, selection());
}

void OrvBatchEdit::customIncrementToSelect()
{
    std::unique_ptr<OrvInputDlg> input(m_format.isEmpty() ? new OrvInputDlg(nullptr)
                                                           : new OrvInputDlg(m_format, m_start, m_editor));
    if (input->exec() != QDialog::Accepted)
        return;
    QTableView *view = m_context->patchView();
    if (!view || !view->currentIndex().isValid())
        return;
    increment(input->getText(), input->getInt(), selection());
    m_format = input->getText();
    m_start = input->getInt();
}

void OrvBatchEdit::sameValueToSelect()
{
    QTableView *view = m_context->patchView();
    if (!view)
        return;
    QInputDialog input(m_editor);
    input.setWindowTitle(tr("取相同值"));
    input.setLabelText(tr("请输入"));
    input.setTextEchoMode(QLineEdit::Normal);
    input.setTextValue(m_sameValue);
    // Wide enough for its title and for the long values of a configuration table (its layout
    // owns the minimum size, so the dialog is given a width instead).
    input.resize(360, input.sizeHint().height());
    if (input.exec() != QDialog::Accepted || !view->currentIndex().isValid())
        return;
    const QString text = input.textValue();
    sameValue(text, selection());
    m_sameValue = text;
}

void OrvBatchEdit::findAndReplaceToSelect()
{
    QTableView *view = m_context->patchView();
    if (!view)
        return;
    OrvReplaceDlg input(nullptr);
    if (m_rememberFindReplace) {
        input.setFind(m_find);
        input.setReplace(m_replace);
    }
    if (input.exec() != QDialog::Accepted || !view->currentIndex().isValid())
        return;
    const Selection list = selection();
    if (m_rememberFindReplace) {
        m_find = input.getFind();
        m_replace = input.getReplace();
    }
    findAndReplace(input.getFind(), input.getReplace(), list);
}

void OrvBatchEdit::increment(const QString &format, int start, const Selection &rows)
{
    run(Operation::Increment, rows, [&format, start](int i, const QString &) {
        return QString(format).replace(kMarker, QString::number(qint64(start) + i));
    }, format);
}

void OrvBatchEdit::sameValue(const QString &value, const Selection &rows)
{
    run(Operation::SameValue, rows, [&value](int, const QString &) { return value; });
}

void OrvBatchEdit::findAndReplace(const QString &find, const QString &replace, const Selection &rows)
{
    // An empty text would be "found" between every two characters and garble every cell.
    if (!rows.rows.isEmpty() && find.isEmpty()) {
        tell(tr("查找内容为空，未做任何修改。"));
        return;
    }
    run(Operation::FindAndReplace, rows, [&find, &replace](int, const QString &shown) {
        return QString(shown).replace(find, replace, Qt::CaseSensitive);
    });
}

QString OrvBatchEdit::refusal(Operation operation, const QString &format, const ColMgrData &column) const
{
    if (OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY)
        return tr("当前用户没有修改权限，不能批量修改。");
    if (operation == Operation::Increment) {
        if (!format.contains(kMarker))
            return tr("%1\n文本格式不对");
        if (column.kind.isNumeric() && format != kMarker)
            return tr("%1\n文本格式不对").arg(format);
    }
    if (!column.editable)
        return tr("该列不可编辑");
    if (column.primaryKey)
        return tr("该列是主键,不可编辑");
    return QString();
}

void OrvBatchEdit::run(Operation operation, const Selection &rows, const ValueOf &valueOf, const QString &format)
{
    if (rows.rows.isEmpty())
        return;
    OrvTableModel *table = m_context->patchTableModel();
    const QString keyColumn = m_context->patchKeyColumn();
    const int keyPos = table ? table->findCol(keyColumn) : -1;
    if (keyPos < 0 || rows.column < 0 || rows.column >= table->getHeadCols().size())
        return;
    const ColMgrData &descriptor = table->getHeadCols().at(rows.column);
    QString why = refusal(operation, format, descriptor);
    QVector<UndoCell> read;
    if (why.isEmpty())
        why = readRows(table, keyPos, rows, &read);
    if (!why.isEmpty()) {
        tell(why);
        return;
    }

    static const char *const kStart[] = {QT_TR_NOOP("开始执行自增菜单"), QT_TR_NOOP("开始执行取相同值菜单"),
                                         QT_TR_NOOP("开始执行查找与替换菜单")};
    static const char *const kEnd[] = {QT_TR_NOOP("自增菜单结束"), QT_TR_NOOP("取相同值菜单结束"), QT_TR_NOOP("查找与替换菜单结束")};
    ORV_LOG_DEBUG(tr(kStart[int(operation)]));

    UndoBatch batch{table, table->getTableName(), descriptor.sqlName, keyColumn, {}};
    batch.cells.reserve(read.size());
    QList<SqlWrite> writes;
    writes.reserve(read.size());
    for (int i = 0; i < read.size(); ++i) {
        const UndoCell &row = read.at(i);
        // An empty (NULL) cell holds no text to replace: written back it would become '', which
        // a number column refuses.
        if (operation == Operation::FindAndReplace && !row.before.isValid())
            continue;
        // The text the cell shows, as the table model shows it: only a replacement reads it.
        const QString shown = operation == Operation::FindAndReplace
                ? descriptor.kind.displayValue(row.before.toString()).toString()
                : QString();
        writes << SqlWrite::templateUpdate(batch.table, keyColumn, row.key, batch.column, valueOf(i, shown), storedText(row.before), true);
        // What the statement writes, which the undo finds the cell holding: '' for a null text.
        const QVariant after = writes.last().cells.first().value;
        batch.cells.append({row.key, row.before, operation == Operation::FindAndReplace ? after : descriptor.kind.cellValue(after)});
    }
    const QString result = writes.isEmpty() ? tr("选中的单元格都是空的，未做任何修改。") : execute(writes);
    ORV_LOG_DEBUG(tr(kEnd[int(operation)]));
    if (!result.isEmpty()) {
        tell(result);
        return;
    }
    reread(table, rows.column);
    setLastBatch(batch);
    tell(tr("修改成功!"));
}

QString OrvBatchEdit::readRows(const OrvTableModel *table, int keyPos, const Selection &selection, QVector<UndoCell> *cells)
{
    // Ranges a window or less apart are read in one pass rather than one statement each.
    QVector<SelectedRows::Range> spans;
    for (const SelectedRows::Range &range : selection.rows) {
        if (!spans.isEmpty() && range.first - spans.last().last <= OrvTableModel::WindowRows)
            spans.last().last = range.last;
        else
            spans.append(range);
    }
    QVector<SqlStatement> statements;
    for (const SelectedRows::Range &span : qAsConst(spans))
        statements.append(table->rowsStatement(span.first, span.size(), {keyPos, selection.column}));
    // Rows the table never held were never compared with what it shows: only their count tells
    // that rows were added or deleted among them, which moves every row after.
    QVector<SqlStatement> recount;
    if (table->matchingRows() >= 0 && !allHeld(table, selection.rows))
        recount.append(table->countStatement(true));
    QVector<DbRows> read;
    QVector<DbRows> counted;
    const DbLinkParams params = OrvTableDataMgr::getInstance()->linkParams();
    // Off the GUI thread: a million selected rows take a while, and a slow server longer. The
    // count walks the same rows as the read, so it runs beside it on a connection of its own.
    OrvWaitPrgDlg wait([&] {
        std::unique_ptr<QThread> counter;
        if (!recount.isEmpty()) {
            counter.reset(QThread::create([&] { counted = OrvDbDesign::rowsApart(params, recount); }));
            counter->start();
        }
        read = OrvDbDesign::rowsApart(params, statements);
        if (counter)
            counter->wait();
    }, m_editor);
    wait.setLabelText(tr("正在读取选中的行..."));
    wait.setRange(0, 0);
    wait.exec();
    read += counted;
    const auto failed = std::find_if(read.cbegin(), read.cend(), [](const DbRows &rows) { return !rows.ok(); });
    if (read.size() != statements.size() + recount.size() || failed != read.cend())
        return tr("读取选中的行失败，未做任何修改。\n原因: %1").arg(failed != read.cend() ? failed->error : QString());
    if (!recount.isEmpty() && read.takeLast().text(0, 0).toLongLong() != table->matchingRows())
        return tr("表格显示之后已有记录被其他操作增加或删除，未做任何修改。请重新查询。");

    cells->reserve(SelectedRows::count(selection.rows));
    int span = 0;
    for (const SelectedRows::Range &range : selection.rows) {
        while (range.first > spans.at(span).last)
            ++span;
        for (int row = range.first; row <= range.last; ++row) {
            const QVariantList cellsRead = read.at(span).rows.value(row - spans.at(span).first);
            const QStringList held = table->heldRow(row);
            // Rows another session deleted or added since the table showed them move the others.
            if (cellsRead.isEmpty() || (!held.isEmpty() && held.at(keyPos) != cellsRead.at(0).toString()))
                return tr("选中的第%1条已不是表格中显示的记录（记录可能已被其他操作删除、增加或修改），未做任何修改。请重新查询。")
                    .arg(cells->size() + 1);
            cells->append({cellsRead.at(0).toString(), cellsRead.at(1), QVariant()});
        }
    }
    return QString();
}

bool OrvBatchEdit::allHeld(const OrvTableModel *table, const QVector<SelectedRows::Range> &rows)
{
    // Windows are held whole: one row of each tells.
    for (const SelectedRows::Range &range : rows)
        for (int row = range.first; row <= range.last; row = (row / OrvTableModel::WindowRows + 1) * OrvTableModel::WindowRows)
            if (table->heldRow(row).isEmpty())
                return false;
    return true;
}

QString OrvBatchEdit::undoRefusal() const
{
    if (OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY)
        return tr("当前用户没有修改权限，不能批量修改。");
    if (m_last.cells.isEmpty())
        return tr("没有可以撤销的批量修改。");
    if (!m_last.model)
        return tr("上次批量修改的行已不在表格中（表格已重新查询），无法撤销。");
    return QString();
}

void OrvBatchEdit::undoLastBatch()
{
    const QString why = undoRefusal();
    if (!why.isEmpty()) {
        tell(why);
        return;
    }
    ORV_LOG_DEBUG(tr("开始执行撤销菜单"));
    // Only rows that still hold what the batch wrote are restored: a row someone changed
    // since changes nothing, which fails the whole undo.
    QList<SqlWrite> writes;
    writes.reserve(m_last.cells.size());
    for (const UndoCell &cell : qAsConst(m_last.cells)) {
        SqlWrite w;
        w.table = m_last.table;
        w.key = {{m_last.keyColumn, cell.key}};
        const QVariant after = storedText(cell.after);
        w.cells = {{m_last.column, storedText(cell.before), after, true}};
        w.guards = {{m_last.column, after}};
        writes << w;
    }
    const QString result = execute(writes);
    ORV_LOG_DEBUG(tr("撤销菜单结束"));
    if (!result.isEmpty()) {
        tell(result);
        return;
    }
    reread(m_last.model, m_last.model->findCol(m_last.column));
    setLastBatch(UndoBatch());
    tell(tr("修改成功!"));
}

void OrvBatchEdit::exportRows()
{
    QTableView *view = m_context->patchView();
    OrvTableModel *table = m_context->patchTableModel();
    if (!view || !table)
        return;
    SheetViewExport::exportTable(m_editor, view, table, tr("%1（%2）查询结果").arg(table->tableDescription(), table->getTableName()));
}

void OrvBatchEdit::reread(OrvTableModel *table, int column)
{
    // Rows the batch moved out of the search (or into it) leave the rows read and their count
    // behind: they are read and counted anew, from the top.
    if (table->rowsDependOn(column))
        table->open();
    else
        table->rereadInPlace();
}

QString OrvBatchEdit::execute(const QList<SqlWrite> &writes)
{
    return OrvWaitPrgDlg::runWrites(writes, m_editor).error;
}

void OrvBatchEdit::tell(const QString &text)
{
    orv_ui::information(m_editor, tr("消息"), text);
}
