#pragma once

#include "ColMgrDataList.h"
#include "DbConnection.h"
#include "DbRows.h"
#include "SqlWrite.h"
#include "TableDefinition.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QPair>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <functional>

// The records of one table, or of the rows of it that meet a condition (a view), as an item
// model over a table of any size: the database sorts and filters, and rows are read in windows
// of WindowRows as they are asked for; a few windows are kept. Edits are kept by the row's key
// until saveChanges() writes them, whatever is read, sorted or filtered meanwhile.
class QTimer;

class BackgroundRead;
struct DbRows;

class OrvTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int WindowRows = 256;
    static constexpr int CachedWindows = 64;
    // Milliseconds a query stands still before its rows are counted.
    static constexpr int CountDelayMs = 250;
    // A count that failed for want of the server is asked again this often, this far apart.
    static constexpr int CountRetries = 10;
    static constexpr int CountRetryMs = 2000;

    OrvTableModel(const TableDefinition &definition, const QString &condition, QObject *parent);

    // Reads the table again on this thread: the rows counted and the first window read (the
    // others when asked for). Unsaved edits are dropped. False on a database error.
    bool load(bool force = true);
    // The same for a table on screen: only the first window is read now; the rows are counted
    // over a connection of their own, off this thread, and come in when counted (countsChanged).
    bool open();
    bool isLoaded() const { return m_loaded; }
    quint64 loadedGeneration() const { return m_generation; }

    // The rows in the header's order, and only those whose cell in column (every column shown
    // when -1) holds the text, letter case ignored: both are part of the query. Unsaved edits stay.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void setFilter(const QString &text, int column);
    QString filterText() const { return m_wanted.filterText; }
    // Further rows left out: only those whose cell in each column holds its text, letter case
    // as typed (an empty text leaves nothing out). Part of the query like the filter.
    struct ColumnText
    {
        int column;
        QString text;
    };
    void setColumnTexts(const QVector<ColumnText> &texts);
    int sortColumn() const { return m_wanted.sortColumn; }
    Qt::SortOrder sortOrder() const { return m_wanted.sortOrder; }
    // A table on screen reads another order or filter off this thread: its rows are those of
    // the last order and filter until the new ones come (countsChanged says when).
    bool isReading() const { return m_reading; }
    // The rows meeting the filter, and the rows of the table or view: -1 while being counted.
    int matchingRows() const { return m_matching; }
    int totalRows() const { return m_total; }
    // While the table's rows are being counted, the server's estimate of them (MariaDB counts
    // slowly); -1 when there is none.
    int estimatedRows() const { return m_total < 0 ? m_estimate : -1; }
    // Counts now, on this thread, where the count has not come in yet (before every row is read).
    bool countNow();
    // Another query reading the cells of columns of count rows from first on, as this model
    // orders and filters them; NULL comes as a null QVariant.
    SqlStatement rowsStatement(int first, int count, const QList<int> &columns) const;
    // SELECT COUNT(*) of the rows read (filteredCount) or of the whole table or view.
    SqlStatement countStatement(bool filteredCount) const;
    // The stored cells of a row whose window is held (NULL a null text); empty when it is not
    // held: nothing is read.
    QStringList heldRow(int row) const;
    // A table on screen shows a row of a window it does not hold once that window has been read
    // off this thread: a jump through millions of rows never holds the window. Until then the row
    // awaits its read and shows empty cells, or what it held before the database was written to;
    // other roles than the one shown read it at once.
    bool awaitsRead(int row) const;
    // The database was written to: the rows stay in their places (and a view's selection with
    // them) and are read again as they are shown.
    void rereadInPlace();
    // Whether a write of the column may take rows out of those read or bring others in: the
    // view's condition or a filter names it. Such a write needs the rows read and counted anew.
    bool rowsDependOn(int column) const;
    // The statement that reads every row as shown (filter and order as asked for) in one pass,
    // for a reader of them all: windows out of key order each pass over the rows before them.
    QString shownRowsStatement(QVariantList *values) const;
    // Shows a stored row (every column) as the model does, with the edits not saved yet; it holds
    // a copy of them, so that it may run on another thread.
    std::function<QStringList(const QStringList &)> editedRows() const;

    QString getTableName() const { return m_def.tableName; }
    QString definitionName() const { return m_def.fileName; }
    QString tableDescription() const { return m_def.description; }
    QString condition() const { return m_condition; }
    const TableDefinition &definition() const { return m_def; }
    const ColMgrDataList &getHeadCols() const { return m_def.columns; }
    QStringList getRowData(int row);
    int findCol(const QString &sqlName) const { return m_def.columns.findCol(sqlName); }
    QStringList getSqlName() const { return m_def.columns.getSqlName(); }
    QStringList getDescList() const { return m_def.columns.getDescList(); }
    QList<int> getShowCol(bool all) const { return m_def.columns.getShowCol(all); }
    QString lastError() const { return m_lastError; }
    // The first row (in key order) whose cells equal every given value, asked of the database;
    // empty when none does.
    QStringList findRow(const QMap<QString, QString> &values);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Why a cell may not be edited now; empty when it may.
    QString editRefusal(int column) const;
    // Why the value may not go into the column; empty when it may.
    QString valueRefusal(int column, const QString &value) const;
    bool hasPendingChanges() const { return !m_edits.isEmpty(); }
    // Whether the cell holds an edit not yet saved.
    bool isEdited(int row, int column) const;
    // A row by its stored key, which a sort or filter does not change: its id (empty for a row
    // not held), whether the column of the row with that id holds an edit, and the row held with
    // it (-1 when none is).
    QString rowId(int row) const;
    bool isEditedKey(const QString &id, int column) const { return m_edits.value(id).stored.contains(column); }
    int rowOfKey(const QString &id) const;
    // The same for the row as shown, never read at once (a row that awaits its read is judged by
    // what it held before, one that shows nothing yet is not edited); *stored: the value the
    // database held for the cell; *failed: whether the last save failed on it.
    bool isShownEdited(int row, int column, QString *stored, bool *failed) const;
    // Writes every pending edit in one transaction through the library. Empty text on success;
    // on failure (a refused value, a row another session changed, a lost link) nothing is
    // written, the edits stay, failedCell() names the cell that failed and the text says why.
    // run: where the writes run (by default on the link, on this thread; a page runs them off the
    // GUI thread under a wait dialog).
    using WriteRunner = std::function<DbConnection::BatchResult(const QList<SqlWrite> &)>;
    QString saveChanges(const WriteRunner &run = {});
    // (row, column) of the cell the last save failed on, among the rows read; (-1, -1) when none.
    QPair<int, int> failedCell() const;
    void revertChanges();

