#include "OrvTableModel.h"

#include "BackgroundRead.h"

#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "SqlText.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <iterator>

namespace {

// Separates the values of a key in its id: a character nobody types.
constexpr QChar kKeySeparator(0x1f);

// Counts the rows of the statement over a connection of its own; -1 and *error when it cannot,
// *linkDown when that was for want of the server.
qint64 countOver(const DbLinkParams &params, const SqlStatement &statement, QString *error, bool *linkDown)
{
    const DbRows result = OrvDbDesign::rowsApart(params, {statement}).value(0);
    *error = result.error;
    *linkDown = result.linkDown;
    return result.ok() ? result.text(0, 0).toLongLong() : -1;
}

// The cells of row in the key's columns.
QStringList keyCells(const QList<int> &keys, const QStringList &row)
{
    QStringList key;
    for (int k : keys)
        key.append(row.value(k));
    return key;
}

// Whether the cells' ASCII letters folded byte by byte (PostgreSQL's "C" collation) find what the
// database's own folding finds: so for ASCII alone, but for k and i, which the Kelvin sign and
// İ also fold to.
bool foldsAsAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 && !QStringLiteral("kKiI").contains(c);
    });
}

bool beyondBasicPlane(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

} // namespace

OrvTableModel::OrvTableModel(const TableDefinition &definition, const QString &condition, QObject *parent)
    : QAbstractTableModel(parent)
    , m_def(definition)
    , m_condition(condition)
    , m_countTimer(new QTimer(this))
{
    m_countTimer->setSingleShot(true);
    m_countTimer->setInterval(CountDelayMs);
    connect(m_countTimer, &QTimer::timeout, this, &OrvTableModel::startCounts);
}

bool OrvTableModel::load(bool)
{
    m_counting = false;
    m_edits.clear();
    m_failedKey.clear();
    reread(false);
    return m_lastError.isEmpty();
}

bool OrvTableModel::open()
{
    m_counting = true;
    m_edits.clear();
    m_failedKey.clear();
    reread(false);
    return m_lastError.isEmpty();
}

void OrvTableModel::reread(bool keepTotal)
{
    beginResetModel();
    // Another order or filter leaves the table as it is.
    requery(!m_counting, keepTotal ? m_total : -1);
    endResetModel();
    // Counted once the query has stood still a moment: a count may pass over every row, and
    // keystrokes come faster than that.
    if (m_counting && m_lastError.isEmpty() && (m_matching < 0 || m_total < 0))
        m_countTimer->start();
    emit countsChanged();
}

void OrvTableModel::startCounts()
{
    // One count at a time: the next starts when it has come in.
    if (m_countRunning)
        return;
    if (m_matching < 0)
        countLater(true);
    // Without a filter the one count is both.
    else if (m_total < 0 && isFiltered(m_shape))
        countLater(false);
}

void OrvTableModel::ensureLoaded() const
{
    if (!m_loaded)
        requery(true, -1);
}

void OrvTableModel::requery(bool counted, int knownTotal) const
{
    // What is read now is what was asked for last: a read still under way is no longer wanted.
    dropLaterRead();
    m_shape = m_wanted;
    forgetReads(knownTotal);
    if (!fetchWindow(0))
        return;
    const int first = settleFirstWindow();
    if (!counted) {
        estimateTotal(first);
    } else if (!countMissing()) {
        m_windows.clear();
        return;
    }
    m_rowCount = m_matching >= 0 ? m_matching : first;
}

SqlStatement OrvTableModel::countStatement(bool filteredCount) const
{
    const Query query = filtered(m_shape, filteredCount);
    return {QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(m_def.tableName, query.where), query.values};
}

bool OrvTableModel::countMissing() const
{
    for (bool filteredCount : {true, false}) {
        int &count = filteredCount ? m_matching : m_total;
        if (count >= 0)
            continue;
        const SqlStatement statement = countStatement(filteredCount);
        const DbRows rows = OrvDbDesign().rows(statement.sql, statement.values);
        if (!rows.ok()) {
            m_lastError = rows.error;
            return false;
        }
        count = rows.text(0, 0).toInt();
    }
    return true;
}

void OrvTableModel::forgetReads(int knownTotal) const
{
    dropWindowReads();
    m_staleWindows.clear();
    m_loaded = true;
    m_generation = OrvTableDataMgr::getInstance()->dataGeneration();
    ++m_ticket;
    m_windows.clear();
    m_windowUse.clear();
    m_lastError.clear();
    m_matching = -1;
    m_total = knownTotal;
    m_rowCount = 0;
}

void OrvTableModel::estimateTotal(int firstWindow) const
{
    if (m_total >= 0 || !m_condition.isEmpty())
        return;
    const int estimate = DbConnection::estimatedRows(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false),
                                                     m_def.tableName);
    // Statistics not yet gathered say 0 for a table full of rows.
    m_estimate = estimate >= firstWindow ? estimate : -1;
}

