#include "SqlWrite.h"

#include "SqlText.h"

#include <QCoreApplication>
#include <QStringBuilder>

namespace {

// Reads the few token kinds the accepted statements are made of; every read skips leading blanks.
class Lexer
{
public:
    explicit Lexer(const QString &text) : m_text(text) {}

    bool keyword(const char *word)
    {
        skipBlanks();
        const int n = int(qstrlen(word));
        if (m_text.midRef(m_pos, n).compare(QLatin1String(word), Qt::CaseInsensitive) != 0)
            return false;
        if (m_pos + n < m_text.size() && isNameChar(m_text.at(m_pos + n)))
            return false;
        m_pos += n;
        return true;
    }

    bool name(QString *out)
    {
        skipBlanks();
        int end = m_pos;
        while (end < m_text.size() && isNameChar(m_text.at(end)))
            ++end;
        if (end == m_pos || m_text.at(m_pos).isDigit())
            return false;
        *out = m_text.mid(m_pos, end - m_pos);
        m_pos = end;
        return true;
    }

    bool symbol(QChar c)
    {
        skipBlanks();
        if (m_pos >= m_text.size() || m_text.at(m_pos) != c)
            return false;
        ++m_pos;
        return true;
    }

    // A quoted text, a number or NULL (a null QVariant).
    bool literal(QVariant *out)
    {
        skipBlanks();
        if (keyword("NULL")) {
            *out = QVariant();
            return true;
        }
        return quoted(out) || number(out);
    }

    bool atEnd()
    {
        symbol(QLatin1Char(';'));
        skipBlanks();
        return m_pos == m_text.size();
    }

private:
    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool quoted(QVariant *out)
    {
        if (m_pos >= m_text.size() || m_text.at(m_pos) != QLatin1Char('\''))
            return false;
        for (int i = m_pos + 1; i < m_text.size(); ++i) {
            if (m_text.at(i) != QLatin1Char('\''))
                continue;
            if (i + 1 < m_text.size() && m_text.at(i + 1) == QLatin1Char('\'')) {
                ++i;
                continue;
            }
            *out = orv_sql::unescaped(m_text.mid(m_pos + 1, i - m_pos - 1));
            m_pos = i + 1;
            return true;
        }
        return false;
    }

    // [+-]digits[.digits][e[+-]digits], ending where no name character follows.
    bool number(QVariant *out)
    {
        int end = m_pos;
        const auto digits = [this, &end] {
            const int start = end;
            while (end < m_text.size() && m_text.at(end).isDigit() && m_text.at(end).unicode() < 128)
                ++end;
            return end > start;
        };
        const auto sign = [this, &end] {
            if (end < m_text.size() && (m_text.at(end) == QLatin1Char('-') || m_text.at(end) == QLatin1Char('+')))
                ++end;
        };
        sign();
        if (!digits())
            return false;
        if (end < m_text.size() && m_text.at(end) == QLatin1Char('.')) {
            ++end;
            digits();
        }
        if (end < m_text.size() && (m_text.at(end) == QLatin1Char('e') || m_text.at(end) == QLatin1Char('E'))) {
            ++end;
            sign();
            if (!digits())
                return false;
        }
        if (end < m_text.size() && isNameChar(m_text.at(end)))
            return false;
        *out = m_text.mid(m_pos, end - m_pos);
        m_pos = end;
        return true;
    }