signals:
    // An edit was refused (no right, a locked column, a value that does not fit); the cell kept its value.
    void editRefused(const QString &reason);
    // A count came in, or failed.
    void countsChanged();
    // The first rows of another order or filter replaced those shown: a view shows them from the
    // top, as the place it had scrolled to belongs to the rows of before.
    void reshaped();

private:
    struct RowEdit
    {
        QStringList key;              // the row's key as stored
        QMap<int, QString> stored;    // column -> the value stored before the edit
        QMap<int, QString> current;   // column -> the value edited
    };
    // What is read: order and filter.
    struct Shape
    {
        int sortColumn = -1;
        Qt::SortOrder sortOrder = Qt::AscendingOrder;
        QString filterText;
        int filterColumn = -1;
        QVector<ColumnText> columnTexts;
    };
    struct Query
    {
        QString where;
        QVariantList values;
    };

    void ensureLoaded() const;
    // Reads again in the way the model was opened (counted here, or counted off this thread);
    // keepTotal: the table's count still holds (another order or filter).
    void reread(bool keepTotal);
    // Forgets what was read, keeps the edits; reads the first window. counted: count here too;
    // knownTotal: the table's count when it still holds, else -1.
    void requery(bool counted, int knownTotal) const;
    void forgetReads(int knownTotal) const;
    // Makes the first window's size count; the rows it holds.
    int settleFirstWindow() const;
    // The server's estimate of the table's rows, until they are counted.
    void estimateTotal(int firstWindow) const;
    // Counts here what is not counted yet; false, the reason kept, when a count failed.
    bool countMissing() const;
    void reshape(const Shape &wanted);
    void readFirstWindowLater();
    void dropLaterRead() const;
    void firstWindowArrived(quint64 ticket, const DbRows &rows);
    Query filtered(const Shape &shape, bool withFilter) const;
    // reversed: every term the other way, for reading from the end.
    QString orderBy(const Shape &shape, bool reversed = false) const;
    bool keysetOrder(const Shape &shape) const;
    struct WindowRead
    {
        QString sql;
        QVariantList values;
        bool fromEnd = false; // its rows come last first
    };
    WindowRead windowRead(const Shape &shape, int window) const;
    static bool isFiltered(const Shape &shape);
    // The condition that the column's cell holds a text (bound to its ?), letter case as typed.
    static QString containsText(const QString &column);
    // The column's cells as text the way the table shows them, for a filter to search.
    QString shownText(int col) const;
    bool fetchWindow(int window) const;
    void storeWindow(int window, const DbRows &rows, bool fromEnd = false) const;
    // The window after the last row shown, read: its rows join the table; a short one ends it.
    void appendWindow(int window);
    // A cell edited to this value is saved as NULL.
    static bool savedAsNull(const ColMgrData &column, const QString &value);
    const QStringList *storedRow(int row) const;
    // The row as shown: nullptr while it awaits its read.
    const QStringList *shownRow(int row) const;
    void readWindowLater(int window) const;
    void windowArrived(quint64 ticket, const DbRows &rows);
    void dropWindowReads() const;
    void startCounts();
    void countLater(bool filteredCount);
    void countArrived(quint64 ticket, bool filteredCount, qint64 rows, const QString &error, bool linkDown);
    void growTo(int rows);
    QString keyId(const QStringList &row) const;
    // The cells with the edit of the row whose key is id, if any.
    static QStringList withEdit(const QHash<QString, RowEdit> &edits, const QString &id, QStringList cells);
    QStringList keyOf(const QStringList &row) const;
    // The row's cells with its edits.
    QStringList currentRow(int row) const;
    QList<SqlWrite> pendingWrites() const;
    QString finishSave(const DbConnection::BatchResult &result);
    // Whether the pending edits leave every row in its place: none is of the order, the key or a filter.
    bool editsKeepPlaces() const;
    // The condition that a cell of the columns holds the text; the values it binds go to values.
    QString textMatch(const QStringList &columns, const QString &text, QVariantList *values) const;

    TableDefinition m_def;
    QString m_condition;
    mutable Shape m_shape;  // of the rows read
    Shape m_wanted;         // asked for last
    BackgroundRead *m_reader = nullptr;
    mutable quint64 m_readTicket = 0;
    mutable bool m_reading = false;
    // Windows a view asked for, read one at a time: the one being read, the last asked for meanwhile.
    mutable BackgroundRead *m_windowReader = nullptr;
    mutable quint64 m_windowTicket = 0;
    mutable int m_windowReading = -1;
    mutable bool m_windowFromEnd = false;
    mutable int m_windowNext = -1;
    mutable QSet<int> m_unreadable; // not asked again until read anew
    mutable QHash<int, QVector<QStringList>> m_staleWindows; // shown until read again after a write

    mutable bool m_loaded = false;
    bool m_counting = false;      // opened for a view: counts come from off this thread
    mutable quint64 m_generation = 0;
    mutable int m_rowCount = 0;   // rows the model offers: all once counted, else those read
    mutable int m_matching = -1;
    mutable int m_total = -1;
    mutable int m_estimate = -1;
    mutable quint64 m_ticket = 0; // counts of an earlier query are dropped
    mutable QHash<int, QVector<QStringList>> m_windows;
    mutable QHash<int, quint64> m_windowUse;
    mutable quint64 m_useClock = 0;
    mutable QString m_lastError;
    QTimer *m_countTimer;
    bool m_countRunning = false;
    int m_countRetries = 0; // of this query's count, for want of the server

    QHash<QString, RowEdit> m_edits; // by keyId of the stored key
    QString m_failedKey;
    int m_failedColumn = -1;
};
