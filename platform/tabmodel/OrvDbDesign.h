#pragma once

#include "DbRows.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QVariant>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class OrvTableModel;
struct DbLinkParams;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QSqlQuery;
class QSqlRecord;

// Small read helpers over the link. Every query is read to its end and finished at once,
// so that no read lock is left behind. The core needs no screen; the helpers that fill widgets
// are defined in the library's widgets part.
class OrvDbDesign
{
public:
    // Reads over the link, which is opened again when it was lost.
    OrvDbDesign() = default;
    // Reads over the named connection of the calling thread instead (a worker's own).
    explicit OrvDbDesign(const QString &connection) : m_connection(connection) {}

    bool getOneColumnResult(const QString &sql, QStringList &first);
    bool getTwoColumnResult(const QString &sql, QStringList &first, QStringList &second);
    bool getThreeColumnResult(const QString &sql, QStringList &first, QStringList &second, QStringList &third);
    // The same with values bound to the ? of the text, in order.
    bool getOneColumnResult(const QString &sql, const QVariantList &values, QStringList &first);
    bool getTwoColumnResult(const QString &sql, const QVariantList &values, QStringList &first, QStringList &second);

    // Every row of the query, or why there is none.
    DbRows rows(const QString &sql, const QVariantList &values = {});
    // The same rows handed to visit one at a time as they are read (cells as texts, NULL as
    // the empty text), so that a large table is never held whole; why the read failed, or
    // empty. visit may be given rows before a failure ends the read.
    QString forEachRow(const QString &sql, const QVariantList &values, const std::function<void(const QStringList &)> &visit);
    // The rows of each statement, read on the calling thread (any thread) over a connection of
    // its own opened like the link, so that the link stays free. The first failure ends the
    // reads: the last result says why.
    static QVector<DbRows> rowsApart(const DbLinkParams &params, const QVector<SqlStatement> &statements);
    // One row per result row: the text of displayColumn, then the text of dataColumn.
    DbRows choices(const QString &sql, const QString &displayColumn, const QString &dataColumn,
                   const QVariantList &values = {});

    // One entry per row: text from displayColumn, Qt::UserRole data from dataColumn. These
    // three live in the library's widgets part.
    bool getSqlInfoToCombobox(const QString &sql, const QString &displayColumn, const QString &dataColumn,
                              QComboBox *combo);
    // New items the caller owns; checkable makes them user-checkable, unchecked.
    QList<QListWidgetItem *> getSqlItems(const QString &sql, const QString &displayColumn,
                                         const QString &dataColumn, bool checkable);
    static void reloadListWidget(QListWidget *list, QList<QListWidgetItem *> items);

    // The cells of the first row whose cells equal every given value; empty when none does.
    QStringList getFilterDatas(OrvTableModel *model, const QMap<QString, QString> &values);

    // Permission words hold 32 bits each: bit b (0 = least significant) of word k (0-based)
    // grants identifier k * 32 + b + 1. Returns the granted identifiers in ascending order.
    QList<int> testBit(QList<int> words);
    // A permission cell's decimal text as a word; a text that is no number gives 0.
    static int permissionWord(const QString &text);

    // Runs the statement on query, made on this object's connection; lastError() says why not.
    bool select(const QString &sql, const QVariantList &values, QSqlQuery &query);
    QString lastError() const { return m_lastError; }
    // Whether the last read on a named connection failed because the connection was gone, not
    // because the server stopped answering: such a read may be asked again over a new one.
    bool lostConnection() const { return m_lostConnection; }
    // Whether the last read ended because the server did not answer in time (its connection
    // was cut).
    bool timedOut() const { return m_timedOut; }

    // The text of a result cell; NULL gives the empty text.
    static QString cellText(const QSqlQuery &query, int column);

private:
    // Chooses the result's columns to read, by position; the reason when it cannot.
    using ColumnPicker = std::function<QString(const QSqlRecord &record, QVector<int> *columns)>;
    // The chosen columns of every row; cells as their texts (NULL empty) or as read (NULL null).
    DbRows read(const QString &sql, const QVariantList &values, const ColumnPicker &pick, bool asText);
    // Runs sql and hands visit the query standing on each row, with the picked columns; why
    // the read failed, or empty.
    QString walk(const QString &sql, const QVariantList &values, const ColumnPicker &pick,
                 const std::function<void(const QSqlQuery &, const QVector<int> &)> &visit);
    bool readColumns(const QString &sql, const QVariantList &values, const QList<QStringList *> &lists);

    QString m_connection;
    QString m_lastError;
    bool m_lostConnection = false;
    bool m_timedOut = false;
};