int OrvTableModel::settleFirstWindow() const
{
    const int first = m_windows.value(0).size();
    // A first window that is not full holds the whole answer.
    if (first < WindowRows)
        m_matching = first;
    if (m_total < 0 && m_matching >= 0 && !isFiltered(m_shape))
        m_total = m_matching;
    return first;
}

void OrvTableModel::dropLaterRead() const
{
    ++m_readTicket;
    m_reading = false;
    if (m_reader)
        m_reader->drop();
}

void OrvTableModel::readFirstWindowLater()
{
    if (!m_reader) {
        m_reader = new BackgroundRead(this);
        connect(m_reader, &BackgroundRead::arrived, this, &OrvTableModel::firstWindowArrived);
    }
    const WindowRead first = windowRead(m_wanted, 0);
    m_reading = true;
    m_reader->read(++m_readTicket, OrvTableDataMgr::getInstance()->linkParams(), first.sql, first.values);
    emit countsChanged();
}

void OrvTableModel::firstWindowArrived(quint64 ticket, const DbRows &rows)
{
    if (ticket != m_readTicket || !m_reading)
        return;
    m_reading = false;
    if (!rows.ok()) {
        // The rows shown stay; the status says why the new ones did not come.
        m_lastError = rows.error;
        emit countsChanged();
        return;
    }
    beginResetModel();
    m_shape = m_wanted;
    // Another order or filter leaves the table's count as it is.
    forgetReads(m_total);
    storeWindow(0, rows);
    const int first = settleFirstWindow();
    m_rowCount = m_matching >= 0 ? m_matching : first;
    endResetModel();
    if (m_matching < 0 || m_total < 0)
        m_countTimer->start();
    emit reshaped();
    emit countsChanged();
}

OrvTableModel::Query OrvTableModel::filtered(const Shape &shape, bool withFilter) const
{
    QStringList parts;
    Query query;
    if (!m_condition.isEmpty())
        parts.append(QLatin1Char('(') + m_condition + QLatin1Char(')'));
    if (withFilter && !shape.filterText.isEmpty()) {
        // Every column shown: a text in a column kept out of sight would leave rows in for no
        // cell the user sees.
        QList<int> searched = shape.filterColumn >= 0 ? QList<int>{shape.filterColumn} : m_def.columns.getShowCol(false);
        if (searched.isEmpty())
            searched = m_def.columns.getShowCol(true);
        QStringList columns;
        for (int col : qAsConst(searched))
            columns.append(shownText(col));
        parts.append(textMatch(columns, shape.filterText, &query.values));
    }
    if (withFilter) {
        for (const ColumnText &t : shape.columnTexts) {
            parts.append(containsText(shownText(t.column)));
            query.values.append(t.text);
        }
    }
    if (!parts.isEmpty())
        query.where = QStringLiteral(" WHERE ") + parts.join(QLatin1String(" AND "));
    return query;
}

bool OrvTableModel::isFiltered(const Shape &shape)
{
    return !shape.filterText.isEmpty() || !shape.columnTexts.isEmpty();
}

QString OrvTableModel::shownText(int col) const
{
    // A server writes a decimal with every digit of its scale (1.5000); the table shows the number
    // (1.5), as SQLite stores it.
    const ColMgrData &column = m_def.columns.at(col);
    if (column.kind.type() != ColumnKind::Decimal || column.kind.scale() == 0)
        return column.sqlName;
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (DbConnection::isPostgres(db))
        return QStringLiteral("CAST(%1 AS float8)").arg(column.sqlName);
    if (DbConnection::isMySql(db))
        return QStringLiteral("CAST(%1 AS DOUBLE)").arg(column.sqlName);
    return column.sqlName;
}

QString OrvTableModel::containsText(const QString &column)
{
    // Compared as bytes, or as the text of a number: letter case counts on every database.
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (DbConnection::isMySql(db))
        return QStringLiteral("LOCATE(CAST(? AS BINARY), CAST(%1 AS BINARY)) > 0").arg(column);
    if (DbConnection::isPostgres(db))
        return QStringLiteral("STRPOS(CAST(%1 AS TEXT), ?) > 0").arg(column);
    return QStringLiteral("INSTR(%1, ?) > 0").arg(column);
}

