#pragma once

#include <QObject>

class QTableView;

// The column widths a user gave a page's tables, kept in ModelConfig.ini ([columns] per table)
// between starts.
class ColumnWidths : public QObject
{
    Q_OBJECT
public:
    explicit ColumnWidths(QTableView *view);

    // After the view fitted its columns to the rows of table: the widths last given to that table,
    // and from now on the widths the user gives it.
    void apply(const QString &table);
    // Writes the widths given in this run to the user's ModelConfig.ini; empty text, or why not.
    static QString save();

private:
    void record();

    QTableView *m_view;
    QString m_table;
    bool m_applying = false;
};
