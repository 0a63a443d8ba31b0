#pragma once

#include "ColMgrDataList.h"
#include "DbConnection.h"
#include "DbRows.h"
#include "SqlWrite.h"
#include "TableDefinition.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPair>
#include <QStringList>
#include <QVector>

#include <functional>

// The records of one table, or of the rows of it that meet a condition (a view), as an item
// model. Rows are read on first use; edits are kept until saveChanges() writes them.
class OrvTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    OrvTableModel(const TableDefinition &definition, const QString &condition, QObject *parent);

    // Reads the rows from the database (again). False on a database error.
    bool load(bool force = true);
    // The same with the rows read elsewhere (off the GUI thread, over a connection of its own):
    // read gets the statement and gives its rows.
    using RowReader = std::function<DbRows(const QString &sql)>;
    bool load(const RowReader &read);
    bool isLoaded() const { return m_loaded; }
    quint64 loadedGeneration() const { return m_generation; }

    QString getTableName() const { return m_def.tableName; }
    QString definitionName() const { return m_def.fileName; }
    QString tableDescription() const { return m_def.description; }
    QString condition() const { return m_condition; }
    const ColMgrDataList &getHeadCols() const { return m_def.columns; }
    QStringList getRowData(int row);
    int findCol(const QString &sqlName) const { return m_def.columns.findCol(sqlName); }
    QStringList getSqlName() const { return m_def.columns.getSqlName(); }
    QStringList getDescList() const { return m_def.columns.getDescList(); }
    QList<int> getShowCol(bool all) const { return m_def.columns.getShowCol(all); }
    QString lastError() const { return m_lastError; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Why a cell may not be edited now; empty when it may.
    QString editRefusal(int column) const;
    // Why the value may not go into the column; empty when it may.
    QString valueRefusal(int column, const QString &value) const;
    bool hasPendingChanges() const { return !m_original.isEmpty(); }
    // Whether the cell holds an edit not yet saved, and the value the database holds for it.
    bool isEdited(int row, int column) const;
    QString storedValue(int row, int column) const;
    // Writes every pending edit in one transaction through the library. Empty text on success;
    // on failure (a refused value, a row another session changed, a lost link) nothing is
    // written, the edits stay, failedCell() names the cell that failed and the text says why.
    // run: where the writes run (by default on the link, on this thread; a page runs them off the
    // GUI thread under a wait dialog).
    using WriteRunner = std::function<DbConnection::BatchResult(const QList<SqlWrite> &)>;
    QString saveChanges(const WriteRunner &run = {});
    // (row, column) of the cell the last save failed on; (-1, -1) when none.
    QPair<int, int> failedCell() const { return m_failedCell; }
    void revertChanges();

signals:
    // An edit was refused (no right, a locked column, a value that does not fit); the cell kept its value.
    void editRefused(const QString &reason);

private:
    void ensureLoaded() const;
    void takeRows(const DbRows &rows) const;
    QList<SqlWrite> pendingWrites() const;
    QString finishSave(const DbConnection::BatchResult &result);
    QPair<int, int> failedCell(const DbConnection::BatchResult &result) const;
    QString selectStatement() const;

    TableDefinition m_def;
    QString m_condition;
    mutable bool m_loaded = false;
    mutable quint64 m_generation = 0;
    mutable QVector<QStringList> m_rows;
    mutable QString m_lastError;
    // (row, column) -> the value stored in the database before the edit
    QHash<QPair<int, int>, QString> m_original;
    QPair<int, int> m_failedCell{-1, -1};
};