QString OrvTableModel::textMatch(const QStringList &columns, const QString &text, QVariantList *values) const
{
    // A filter keystroke may have to pass over every row: each database is asked the way it
    // answers fastest. Letter case is ignored the database's way; a text never matches across
    // two cells.
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    const bool joinsCells = DbConnection::isPostgres(db) || DbConnection::isMySql(db);
    const QChar separator(0x1f);
    // The servers match the cells joined by a separator: a text holding it is matched cell by cell.
    if (joinsCells && columns.size() > 1 && text.contains(separator)) {
        QStringList cells;
        for (const QString &column : columns)
            cells.append(textMatch({column}, text, values));
        return QLatin1Char('(') + cells.join(QLatin1String(" OR ")) + QLatin1Char(')');
    }
    const QString joined = QStringLiteral("CONCAT_WS('%1', %2)").arg(separator, columns.join(QLatin1String(", ")));
    const QString escape = QStringLiteral(" ESCAPE '%1'").arg(QLatin1Char(orv_sql::LikeEscape));
    if (DbConnection::isPostgres(db)) {
        // Not ILIKE: its estimate of few matches makes the planner sort the whole table before
        // the first rows come, where a walk in key order stops at the first window. ASCII letters
        // folded byte by byte cost half of folding every character.
        values->append(text);
        return QStringLiteral("strpos(lower(%1%2), lower(?)) > 0").arg(joined, foldsAsAscii(text) ? QStringLiteral(" COLLATE \"C\"") : QString());
    }
    const QString pattern = orv_sql::likePattern(text);
    if (DbConnection::isMySql(db)) {
        // general_ci weighs all characters beyond the basic plane alike: any emoji would match another.
        values->append(pattern);
        return QStringLiteral("%1 COLLATE %2 LIKE ?%3")
            .arg(joined, beyondBasicPlane(text) ? QStringLiteral("utf8mb4_unicode_520_ci") : QStringLiteral("utf8mb4_general_ci"), escape);
    }
    // SQLite: one LIKE per cell (its LIKE ignores the case of Latin letters), cheaper than a LIKE
    // over the cells joined, which copies every row.
    QStringList cells;
    for (const QString &column : columns) {
        cells.append(QStringLiteral("%1 LIKE ?%2").arg(column, escape));
        values->append(pattern);
    }
    return QLatin1Char('(') + cells.join(QLatin1String(" OR ")) + QLatin1Char(')');
}

bool OrvTableModel::keysetOrder(const Shape &shape) const
{
    const QList<int> keys = m_def.columns.primaryKeyCols();
    return !keys.isEmpty() && (shape.sortColumn < 0 || (keys.size() == 1 && shape.sortColumn == keys.first()));
}

QString OrvTableModel::orderBy(const Shape &shape, bool reversed) const
{
    const QList<int> keys = m_def.columns.primaryKeyCols();
    const bool descending = shape.sortOrder == Qt::DescendingOrder && shape.sortColumn >= 0;
    // Each database sorts NULL to one end and DESC to the other: a reversed term reads the same
    // rows backwards.
    const auto term = [reversed](const QString &column, bool down) {
        return down != reversed ? column + QStringLiteral(" DESC") : column;
    };
    QStringList terms;
    if (shape.sortColumn >= 0 && !keysetOrder(shape))
        terms.append(term(m_def.columns.at(shape.sortColumn).sqlName, descending));
    // The key last, so that rows of equal cells come in one order on every database.
    const bool keyDescending = descending && keysetOrder(shape);
    for (int k : keys)
        terms.append(term(m_def.columns.at(k).sqlName, keyDescending));
    if (terms.isEmpty())
        terms.append(term(m_def.columns.first().sqlName, false));
    return QStringLiteral(" ORDER BY ") + terms.join(QLatin1Char(','));
}

