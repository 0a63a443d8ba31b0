#pragma once

#include "ColMgrDataList.h"
#include "SelectedRows.h"
#include "SqlWrite.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

class OrvPatchContext;
class OrvPatchDialog;
class OrvTableModel;
class QAction;
class QMenu;
class QTableView;

// The batch operations both point editors offer on one column of the selected rows: number
// them from 0, from 1 or from a format, give them one value, find and replace, and undo the
// last batch. The selected rows' keys and values are read from the database first, in the order
// shown, rows not yet read onto the table included; then one UPDATE per row, keyed by the row's
// key column, run by the library's Worker under its wait dialog in one transaction; the table
// shows the change only when the database took it.
//
// The editor passes itself as the parent of the menu and the messages; the menu's actions
// call the editor's slots onIncrementFrom0ToSelect(), onIncrementFrom1ToSelect(),
// onIncrementToSelect(), onSameValueToSelect(), onFindAndReplaceToSelect(), onUndoLastBatch()
// and onExport(), which call back into this object.
class OrvBatchEdit : public QObject
{
    Q_OBJECT
public:
    OrvBatchEdit(OrvPatchDialog *editor, OrvPatchContext *context, bool rememberFindReplace);

    // Gives the view the custom context menu and reports its requests to the editor's onMenu().
    void attachView(QTableView *view);
    QMenu *menu() const { return m_menu; }
    QAction *undoAction() const { return m_undo; }

    // The bodies of the editor's slots.
    void showMenu();
    void incrementToSelect(int start);
    void customIncrementToSelect();
    void sameValueToSelect();
    void findAndReplaceToSelect();
    void undoLastBatch();
    // Exports the result table as shown or whole.
    void exportRows();

    // The selected rows, top to bottom, in the current cell's column.
    struct Selection
    {
        int column = -1;
        QVector<SelectedRows::Range> rows;
    };
    Selection selection() const;

    void increment(const QString &format, int start, const Selection &rows);
    void sameValue(const QString &value, const Selection &rows);
    void findAndReplace(const QString &find, const QString &replace, const Selection &rows);

    // Remembered inputs.
    QString customFormat() const { return m_format; }
    int customStart() const { return m_start; }
    QString sameValueText() const { return m_sameValue; }
    QString findText() const { return m_find; }
    QString replaceText() const { return m_replace; }

private:
    enum class Operation { Increment, SameValue, FindAndReplace };
    // The new value of the i-th selected row's cell, from the text it shows.
    using ValueOf = std::function<QString(int i, const QString &shown)>;

    struct UndoCell
    {
        QString key;
        QVariant before; // invalid for a database NULL
        QVariant after;
    };
    struct UndoBatch
    {
        QPointer<OrvTableModel> model; // the search's rows: a new search ends the undo
        QString table;
        QString column;
        QString keyColumn;
        QVector<UndoCell> cells;
    };

    void buildMenu();
    // The batch the undo entry restores; an empty one hides the entry.
    void setLastBatch(const UndoBatch &batch);
    void run(Operation operation, const Selection &rows, const ValueOf &valueOf, const QString &format = QString());
    // The key and the column's value of each selected row, read from the database in the order
    // shown under a wait dialog; a row the table holds must still be there. Empty text when read.
    QString readRows(const OrvTableModel *table, int keyPos, const Selection &selection, QVector<UndoCell> *cells);
    static bool allHeld(const OrvTableModel *table, const QVector<SelectedRows::Range> &rows);
    // Why the operation may not change the column; empty when it may.
    QString refusal(Operation operation, const QString &format, const ColMgrData &column) const;
    QString undoRefusal() const;
    // The rows after a batch or undo that wrote the column.
    static void reread(OrvTableModel *table, int column);
    // Runs the writes under the wait dialog; empty text when the database took them all.
    QString execute(const QList<SqlWrite> &writes);
    void tell(const QString &text);

    OrvPatchDialog *m_editor;
    OrvPatchContext *m_context;
    const bool m_rememberFindReplace;
    QMenu *m_menu = nullptr;
    QAction *m_undoSeparator = nullptr;
    QAction *m_undo = nullptr;
    QString m_format;
    int m_start = 0;
    QString m_sameValue;
    QString m_find;
    QString m_replace;
    UndoBatch m_last;
};
