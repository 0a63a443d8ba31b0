#include "RuleQuery.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "ResponseWatchdog.h"
#include "SqlText.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>


namespace CfgCheckRules {
namespace {

// Keys per lookup statement, and their characters: SQLite takes statements of up to a million bytes
// (three a character at most in UTF-8).
constexpr int LookupChunk = 2000;
constexpr int LookupChunkChars = 200000;
// Rows a range of a key hands over at a time.
constexpr int FetchRows = 20000;

thread_local QString t_connection;
thread_local bool t_keyOrderAllowed = false;
thread_local bool t_keyOrderFailed = false;

QSqlDatabase link()
{
    return DbConnection::named(t_connection);
}

OrvDbDesign linkReader()
{
    return t_connection.isEmpty() ? OrvDbDesign() : OrvDbDesign(t_connection);
}

// UTF-16 code units weighed in code-point order: surrogates (U+10000 and up) after U+E000-U+FFFF.
int codePointWeight(ushort unit)
{
    if (unit >= 0xD800 && unit < 0xE000)
        return unit + 0x2000;
    return unit >= 0xE000 ? unit - 0x800 : unit;
}

// The table whose text key, of one column, column is (column, or alias.column of a table that
// from names as "table alias"); empty when it is none. *key: the key's name.
QString keyTable(const QString &from, const QString &column, QString *key)
{
    static const QRegularExpression plainColumn(QStringLiteral("^(?:(\\w+)\\.)?(\\w+)$"));
    static const QRegularExpression oneTable(QStringLiteral("^\\s*(\\w+)\\s*$"));
    static const QRegularExpression namedTable(QStringLiteral("(?:^\\s*|\\bJOIN\\s+)(\\w+)\\s+(\\w+)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch named = plainColumn.match(column);
    if (!named.hasMatch())
        return QString();
    QString table;
    if (named.captured(1).isEmpty()) {
        table = oneTable.match(from).captured(1);
    } else {
        for (QRegularExpressionMatchIterator it = namedTable.globalMatch(from); it.hasNext() && table.isEmpty();) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(2).compare(named.captured(1), Qt::CaseInsensitive) == 0)
                table = m.captured(1);
        }
    }
    if (table.isEmpty())
        return QString();
    const TableDefinition def = OrvTableDataMgr::getInstance()->definitionOfTable(table);
    const QList<int> keys = def.columns.primaryKeyCols();
    *key = named.captured(2);
    const bool textKey = keys.size() == 1 && def.columns.at(keys.first()).sqlName.compare(*key, Qt::CaseInsensitive) == 0
        && !def.columns.at(keys.first()).kind.isNumeric();
    return textKey ? table : QString();
}

// Whether the server compares the column's texts by their code points (a binary collation, or C):
// under another collation every rule ordered by it would be found out of order and run twice.
bool comparesCodePoints(const QString &table, const QString &column)
{
    const QSqlDatabase db = link();
    if (DbConnection::isSqlite(db))
        return true;
    const bool mySql = DbConnection::isMySql(db);
    if (!mySql && !DbConnection::isPostgres(db))
        return false;
    const QString sql = mySql
        ? QStringLiteral("SELECT COLLATION_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() "
                         "AND LOWER(TABLE_NAME) = LOWER(?) AND LOWER(COLUMN_NAME) = LOWER(?)")
        : QStringLiteral("SELECT COALESCE(c.collation_name, d.datcollate) FROM information_schema.columns c, pg_database d "
                         "WHERE d.datname = current_database() AND c.table_schema = current_schema() "
                         "AND c.table_name = LOWER(?) AND c.column_name = LOWER(?)");
    const DbRows rows = linkReader().rows(sql, {table, column});
    const QString collation = rows.ok() && rows.size() > 0 ? rows.text(0, 0) : QString();
    static const QStringList codePointOrders{QStringLiteral("C"), QStringLiteral("POSIX"), QStringLiteral("C.UTF-8"),
                                             QStringLiteral("C.utf8"), QStringLiteral("ucs_basic")};
    return mySql ? collation.endsWith(QLatin1String("_bin")) : codePointOrders.contains(collation);
}

// "SELECT columns FROM from [WHERE conditions joined by AND] [ORDER BY order]".
QString selectText(const QString &columns, const QString &from, const QStringList &conditions, const QString &order)
{
    return QStringLiteral("SELECT %1 FROM %2%3%4")
        .arg(columns, from, conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QLatin1String(" AND ")),
             order.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + order);
}

// One empty list per selected column, for read() to fill.
QList<QStringList> emptyColumns(int count)
{
    QList<QStringList> columns;
    for (int c = 0; c < count; ++c)
        columns.append(QStringList());
    return columns;
}

} // namespace