OrvTableModel::WindowRead OrvTableModel::windowRead(const Shape &shape, int window) const
{
    Query query = filtered(shape, true);
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(m_def.columns.getSqlName().join(QLatin1Char(',')), m_def.tableName);
    const auto previous = m_windows.constFind(window - 1);
    // In key order the next window starts after the last key read: no rows to skip over.
    const bool afterKey = window > 0 && keysetOrder(shape) && previous != m_windows.constEnd() && previous->size() == WindowRows;
    if (afterKey) {
        const QList<int> keys = m_def.columns.primaryKeyCols();
        QStringList names, marks;
        for (int k : keys) {
            names.append(m_def.columns.at(k).sqlName);
            marks.append(QStringLiteral("?"));
            query.values.append(previous->last().at(k));
        }
        const bool descending = shape.sortColumn >= 0 && shape.sortOrder == Qt::DescendingOrder;
        const QString condition = keys.size() == 1
            ? QStringLiteral("%1 %2 ?").arg(names.first(), descending ? QStringLiteral("<") : QStringLiteral(">"))
            : QStringLiteral("(%1) > (%2)").arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        query.where += (query.where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + condition;
    }
    const qint64 first = qint64(window) * WindowRows;
    // No database skips a million rows fast: a window in the last half of a counted table is
    // read from its end (a jump to the last rows reads no more than they are).
    const bool fromEnd = !afterKey && window > 0 && m_matching > 0 && first >= m_matching / 2 && first < m_matching;
    if (fromEnd) {
        const qint64 last = qMin(first + WindowRows, qint64(m_matching)) - 1;
        sql += query.where + orderBy(shape, true) + QStringLiteral(" LIMIT %1").arg(last - first + 1);
        if (last < m_matching - 1)
            sql += QStringLiteral(" OFFSET %1").arg(m_matching - 1 - last);
    } else {
        sql += query.where + orderBy(shape) + QStringLiteral(" LIMIT %1").arg(WindowRows);
        if (!afterKey && window > 0)
            sql += QStringLiteral(" OFFSET %1").arg(first);
    }
    return {sql, query.values, fromEnd};
}

bool OrvTableModel::fetchWindow(int window) const
{
    const WindowRead read = windowRead(m_shape, window);
    const DbRows rows = OrvDbDesign().rows(read.sql, read.values);
    if (!rows.ok()) {
        m_lastError = rows.error;
        return false;
    }
    storeWindow(window, rows, read.fromEnd);
    return true;
}

void OrvTableModel::storeWindow(int window, const DbRows &rows, bool fromEnd) const
{
    QVector<QStringList> texts;
    texts.reserve(rows.size());
    const int cols = m_def.columns.size();
    for (int i = 0; i < rows.size(); ++i) {
        const int r = fromEnd ? rows.size() - 1 - i : i;
        QStringList row;
        row.reserve(cols);
        for (int c = 0; c < cols; ++c)
            row.append(rows.text(r, c));
        texts.append(row);
    }
    // Only a few windows are kept: a table of millions of rows is never held whole.
    if (m_windows.size() >= CachedWindows) {
        auto oldest = std::min_element(m_windowUse.constBegin(), m_windowUse.constEnd());
        m_windows.remove(oldest.key());
        m_windowUse.remove(oldest.key());
    }
    m_windows.insert(window, texts);
    m_windowUse.insert(window, ++m_useClock);
    m_staleWindows.remove(window);
}

const QStringList *OrvTableModel::storedRow(int row) const
{
    ensureLoaded();
    if (row < 0 || row >= m_rowCount)
        return nullptr;
    const int window = row / WindowRows;
    if (!m_windows.contains(window)) {
        // Not asked again until the rows are read anew: a view asks for every cell, and each
        // would wait again for a server that does not answer.
        if (m_unreadable.contains(window))
            return nullptr;
        if (!fetchWindow(window)) {
            m_unreadable.insert(window);
            return nullptr;
        }
    }
    m_windowUse[window] = ++m_useClock;
    const QVector<QStringList> &rows = m_windows[window];
    const int index = row % WindowRows;
    return index < rows.size() ? &rows.at(index) : nullptr;
}

bool OrvTableModel::awaitsRead(int row) const
{
    return m_counting && m_loaded && row >= 0 && row < m_rowCount && !m_windows.contains(row / WindowRows);
}

const QStringList *OrvTableModel::shownRow(int row) const
{
    if (!awaitsRead(row))
        return storedRow(row);
    const int window = row / WindowRows;
    readWindowLater(window);
    const auto stale = m_staleWindows.constFind(window);
    const int index = row % WindowRows;
    return stale != m_staleWindows.constEnd() && index < stale->size() ? &stale->at(index) : nullptr;
}

void OrvTableModel::readWindowLater(int window) const
{
    if (m_unreadable.contains(window))
        return;
    if (m_windowReading >= 0) {
        if (m_windowReading != window)
            m_windowNext = window;
        return;
    }
    if (!m_windowReader) {
        auto *self = const_cast<OrvTableModel *>(this);
        m_windowReader = new BackgroundRead(self);
        connect(m_windowReader, &BackgroundRead::arrived, self, &OrvTableModel::windowArrived);
    }
    const WindowRead read = windowRead(m_shape, window);
    m_windowReading = window;
    m_windowFromEnd = read.fromEnd;
    m_windowReader->read(++m_windowTicket, OrvTableDataMgr::getInstance()->linkParams(), read.sql, read.values);
}

void OrvTableModel::windowArrived(quint64 ticket, const DbRows &rows)
{
    if (ticket != m_windowTicket || m_windowReading < 0)
        return;
    const int window = m_windowReading;
    m_windowReading = -1;
    if (rows.ok()) {
        storeWindow(window, rows, m_windowFromEnd);
        const int first = window * WindowRows;
        const int last = qMin(first + WindowRows, m_rowCount) - 1;
        if (first == m_rowCount && canFetchMore(QModelIndex()))
            appendWindow(window); // asked for by fetchMore()
        else if (last >= first)
            emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
    } else {
        // Said in the status line; asked again when the rows are read anew (刷新).
        m_unreadable.insert(window);
        m_lastError = rows.error;
        emit countsChanged();
    }
    const int next = m_windowNext;
    m_windowNext = -1;
    if (next >= 0 && !m_windows.contains(next))
        readWindowLater(next);
}

void OrvTableModel::dropWindowReads() const
{
    m_windowReading = -1;
    m_windowNext = -1;
    m_unreadable.clear();
    if (m_windowReader)
        m_windowReader->drop();
}

void OrvTableModel::countLater(bool filteredCount)
{
    const SqlStatement statement = countStatement(filteredCount);
    const DbLinkParams params = OrvTableDataMgr::getInstance()->linkParams();
    const quint64 ticket = m_ticket;
    QPointer<OrvTableModel> self(this);
    m_countRunning = true;
    QThreadPool::globalInstance()->start([self, params, statement, ticket, filteredCount] {
        QString error;
        bool linkDown = false;
        const qint64 rows = countOver(params, statement, &error, &linkDown);
        // Handed over on the GUI thread, where the model may have gone meanwhile.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, ticket, filteredCount, rows, error, linkDown] {
            if (self)
                self->countArrived(ticket, filteredCount, rows, error, linkDown);
        }, Qt::QueuedConnection);
    });
}

