#pragma once

#include <QAbstractProxyModel>
#include <QString>
#include <QVector>

// Shows the rows of a table model sorted by one column and narrowed by a text, fast on tables
// of many thousand rows: the sort order is kept, and a filter keystroke only picks the rows of
// that order whose cached text holds the filter text. Edited rows keep their place.
class OrvRowFilterProxy : public QAbstractProxyModel
{
    Q_OBJECT
public:
    explicit OrvRowFilterProxy(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;
    // Rows whose cell in column (every column when -1) holds text, letter case ignored.
    void setFilter(const QString &text, int column);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Of a table model's cells, edits not yet saved are tinted and name the stored value; the
    // cell a save failed on is marked red.
    QVariant data(const QModelIndex &proxyIndex, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void onSourceReset();
    void onSourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QVector<int> &roles);
    void rebuild();
    void readRow(int row);
    void orderRows();
    void applyFilter(bool narrowing);
    bool accepts(int sourceRow) const;

    QString m_filter;
    int m_filterColumn = -1;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QVector<QString> m_rowText;      // per source row: its cells, lower case, separated
    QVector<int> m_order;            // source rows in sort order
    QVector<int> m_shown;            // the source rows shown, in order
    QVector<int> m_shownRowOfSource; // per source row its proxy row, or -1
};