void RuleQuery::useConnection(const QString &name)
{
    t_connection = name;
}

void RuleQuery::allowKeyOrder(bool allowed)
{
    t_keyOrderAllowed = allowed;
    t_keyOrderFailed = false;
}

bool RuleQuery::keyOrderFailed()
{
    return t_keyOrderFailed;
}

QString text(const char *source)
{
    return QCoreApplication::translate("CfgCheckRules", source);
}

ST_CfgCheckError finding(const QString &tag, const QString &desc, const QString &reason)
{
    return ST_CfgCheckError{false, tag, desc, reason};
}

bool codePointLess(const QString &a, const QString &b)
{
    const int common = qMin(a.size(), b.size());
    for (int i = 0; i < common; ++i)
        if (a.at(i) != b.at(i))
            return codePointWeight(a.at(i).unicode()) < codePointWeight(b.at(i).unicode());
    return a.size() < b.size();
}

bool RuleQuery::read(const QString &sql, QList<QStringList> &columns)
{
    if (failed())
        return false;
    OrvDbDesign design = linkReader();
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

void RuleQuery::forEach(const QString &sql, const std::function<void(const Row &)> &visit)
{
    if (failed())
        return;
    const auto keyed = m_keyOrdered.constFind(sql);
    if (keyed == m_keyOrdered.constEnd()) {
        readRows(sql, visit);
        return;
    }
    // Once a key does not rise the rule's findings are wrong, and it runs again: the rest of the
    // rows go unvisited.
    QString previous;
    bool first = true;
    const auto checked = [&](const Row &row) {
        if (t_keyOrderFailed)
            return;
        if (!first && !codePointLess(previous, row.first())) {
            t_keyOrderFailed = true;
            return;
        }
        first = false;
        previous = row.first();
        visit(row);
    };
    if (keyed->chunked)
        forEachKeyChunk(sql, *keyed, checked);
    else
        readRows(sql, checked);
}

void RuleQuery::readRows(const QString &sql, const std::function<void(const Row &)> &visit)
{
    // Qt's per-cell variants would cost more than the rule itself.
    QString error;
    if (DbConnection::forEachTextRow(link(), sql, visit, &error)) {
        if (!error.isEmpty())
            fail(sql, error);
        return;
    }
    readAndVisit(sql, sql, {}, visit);
}

int RuleQuery::readAndVisit(const QString &sql, const QString &statement, const QVariantList &values,
                            const std::function<void(const Row &)> &visit)
{
    QSqlQuery query(link());
    query.setForwardOnly(true);
    OrvDbDesign reader = linkReader();
    if (!reader.select(DbConnection::withExactSubqueries(link(), statement), values, query)) {
        fail(sql, reader.lastError());
        return 0;
    }
    return visitRows(sql, query, visit);
}

void RuleQuery::forEachKeyChunk(const QString &sql, const KeyOrdered &keyed, const std::function<void(const Row &)> &visit)
{
    // MariaDB's driver holds a statement's whole answer: a table's rows come a chunk at a time
    // after the last key read, each chunk a range of the key's index.
    QString last;
    int read = FetchRows;
    for (bool first = true; read == FetchRows && !failed() && !t_keyOrderFailed; first = false) {
        QStringList conditions;
        if (!keyed.where.isEmpty())
            conditions.append(QLatin1Char('(') + keyed.where + QLatin1Char(')'));
        if (!first)
            conditions.append(keyed.key + QStringLiteral(" > ?"));
        const QString chunk = selectText(keyed.columns, keyed.from, conditions, keyed.key) + QStringLiteral(" LIMIT %1").arg(FetchRows);
        read = readAndVisit(sql, chunk, first ? QVariantList() : QVariantList{last}, [&](const Row &row) {
            last = row.first();
            visit(row);
        });
    }
}

int RuleQuery::visitRows(const QString &sql, QSqlQuery &query, const std::function<void(const Row &)> &visit)
{
    const int columns = query.record().count();
    int read = 0;
    Row row;
    for (int c = 0; c < columns; ++c)
        row.append(QString());
    RowStretchGuard watch(ResponseGuard::socketOf(link()), DbConnection::responseLimitSeconds());
    while (query.next()) {
        for (int c = 0; c < columns; ++c)
            row[c] = OrvDbDesign::cellText(query, c);
        visit(row);
        watch.rowRead();
        ++read;
    }
    // Rows that stop coming because the link broke are no answer.
    if (query.lastError().isValid())
        fail(sql, DbConnection::failureText(link(), watch.timedOut(), query.lastError()));
    query.finish();
    return read;
}

QString RuleQuery::sortedSelect(const QStringList &columns, const QString &from, const QString &where, int sortColumns)
{
    // A unique key orders the rows alone (a join that repeats it is found out like a wrong order).
    // Binary collations and C order text as code points; MariaDB's except where a control
    // character extends a key, and a value SQLite stored as a number would sort apart: forEach
    // finds either out.
    const QSqlDatabase db = link();
    const bool mySql = DbConnection::isMySql(db);
    QString key;
    const QString table = t_keyOrderAllowed && !columns.isEmpty() && sortColumns != 0 ? keyTable(from, columns.first(), &key) : QString();
    const bool byKey = !table.isEmpty() && comparesCodePoints(table, key);
    QStringList order;
    if (byKey)
        order.append(columns.first());
    else
        for (const QString &column : columns.mid(0, sortColumns))
            order.append(DbConnection::textOrder(db, column));
    const QString sql = selectText(columns.join(QLatin1Char(',')), from, where.isEmpty() ? QStringList() : QStringList{where},
                                   order.join(QLatin1Char(',')));
    // One table's unique key can be read in ranges (a join may repeat it), where the driver would
    // hold the whole answer.
    if (byKey)
        m_keyOrdered.insert(sql, {columns.join(QLatin1Char(',')), from, where, columns.first(),
                                  mySql && !from.contains(QLatin1String("JOIN"), Qt::CaseInsensitive)});
    return sql;
}

bool RuleQuery::isTextKey(const QString &table, const QString &column)
{
    QString key;
    return !keyTable(table, column, &key).isEmpty();
}

QString RuleQuery::concat(const QStringList &parts)
{
    return DbConnection::concat(link(), parts);
}

QString RuleQuery::sameText(const QString &a, const QString &b)
{
    return DbConnection::sameText(link(), a, b);
}

QString RuleQuery::isEmptyText(const QString &expression)
{
    return DbConnection::isEmptyText(link(), expression);
}

int RuleQuery::count(const QString &table)
{
    int rows = 0;
    forEach(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), [&rows](const Row &row) { rows = row.at(0).toInt(); });
    return rows;
}