void OrvTableModel::countArrived(quint64 ticket, bool filteredCount, qint64 rows, const QString &error, bool linkDown)
{
    m_countRunning = false;
    if (ticket != m_ticket) {
        m_countRetries = 0;
        startCounts();
        return;
    }
    // A server that restarts is back within moments: the count is asked again a few times before
    // its failure is said, rather than standing until the table is read anew.
    if (!error.isEmpty() && linkDown && m_countRetries < CountRetries) {
        ++m_countRetries;
        QTimer::singleShot(CountRetryMs, this, [this, ticket] {
            if (ticket == m_ticket)
                startCounts();
        });
        return;
    }
    m_countRetries = 0;
    if (!error.isEmpty()) {
        m_lastError = error;
    } else if (filteredCount) {
        m_matching = int(rows);
        if (!isFiltered(m_shape))
            m_total = m_matching;
        growTo(m_matching);
    } else {
        m_total = int(rows);
    }
    if (error.isEmpty())
        startCounts();
    emit countsChanged();
}

void OrvTableModel::growTo(int rows)
{
    if (rows > m_rowCount) {
        beginInsertRows(QModelIndex(), m_rowCount, rows - 1);
        m_rowCount = rows;
        endInsertRows();
    } else if (rows < m_rowCount) {
        beginRemoveRows(QModelIndex(), rows, m_rowCount - 1);
        m_rowCount = rows;
        endRemoveRows();
    }
}

bool OrvTableModel::countNow()
{
    if (!m_loaded) {
        ensureLoaded();
        return m_lastError.isEmpty();
    }
    const bool matchingKnown = m_matching >= 0;
    const bool counted = countMissing();
    if (!matchingKnown && m_matching >= 0)
        growTo(m_matching);
    if (!counted)
        return false;
    // Counts still under way belong to this query too: the first answer stands.
    ++m_ticket;
    emit countsChanged();
    return true;
}

void OrvTableModel::sort(int column, Qt::SortOrder order)
{
    if (column >= m_def.columns.size())
        return;
    Shape wanted = m_wanted;
    wanted.sortColumn = column;
    wanted.sortOrder = order;
    reshape(wanted);
}

void OrvTableModel::setFilter(const QString &text, int column)
{
    if (text == m_wanted.filterText && column == m_wanted.filterColumn)
        return;
    Shape wanted = m_wanted;
    wanted.filterText = text;
    wanted.filterColumn = column;
    reshape(wanted);
}

void OrvTableModel::reshape(const Shape &wanted)
{
    m_wanted = wanted;
    if (!m_loaded) {
        m_shape = wanted;
        return;
    }
    // The edits stay: only what is read changes. A table on screen keeps its rows until the new
    // ones come: a filter may pass over every row, and keystrokes come faster than that.
    if (m_counting) {
        readFirstWindowLater();
    } else {
        reread(true);
        emit reshaped();
    }
}

void OrvTableModel::setColumnTexts(const QVector<ColumnText> &texts)
{
    // Only texts that leave rows out count: emptied fields are no reason to read again.
    QVector<ColumnText> effective;
    std::copy_if(texts.begin(), texts.end(), std::back_inserter(effective), [this](const ColumnText &t) {
        return !t.text.isEmpty() && t.column >= 0 && t.column < m_def.columns.size();
    });
    const QVector<ColumnText> &now = m_wanted.columnTexts;
    const bool same = effective.size() == now.size()
        && std::equal(effective.begin(), effective.end(), now.begin(), [](const ColumnText &a, const ColumnText &b) {
               return a.column == b.column && a.text == b.text;
           });
    if (same)
        return;
    Shape wanted = m_wanted;
    wanted.columnTexts = effective;
    reshape(wanted);
}

SqlStatement OrvTableModel::rowsStatement(int first, int count, const QList<int> &columns) const
{
    const Query query = filtered(m_shape, true);
    QStringList names;
    for (int c : columns)
        names.append(m_def.columns.at(c).sqlName);
    QString sql = QStringLiteral("SELECT %1 FROM %2%3%4 LIMIT %5")
                      .arg(names.join(QLatin1Char(',')), m_def.tableName, query.where, orderBy(m_shape))
                      .arg(count);
    if (first > 0)
        sql += QStringLiteral(" OFFSET %1").arg(first);
    return {sql, query.values};
}

