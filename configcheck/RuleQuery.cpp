#include "RuleQuery.h"

#include "OrvDbDesign.h"
#include "SqlText.h"

#include <QCoreApplication>

#include <algorithm>

namespace CfgCheckRules {
namespace {

// Keys per lookup statement, and their characters: SQLite takes statements of up to a million bytes
// (three a character at most in UTF-8).
constexpr int LookupChunk = 2000;
constexpr int LookupChunkChars = 200000;

// One empty list per selected column, for read() to fill.
QList<QStringList> emptyColumns(int count)
{
    QList<QStringList> columns;
    for (int c = 0; c < count; ++c)
        columns.append(QStringList());
    return columns;
}

} // namespace

QString text(const char *source)
{
    return QCoreApplication::translate("CfgCheckRules", source);
}

ST_CfgCheckError finding(const QString &tag, const QString &desc, const QString &reason)
{
    return ST_CfgCheckError{false, tag, desc, reason};
}

bool RuleQuery::read(const QString &sql, QList<QStringList> &columns)
{
    if (failed())
        return false;
    OrvDbDesign design;
    bool ok = false;
    switch (columns.size()) {
    case 1:
        ok = design.getOneColumnResult(sql, columns[0]);
        break;
    case 2:
        ok = design.getTwoColumnResult(sql, columns[0], columns[1]);
        break;
    default:
        ok = design.getThreeColumnResult(sql, columns[0], columns[1], columns[2]);
        break;
    }
    if (!ok)
        fail(sql, design.lastError());
    return ok;
}

QVector<RuleQuery::Row> RuleQuery::rows(const QString &sql, int columnCount)
{
    QList<QStringList> columns = emptyColumns(columnCount);
    QVector<Row> rows;
    if (!read(sql, columns))
        return rows;
    rows.reserve(columns.first().size());
    for (int r = 0; r < columns.first().size(); ++r) {
        Row row;
        for (const QStringList &column : qAsConst(columns))
            row.append(column.at(r));
        rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QSet<QString> RuleQuery::keys(const QString &sql, int columnCount)
{
    QList<QStringList> columns = emptyColumns(columnCount);
    if (!read(sql, columns))
        return {};
    return QSet<QString>(columns.first().begin(), columns.first().end());
}

QHash<QString, RuleQuery::Row> RuleQuery::firstRows(const QString &table, const QString &keyColumn,
                                                    const QStringList &columns, const QStringList &keys)
{
    QStringList distinct;
    QSet<QString> seen;
    for (const QString &key : keys)
        if (!seen.contains(key)) {
            seen.insert(key);
            distinct.append(key);
        }
    const QString select = (QStringList{keyColumn} + columns).join(QLatin1Char(','));
    QHash<QString, Row> found;
    for (int start = 0; start < distinct.size() && !failed();) {
        QStringList chunk;
        int chars = 0;
        while (start < distinct.size() && chunk.size() < LookupChunk && chars < LookupChunkChars) {
            chars += distinct.at(start).size();
            chunk.append(distinct.at(start++));
        }
        // The keys as quoted literals, like the one-key templates: a statement prepared per
        // chunk costs PostgreSQL more than it reads.
        const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4);").arg(select, table, keyColumn, orv_sql::quotedList(chunk));
        QList<QStringList> lists = emptyColumns(columns.size() + 1);
        if (!read(sql, lists)) {
            // The statement as a reader wants it: the keys are many and say little.
            m_failedQuery = QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (...);").arg(select, table, keyColumn);
            break;
        }
        for (int r = 0; r < lists.first().size(); ++r) {
            const QString &key = lists.first().at(r);
            if (found.contains(key))
                continue;
            Row row;
            for (int c = 1; c < lists.size(); ++c)
                row.append(lists.at(c).at(r));
            found.insert(key, row);
        }
    }
    return found;
}

void RuleQuery::fail(const QString &query, const QString &reason)
{
    if (failed())
        return;
    m_failure = reason.trimmed().isEmpty() ? text(QT_TRANSLATE_NOOP("CfgCheckRules", "查询失败")) : reason.trimmed();
    m_failedQuery = query;
}

ST_CfgCheckResult RuleQuery::result(const QList<ST_CfgCheckError> &findings) const
{
    ST_CfgCheckResult result;
    if (failed()) {
        result.strFailure = m_failure;
        result.strFailedQuery = m_failedQuery;
    } else {
        result.lstErrors = findings;
    }
    return result;
}

} // namespace CfgCheckRules