void RuleQuery::forEachUnordered(const QString &table, const QStringList &columns, const QString &where,
                                 const std::function<void(const Row &)> &visit, const QString &rangeKey)
{
    const QString sql = selectText(columns.join(QLatin1Char(',')), table, where.isEmpty() ? QStringList() : QStringList{where}, QString());
    const QString key = rangeKey.isEmpty() ? columns.value(0) : rangeKey;
    // MariaDB's driver would hold every row: a table with a text key is read in ranges of it.
    if (!DbConnection::isMySql(link()) || key.isEmpty() || !isTextKey(table, key)) {
        readRows(sql, visit);
        return;
    }
    if (columns.value(0) == key) {
        forEachKeyChunk(sql, {columns.join(QLatin1Char(',')), table, where, key, true}, visit);
        return;
    }
    forEachKeyChunk(sql, {(QStringList{key} + columns).join(QLatin1Char(',')), table, where, key, true},
                    [&visit](const Row &row) { visit(row.mid(1)); });
}

QSet<QString> RuleQuery::keys(const QString &table, const QString &column)
{
    QSet<QString> keys;
    forEachUnordered(table, {column}, QString(), [&keys](const Row &row) { keys.insert(row.at(0)); });
    return failed() ? QSet<QString>() : keys;
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

bool RuleQuery::describedByKey(const QString &table, const QString &keyColumn, const QString &read)
{
    if (!isTextKey(table, keyColumn))
        return false;
    bool untagged = false;
    forEach(QStringLiteral("SELECT %1 FROM %2 WHERE %3 IS NULL LIMIT 1").arg(read.isEmpty() ? keyColumn : read, table, keyColumn),
            [&untagged](const Row &) { untagged = true; });
    return !untagged;
}

void RuleQuery::describe(const QString &table, const QString &keyColumn, const QString &descriptionColumn,
                         QList<ST_CfgCheckError> *findings)
{
    if (findings->isEmpty())
        return;
    QStringList tags;
    for (const ST_CfgCheckError &e : qAsConst(*findings))
        tags.append(e.strTagName);
    const QHash<QString, Row> rows = firstRows(table, keyColumn, {descriptionColumn}, tags);
    for (ST_CfgCheckError &e : *findings)
        e.strDesc = rows.value(e.strTagName).value(0);
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