QStringList OrvTableModel::heldRow(int row) const
{
    const auto window = m_windows.constFind(row / WindowRows);
    return window != m_windows.constEnd() ? window->value(row % WindowRows) : QStringList();
}

void OrvTableModel::rereadInPlace()
{
    const int awaited[] = {m_windowReading, m_windowNext};
    dropWindowReads();
    // A table on screen keeps showing the rows of before until they come again, rather than
    // blank rows: on screen they are read off the GUI thread.
    if (m_counting) {
        QHash<int, QVector<QStringList>> stale = m_windows;
        // Rows a view still waits for stand too: another write may come before they do.
        for (int window : awaited)
            if (window >= 0 && !stale.contains(window) && m_staleWindows.contains(window))
                stale.insert(window, m_staleWindows.value(window));
        m_staleWindows = stale;
    }
    m_windows.clear();
    m_windowUse.clear();
    m_generation = OrvTableDataMgr::getInstance()->dataGeneration();
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
}

QString OrvTableModel::shownRowsStatement(QVariantList *values) const
{
    // The order and filter last asked for, as the header and the filter box show them, though
    // their first rows may still be on their way.
    const Query query = filtered(m_wanted, true);
    *values = query.values;
    return QStringLiteral("SELECT %1 FROM %2").arg(m_def.columns.getSqlName().join(QLatin1Char(',')), m_def.tableName) + query.where
        + orderBy(m_wanted);
}

std::function<QStringList(const QStringList &)> OrvTableModel::editedRows() const
{
    const QHash<QString, RowEdit> edits = m_edits;
    const QList<int> keys = m_def.columns.primaryKeyCols();
    return [edits, keys](const QStringList &stored) {
        return edits.isEmpty() ? stored : withEdit(edits, keyCells(keys, stored).join(kKeySeparator), stored);
    };
}

bool OrvTableModel::canFetchMore(const QModelIndex &parent) const
{
    // Until counted, the rows come a window at a time as the view scrolls down.
    return !parent.isValid() && m_loaded && m_matching < 0 && m_rowCount > 0 && m_rowCount % WindowRows == 0;
}

void OrvTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const int window = m_rowCount / WindowRows;
    // A view's scroll to the end never waits for the server: the rows come when read.
    if (m_counting)
        readWindowLater(window);
    else if (fetchWindow(window))
        appendWindow(window);
}

void OrvTableModel::appendWindow(int window)
{
    const int read = m_windows.value(window).size();
    if (read < WindowRows)
        m_matching = m_rowCount + read;
    if (read > 0)
        growTo(m_rowCount + read);
    if (m_matching >= 0)
        emit countsChanged();
}

QStringList OrvTableModel::findRow(const QMap<QString, QString> &values)
{
    Query query = filtered(m_shape, false);
    QStringList conditions;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const int col = findCol(it.key());
        if (col < 0)
            return QStringList();
        conditions.append(m_def.columns.at(col).sqlName + QStringLiteral(" = ?"));
        query.values.append(it.value());
    }
    if (!conditions.isEmpty())
        query.where += (query.where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + conditions.join(QLatin1String(" AND "));
    const DbRows rows = OrvDbDesign().rows(QStringLiteral("SELECT %1 FROM %2%3%4 LIMIT 1")
                                               .arg(m_def.columns.getSqlName().join(QLatin1Char(',')), m_def.tableName, query.where,
                                                    orderBy(m_shape)),
                                           query.values);
    QStringList row;
    if (!rows.ok()) {
        m_lastError = rows.error;
        return row;
    }
    for (int c = 0; rows.size() > 0 && c < m_def.columns.size(); ++c)
        row.append(rows.text(0, c));
    return row;
}

QString OrvTableModel::keyId(const QStringList &row) const
{
    return keyOf(row).join(kKeySeparator);
}

QStringList OrvTableModel::keyOf(const QStringList &row) const
{
    return keyCells(m_def.columns.primaryKeyCols(), row);
}

QStringList OrvTableModel::currentRow(int row) const
{
    const QStringList *stored = storedRow(row);
    if (!stored)
        return QStringList();
    return m_edits.isEmpty() ? *stored : withEdit(m_edits, keyId(*stored), *stored);
}

QStringList OrvTableModel::withEdit(const QHash<QString, RowEdit> &edits, const QString &id, QStringList cells)
{
    const auto edit = edits.constFind(id);
    if (edit != edits.constEnd())
        for (auto it = edit->current.constBegin(); it != edit->current.constEnd(); ++it)
            cells[it.key()] = it.value();
    return cells;
}

QStringList OrvTableModel::getRowData(int row)
{
    return currentRow(row);
}

int OrvTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    ensureLoaded();
    return m_rowCount;
}

int OrvTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_def.columns.size();
}

