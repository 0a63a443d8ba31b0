#pragma once

#include <QLabel>
#include <QPointer>

class QTableView;
class QTimer;

// "共 N 条，选中 M 条" under a table: the rows shown (a filter's hidden rows left out) and the
// shown rows selected, kept up to date as rows, filters and the selection change; "…" for N while
// a table model that reads as it shows is still counting.
class RowCountLabel : public QLabel
{
    Q_OBJECT
public:
    explicit RowCountLabel(QWidget *parent = nullptr);

    // Counts the rows of view from now on (a dialog of tabs hands over the current tab's).
    void watch(QTableView *view);
    int shownRows() const;
    int selectedRows() const;

public slots:
    void refresh();

private:
    bool counting() const;

    QPointer<QTableView> m_view;
    // Hiding thousands of rows reports each: counted once they are done.
    QTimer *m_pending;
    QList<QMetaObject::Connection> m_watched;
};
