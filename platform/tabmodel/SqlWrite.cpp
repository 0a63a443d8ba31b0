#include "SqlWrite.h"

#include "SqlText.h"

namespace {

// Reads the few token kinds the templates are made of; every read skips leading blanks.
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
        if (end == m_pos)
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

    bool quoted(QString *out)
    {
        skipBlanks();
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

    const QString &m_text;
    int m_pos = 0;
};

// "<column> = '<value>'"
bool assignment(Lexer &lex, QString *column, QString *value)
{
    return lex.name(column) && lex.symbol(QLatin1Char('=')) && lex.quoted(value);
}

void readTemplateUpdate(Lexer &lex, SqlWrite &w)
{
    QString column, value, keyColumn, key;
    if (lex.keyword("SET") && assignment(lex, &column, &value) && lex.keyword("WHERE")
        && assignment(lex, &keyColumn, &key) && lex.atEnd()) {
        w.columns = QStringList{column};
        w.newValues = QStringList{value};
        w.keyColumn = keyColumn;
        w.key = key;
    }
}

void readTemplateDelete(Lexer &lex, SqlWrite &w)
{
    QString keyColumn, key;
    if (lex.keyword("WHERE") && assignment(lex, &keyColumn, &key) && lex.atEnd()) {
        w.keyColumn = keyColumn;
        w.key = key;
    }
}

} // namespace

QString SqlWrite::kindName() const
{
    switch (kind) {
    case Update: return QStringLiteral("UPDATE");
    case Delete: return QStringLiteral("DELETE");
    case Insert: return QStringLiteral("INSERT");
    case Other: break;
    }
    return QStringLiteral("OTHER");
}

SqlWrite SqlWrite::fromText(const QString &sql)
{
    SqlWrite w;
    w.sql = sql;
    Lexer lex(sql);
    if (lex.keyword("UPDATE") && lex.name(&w.table)) {
        w.kind = Update;
        readTemplateUpdate(lex, w);
    } else if (Lexer del(sql); del.keyword("DELETE") && del.keyword("FROM") && del.name(&w.table)) {
        w.kind = Delete;
        readTemplateDelete(del, w);
    } else if (Lexer ins(sql); ins.keyword("INSERT") && ins.keyword("INTO") && ins.name(&w.table)) {
        w.kind = Insert;
    }
    return w;
}

QList<SqlWrite> SqlWrite::fromTexts(const QStringList &sqls)
{
    QList<SqlWrite> writes;
    writes.reserve(sqls.size());
    for (const QString &sql : sqls)
        writes.append(fromText(sql));
    return writes;
}
