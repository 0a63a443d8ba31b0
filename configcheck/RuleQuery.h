#pragma once

#include "CfgCheckTypes.h"

#include <QHash>
#include <QSet>
#include <QVariant>
#include <QVector>

#include <functional>

class QSqlQuery;

namespace CfgCheckRules {

// A rule text through the translation layer.
QString text(const char *source);
ST_CfgCheckError finding(const QString &tag, const QString &desc, const QString &reason);
// Texts in the order of their code points, the order the rules' reads give.
bool codePointLess(const QString &a, const QString &b);

// The reads of one rule run. The first query that fails is kept, later reads are skipped, and
// the result then carries the failure instead of findings: a failed query is never "no rows".
class RuleQuery
{
public:
    using Row = QStringList;

    // The reads of rules run on the calling thread go over the named connection of that thread
    // (a worker's own); an empty name: over the link.
    static void useConnection(const QString &name);

    // Hands each row of the statement (its cells as texts, NULL as the empty text) to visit, in
    // the statement's order, keeping none: a table is read once and never held whole.
    void forEach(const QString &sql, const std::function<void(const Row &)> &visit);
    // "SELECT <columns> FROM <from>" ordered by the columns as texts in code-point order, the
    // same way on every database: without an order they return rows in different orders, and
    // findings follow rows. Columns past sortColumns (all when -1) are read but not sorted by.
    // Where this thread allows it (allowKeyOrder) and the first column is the text key of a table
    // read, and the database compares its texts by code points, the rows are ordered by the key
    // alone, which its index serves rather than a sort of the whole table; forEach then checks
    // that the keys rise in code-point order.
    QString sortedSelect(const QStringList &columns, const QString &from, const QString &where = QString(),
                         int sortColumns = -1);
    // Whether sortedSelect may order by a bare key on this thread; allowing it forgets an earlier
    // keyOrderFailed().
    static void allowKeyOrder(bool allowed);
    // Whether rows ordered by a bare key came out of code-point order (a key with a control
    // character, which the server's collation places before the key it extends), or repeated a
    // key: the rule's result is then wrong and is to be run again without allowKeyOrder.
    static bool keyOrderFailed();
    // Whether column is the text key, of one column, of table.
    static bool isTextKey(const QString &table, const QString &column);
    // The database's text join, for conditions that build a key.
    static QString concat(const QStringList &parts);
    // The database's comparisons of texts as the rules compare them: to the code point.
    static QString sameText(const QString &a, const QString &b);
    static QString isEmptyText(const QString &expression);
    // The number of rows of a table (0 when the read failed).
    int count(const QString &table);
    // The rows of one table in no order to rely on; where rangeKey (by default the first column)
    // is the table's text key, MariaDB reads them in ranges of it, reading the key beside the
    // columns asked for where it is not one of them. Never a cause of keyOrderFailed().
    void forEachUnordered(const QString &table, const QStringList &columns, const QString &where,
                          const std::function<void(const Row &)> &visit, const QString &rangeKey = QString());
    // The values of a column of a table, as a set (read as they come, not held twice).
    QSet<QString> keys(const QString &table, const QString &column);
    // For each of keys that keyColumn of table holds (compared exactly, as the rules compare
    // texts): the values of columns (one or two) in the first row the database returns for it.
    // Read in chunks of keys, not one query per key.
    QHash<QString, Row> firstRows(const QString &table, const QString &keyColumn, const QStringList &columns,
                                  const QStringList &keys);
    // Whether each row of table is found again by keyColumn, as describe() finds it: the column
    // is the table's text key and no row lacks it (SQLite's key takes NULL, in any number of
    // rows). read names what the probe reads, so that a column the table lacks fails the query.
    bool describedByKey(const QString &table, const QString &keyColumn, const QString &read = QString());
    // Fills in the descriptions of findings whose tags are keyColumn of table, read for those
    // rows alone: most rows of a large table have no finding.
    void describe(const QString &table, const QString &keyColumn, const QString &descriptionColumn,
                  QList<ST_CfgCheckError> *findings);

    bool failed() const { return !m_failure.isEmpty(); }
    // Records a failed read (the first one counts).
    void fail(const QString &query, const QString &reason);
    ST_CfgCheckResult result(const QList<ST_CfgCheckError> &findings) const;

private:
    // A statement of sortedSelect ordered by a bare key, in its parts.
    struct KeyOrdered
    {
        QString columns;
        QString from;
        QString where;
        QString key;
        bool chunked; // read in ranges of the key
    };
    bool read(const QString &sql, QList<QStringList> &columns);
    // The rows of sql, as they come, to visit.
    void readRows(const QString &sql, const std::function<void(const Row &)> &visit);
    void forEachKeyChunk(const QString &sql, const KeyOrdered &keyed, const std::function<void(const Row &)> &visit);
    // Runs statement (for the rule's sql) and hands its rows to visit; how many there were.
    int readAndVisit(const QString &sql, const QString &statement, const QVariantList &values,
                     const std::function<void(const Row &)> &visit);
    // Hands the rows of an executed query to visit; how many there were.
    int visitRows(const QString &sql, QSqlQuery &query, const std::function<void(const Row &)> &visit);

    QString m_failure;
    QString m_failedQuery;
    QHash<QString, KeyOrdered> m_keyOrdered; // by statement
};

} // namespace CfgCheckRules
