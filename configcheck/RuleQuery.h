#pragma once

#include "CfgCheckTypes.h"

#include <QHash>
#include <QSet>
#include <QVector>

namespace CfgCheckRules {

// A rule text through the translation layer.
QString text(const char *source);
ST_CfgCheckError finding(const QString &tag, const QString &desc, const QString &reason);

// The reads of one rule run. The first query that fails is kept, later reads are skipped, and
// the result then carries the failure instead of findings: a failed query is never "no rows".
class RuleQuery
{
public:
    using Row = QStringList;

    // The rows of a statement selecting columnCount columns (1 to 3), sorted by their values:
    // without an order the databases return rows in different orders, and findings follow rows.
    QVector<Row> rows(const QString &sql, int columnCount);
    // The first column of a statement selecting columnCount columns, as a set.
    QSet<QString> keys(const QString &sql, int columnCount);
    // For each of keys that keyColumn of table holds (compared exactly, as the rules compare
    // texts): the values of columns (one or two) in the first row the database returns for it.
    // Read in chunks of keys, not one query per key.
    QHash<QString, Row> firstRows(const QString &table, const QString &keyColumn, const QStringList &columns,
                                  const QStringList &keys);

    bool failed() const { return !m_failure.isEmpty(); }
    // Records a failed read (the first one counts).
    void fail(const QString &query, const QString &reason);
    ST_CfgCheckResult result(const QList<ST_CfgCheckError> &findings) const;

private:
    bool read(const QString &sql, QList<QStringList> &columns);

    QString m_failure;
    QString m_failedQuery;
};

} // namespace CfgCheckRules