    const QString &m_text;
    int m_pos = 0;
};

// "<column> = <literal>" or "<column> IS NULL", joined by AND.
bool conditions(Lexer &lex, QVector<SqlWrite::Condition> *out)
{
    do {
        SqlWrite::Condition c;
        if (!lex.name(&c.column))
            return false;
        if (lex.keyword("IS")) {
            if (!lex.keyword("NULL"))
                return false;
        } else if (!lex.symbol(QLatin1Char('=')) || !lex.literal(&c.value) || c.value.isNull()) {
            return false; // "= NULL" matches nothing: no write means that
        }
        out->append(c);
    } while (lex.keyword("AND"));
    return true;
}

// The first condition names the row; the others are what it must still hold.
void splitKey(QVector<SqlWrite::Condition> &all, SqlWrite &w)
{
    w.key = {all.first()};
    w.guards = all.mid(1);
}

bool readUpdate(Lexer &lex, SqlWrite &w)
{
    if (!lex.name(&w.table) || !lex.keyword("SET"))
        return false;
    do {
        SqlWrite::Cell cell;
        if (!lex.name(&cell.column) || !lex.symbol(QLatin1Char('=')) || !lex.literal(&cell.value))
            return false;
        w.cells.append(cell);
    } while (lex.symbol(QLatin1Char(',')));
    QVector<SqlWrite::Condition> all;
    if (!lex.keyword("WHERE") || !conditions(lex, &all))
        return false;
    splitKey(all, w);
    return true;
}

bool readDelete(Lexer &lex, SqlWrite &w)
{
    QVector<SqlWrite::Condition> all;
    if (!lex.keyword("FROM") || !lex.name(&w.table) || !lex.keyword("WHERE") || !conditions(lex, &all))
        return false;
    splitKey(all, w);
    return true;
}

bool readInsert(Lexer &lex, SqlWrite &w)
{
    if (!lex.keyword("INTO") || !lex.name(&w.table) || !lex.symbol(QLatin1Char('(')))
        return false;
    do {
        SqlWrite::Cell cell;
        if (!lex.name(&cell.column))
            return false;
        w.cells.append(cell);
    } while (lex.symbol(QLatin1Char(',')));
    if (!lex.symbol(QLatin1Char(')')) || !lex.keyword("VALUES") || !lex.symbol(QLatin1Char('(')))
        return false;
    for (int i = 0; i < w.cells.size(); ++i)
        if ((i > 0 && !lex.symbol(QLatin1Char(','))) || !lex.literal(&w.cells[i].value))
            return false;
    return lex.symbol(QLatin1Char(')'));
}

QString joined(const QVector<SqlWrite::Condition> &conditions, bool values)
{
    if (conditions.size() == 1)
        return values ? conditions.first().value.toString() : conditions.first().column;
    QStringList parts;
    for (const SqlWrite::Condition &c : conditions)
        parts.append(values ? c.value.toString() : c.column);
    return parts.join(QLatin1Char(','));
}

void appendConditions(const QVector<SqlWrite::Condition> &conditions, QStringList *where)
{
    for (const SqlWrite::Condition &c : conditions) {
        if (!c.value.isNull())
            where->append(c.column + QStringLiteral(" = ?"));
        else if (c.emptyTextToo)
            where->append(QStringLiteral("(%1 IS NULL OR %1 = '')").arg(c.column));
        else
            where->append(c.column + QStringLiteral(" IS NULL"));
    }
}

void appendConditionValues(const QVector<SqlWrite::Condition> &conditions, QVariantList *values)
{
    for (const SqlWrite::Condition &c : conditions)
        if (!c.value.isNull())
            values->append(c.value);
}

QString boundSql(const SqlWrite &w)
{
    QStringList where;
    appendConditions(w.key, &where);
    appendConditions(w.guards, &where);
    const QString condition = where.join(QLatin1String(" AND "));
    if (w.kind == SqlWrite::Delete)
        return QStringLiteral("DELETE FROM %1 WHERE %2").arg(w.table, condition);
    QStringList columns, marks;
    for (const SqlWrite::Cell &c : w.cells) {
        columns.append(w.kind == SqlWrite::Update ? c.column + QStringLiteral(" = ?") : c.column);
        marks.append(QStringLiteral("?"));
    }
    if (w.kind == SqlWrite::Insert)
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(w.table, columns.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(w.table, columns.join(QLatin1String(", ")), condition);
}

template <typename T>
const T &firstOf(const QVector<T> &items)
{
    static const T none;
    return items.isEmpty() ? none : items.first();
}

// Rendered for every row of a batch: in one allocation, its values read in place.
QString templateSql(const SqlWrite &w)
{
    const SqlWrite::Condition &key = firstOf(w.key);
    const SqlWrite::Cell &cell = firstOf(w.cells);
    QString keyBuffer, valueBuffer;
    const QString &keyValue = orv_sql::textOf(key.value, &keyBuffer);
    const QString &value = orv_sql::textOf(cell.value, &valueBuffer);
    QString sql;
    sql.reserve(48 + w.table.size() + key.column.size() + keyValue.size() + cell.column.size() + value.size());
    if (w.kind == SqlWrite::Delete) {
        sql += QLatin1String("delete from ") % w.table % QLatin1String(" where ") % key.column % QLatin1String(" = ");
    } else {
        sql += QLatin1String("UPDATE ") % w.table % QLatin1String(" SET ") % cell.column % QLatin1String(" = ");
        orv_sql::appendQuoted(&sql, value);
        sql += QLatin1String(" WHERE ") % key.column % QLatin1String(" = ");
    }
    orv_sql::appendQuoted(&sql, keyValue);
    sql += QLatin1Char(';');
    return sql;
}

} // namespace

SqlWrite SqlWrite::templateUpdate(const QString &table, const QString &keyColumn, const QString &key, const QString &column,
                                  const QString &value, const QVariant &old, bool oldKnown)
{
    SqlWrite w;
    w.kind = Update;
    w.form = Template;
    w.table = table;
    w.key = {{keyColumn, key}};
    // The template quotes every value: a null text is written as '' and must be checked and
    // recorded as that, not passed over as NULL.
    w.cells = {{column, value.isNull() ? QString(QLatin1String("")) : value, old, oldKnown}};
    return w;
}

SqlWrite SqlWrite::templateDelete(const QString &table, const QString &keyColumn, const QString &key)
{
    SqlWrite w;
    w.kind = Delete;
    w.form = Template;
    w.table = table;
    w.key = {{keyColumn, key}};
    return w;
}

SqlWrite SqlWrite::fromText(const QString &sql, QString *error)
{
    SqlWrite w;
    w.form = Given;
    w.givenText = sql;
    // A caller's own statement may mean many rows.
    w.mostRows = 0;
    Lexer lex(sql);
    bool read = false;
    if (lex.keyword("UPDATE")) {
        w.kind = Update;
        read = readUpdate(lex, w);
    } else if (lex.keyword("DELETE")) {
        w.kind = Delete;
        read = readDelete(lex, w);
    } else if (lex.keyword("INSERT")) {
        w.kind = Insert;
        read = readInsert(lex, w);
    }
    if (!read || !lex.atEnd()) {
        *error = QCoreApplication::translate("SqlWrite", "UPDATE 表 SET 列 = 值 WHERE 列 = 值 [AND ...]、"
                                                         "DELETE FROM 表 WHERE ... 或 INSERT INTO 表 (列, ...) VALUES (值, ...)，"
                                                         "值为引号中的文本、数字或 NULL");
        return SqlWrite();
    }
    error->clear();
    return w;
}

QString SqlWrite::sql() const
{
    switch (form) {
    case Given:
        return givenText;
    case Template:
        return templateSql(*this);
    case Bound:
        break;
    }
    return boundSql(*this);
}

QVariantList SqlWrite::boundValues() const
{
    QVariantList values;
    if (form != Bound)
        return values;
    for (const Cell &c : cells)
        values.append(c.value);
    // An insert has no WHERE: its key only names the row in messages and the audit trail.
    if (kind == Insert)
        return values;
    appendConditionValues(key, &values);
    appendConditionValues(guards, &values);
    return values;
}

QString SqlWrite::kindName() const
{
    switch (kind) {
    case Update: return QStringLiteral("UPDATE");
    case Delete: return QStringLiteral("DELETE");
    case Insert: break;
    }
    return QStringLiteral("INSERT");
}

QString SqlWrite::keyColumns() const
{
    return joined(key, false);
}

QString SqlWrite::keyValues() const
{
    return joined(key, true);
}
