#pragma once

#include "DbRows.h"
#include "OrvTableModel.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVector>

class QStandardItemModel;
class QTableView;

// One result table of a batch editor. A search's rows are a table model of their own that reads
// them as they are shown (the first at once, the count off the GUI thread), sorted by a header
// click and narrowed by the filters in the database. Before a search, and where nothing can
// match, the table is empty with the definition's headers. Whole rows are selected; Ctrl+A
// selects every row, counted first if need be.
class OrvPatchResult : public QObject
{
    Q_OBJECT
public:
    explicit OrvPatchResult(QTableView *view);

    // Shows the columns of the definition file (none for an empty name) and, when a condition is
    // given, reads the rows meeting it in a new model: the rows, the selection and the sort of the
    // search before go with the old one.
    void show(const QString &definitionFile, const QString &condition);
    // The search's rows; null before a search and where nothing could match.
    OrvTableModel *rows() const { return m_rows; }
    // The definition's shown columns, in ascending order, and their headers.
    QList<int> shownColumns() const { return m_shown; }
    QStringList shownHeaders() const;
    // The read, as the editor's read status takes it: why it failed, with its statement.
    DbRows readStatus() const;
    void filter(const QVector<OrvTableModel::ColumnText> &texts);

signals:
    // A count came in, or a read failed.
    void statusChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setModel(QAbstractItemModel *model);
    void fitColumns();

    QTableView *m_view;
    QStandardItemModel *m_empty;
    OrvTableModel *m_rows = nullptr;
    QList<int> m_shown;
};