QVariant OrvTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const QStringList *stored = role == Qt::DisplayRole ? shownRow(index.row()) : storedRow(index.row());
    if (!stored)
        return QVariant();
    QString text = stored->at(index.column());
    if (!m_edits.isEmpty()) {
        const auto edit = m_edits.constFind(keyId(*stored));
        if (edit != m_edits.constEnd())
            text = edit->current.value(index.column(), text);
    }
    if (text.isNull()) // NULL
        return QVariant();
    if (role == Qt::EditRole)
        return text;
    // Numbers come back as numbers so that views show them as such.
    return m_def.columns.at(index.column()).kind.displayValue(text);
}

QVariant OrvTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return m_def.columns.at(section).description;
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString OrvTableModel::editRefusal(int column) const
{
    if (column < 0 || column >= m_def.columns.size())
        return tr("没有这一列");
    const OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    if (mgr->right() == OrvTableDataMgr::RIGHT_READONLY)
        return tr("当前用户没有修改权限");
    const ColMgrData &col = m_def.columns.at(column);
    // Edits are kept and saved by the row's key.
    if (m_def.columns.primaryKeyCols().isEmpty())
        return tr("表 %1 没有主键，无法保存修改").arg(m_def.tableName);
    if (!col.editable)
        return tr("该列不可编辑");
    if (col.primaryKey && !mgr->isPrimaryEditable())
        return tr("该列是主键,不可编辑");
    return QString();
}

Qt::ItemFlags OrvTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editRefusal(index.column()).isEmpty())
        f |= Qt::ItemIsEditable;
    return f;
}

QString OrvTableModel::valueRefusal(int column, const QString &value) const
{
    if (column < 0 || column >= m_def.columns.size())
        return tr("没有这一列");
    const ColMgrData &descriptor = m_def.columns.at(column);
    return savedAsNull(descriptor, value) ? QString() : descriptor.refusal(value);
}

bool OrvTableModel::savedAsNull(const ColMgrData &column, const QString &value)
{
    // An emptied number cell holds no number.
    return value.isEmpty() && column.kind.isNumeric();
}

bool OrvTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() >= columnCount())
        return false;
    const QStringList *stored = storedRow(index.row());
    if (!stored)
        return false;
    const int col = index.column();
    const QString id = keyId(*stored);
    const QString text = value.toString();
    const auto existing = m_edits.constFind(id);
    const QString now = existing != m_edits.constEnd() ? existing->current.value(col, stored->at(col)) : stored->at(col);
    if (now == text)
        return true;
    // Back to what the database holds takes the edit back: that value needs no check, and an
    // empty number cell (NULL) would fail one.
    const bool takenBack = existing != m_edits.constEnd() && existing->stored.contains(col) && existing->stored.value(col) == text;
    QString refusal = editRefusal(col);
    if (refusal.isEmpty() && !takenBack)
        refusal = valueRefusal(col, text);
    if (!refusal.isEmpty()) {
        emit editRefused(refusal);
        return false;
    }
    RowEdit &edit = m_edits[id];
    if (edit.key.isEmpty())
        edit.key = keyOf(*stored);
    if (!edit.stored.contains(col))
        edit.stored.insert(col, stored->at(col));
    edit.current.insert(col, text);
    if (edit.stored.value(col) == text) { // back to what is stored: no longer an edit
        edit.stored.remove(col);
        edit.current.remove(col);
        if (edit.stored.isEmpty())
            m_edits.remove(id);
    }
    if (id == m_failedKey && col == m_failedColumn)
        m_failedKey.clear();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QString OrvTableModel::rowId(int row) const
{
    const QStringList *stored = storedRow(row);
    return stored ? keyId(*stored) : QString();
}

int OrvTableModel::rowOfKey(const QString &id) const
{
    for (auto it = m_windows.constBegin(); it != m_windows.constEnd(); ++it)
        for (int r = 0; r < it->size(); ++r)
            if (keyId(it->at(r)) == id)
                return it.key() * WindowRows + r;
    return -1;
}

bool OrvTableModel::isEdited(int row, int column) const
{
    const QStringList *stored = m_edits.isEmpty() ? nullptr : storedRow(row);
    return stored && m_edits.value(keyId(*stored)).stored.contains(column);
}

bool OrvTableModel::isShownEdited(int row, int column, QString *stored, bool *failed) const
{
    const QStringList *shown = m_edits.isEmpty() ? nullptr : shownRow(row);
    const QString id = shown ? keyId(*shown) : QString();
    if (!shown || !m_edits.value(id).stored.contains(column))
        return false;
    *stored = shown->value(column);
    *failed = !m_failedKey.isEmpty() && id == m_failedKey && column == m_failedColumn;
    return true;
}

QList<SqlWrite> OrvTableModel::pendingWrites() const
{
    // One statement per edited row, found by the key it has in the database, so that key edits
    // and other edits of the same row cannot miss each other; rows in key order.
    QStringList ids = m_edits.keys();
    std::sort(ids.begin(), ids.end());
    const QList<int> keys = m_def.columns.primaryKeyCols();
    QList<SqlWrite> writes;
    for (const QString &id : ids) {
        const RowEdit &edit = m_edits.value(id);
        SqlWrite w;
        w.kind = SqlWrite::Update;
        w.form = SqlWrite::Bound;
        w.table = m_def.tableName;
        for (auto it = edit.current.constBegin(); it != edit.current.constEnd(); ++it) {
            const ColMgrData &column = m_def.columns.at(it.key());
            w.cells.append({column.sqlName, savedAsNull(column, *it) ? QVariant() : QVariant(*it), edit.stored.value(it.key()), true});
        }
        for (int i = 0; i < keys.size(); ++i)
            w.key.append({m_def.columns.at(keys.at(i)).sqlName, edit.key.value(i)});
        // Only over the values that were read: a value another session stored meanwhile is not
        // overwritten unseen, the save finds no row and fails. An empty cell was read from NULL,
        // or for a text column perhaps from ''.
        for (auto it = edit.stored.constBegin(); it != edit.stored.constEnd(); ++it) {
            const ColMgrData &column = m_def.columns.at(it.key());
            if (!column.primaryKey)
                w.guards.append({column.sqlName, it->isEmpty() ? QVariant() : QVariant(*it), !column.kind.isNumeric()});
        }
        writes.append(w);
    }
    return writes;
}

QString OrvTableModel::saveChanges(const WriteRunner &run)
{
    m_failedKey.clear();
    if (m_edits.isEmpty())
        return QString();
    if (m_def.columns.primaryKeyCols().isEmpty())
        return tr("表 %1 没有主键，无法保存修改").arg(m_def.tableName);
    const QList<SqlWrite> writes = pendingWrites();
    return finishSave(run ? run(writes) : OrvTableDataMgr::getInstance()->executeWrites(writes));
}

QString OrvTableModel::finishSave(const DbConnection::BatchResult &result)
{
    m_failedKey.clear();
    if (!result.error.isEmpty()) {
        // The edits stay: the user mends the cell that was refused and saves again.
        QStringList ids = m_edits.keys();
        std::sort(ids.begin(), ids.end());
        if (result.failedIndex >= 0 && result.failedIndex < ids.size()) {
            m_failedKey = ids.at(result.failedIndex);
            const RowEdit &edit = m_edits.value(m_failedKey);
            const int named = result.failedColumn.isEmpty() ? -1 : findCol(result.failedColumn);
            m_failedColumn = named >= 0 ? named : edit.current.firstKey();
            const int row = rowOfKey(m_failedKey);
            if (row >= 0)
                emit dataChanged(index(row, m_failedColumn), index(row, m_failedColumn));
        }
        return result.error;
    }
    // What was saved is what the database now holds: read it again, in the same order. Rows an
    // edit cannot have moved stay where they are, and the view with them.
    const bool inPlace = editsKeepPlaces();
    // Until read again the rows show what was saved, not the values it replaced: also when
    // that read fails.
    if (inPlace) {
        for (QHash<int, QVector<QStringList>> *windows : {&m_windows, &m_staleWindows})
            for (QVector<QStringList> &rows : *windows)
                for (QStringList &row : rows)
                    row = withEdit(m_edits, keyId(row), row);
    }
    m_edits.clear();
    if (inPlace)
        rereadInPlace();
    else
        reread(false);
    m_generation = OrvTableDataMgr::getInstance()->dataGeneration();
    return QString();
}

bool OrvTableModel::editsKeepPlaces() const
{
    const QList<int> keys = m_def.columns.primaryKeyCols();
    for (const RowEdit &edit : m_edits)
        for (auto it = edit.current.constBegin(); it != edit.current.constEnd(); ++it)
            if (it.key() == m_shape.sortColumn || keys.contains(it.key()) || rowsDependOn(it.key()))
                return false;
    return true;
}

bool OrvTableModel::rowsDependOn(int column) const
{
    if (column < 0 || column >= m_def.columns.size())
        return false;
    if (!m_shape.filterText.isEmpty() && (m_shape.filterColumn < 0 || m_shape.filterColumn == column))
        return true;
    if (std::any_of(m_shape.columnTexts.begin(), m_shape.columnTexts.end(),
                    [column](const ColumnText &t) { return t.column == column && !t.text.isEmpty(); }))
        return true;
    // The condition is SQL text: a name found in a quoted value too only costs a read.
    const QRegularExpression named(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(m_def.columns.at(column).sqlName)),
                                   QRegularExpression::CaseInsensitiveOption);
    return m_condition.contains(named);
}

QPair<int, int> OrvTableModel::failedCell() const
{
    const int row = m_failedKey.isEmpty() ? -1 : rowOfKey(m_failedKey);
    return row >= 0 ? qMakePair(row, m_failedColumn) : qMakePair(-1, -1);
}

void OrvTableModel::revertChanges()
{
    m_failedKey.clear();
    if (m_edits.isEmpty())
        return;
    m_edits.clear();
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
}
