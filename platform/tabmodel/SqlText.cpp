#include "SqlText.h"

#include <functional>

namespace orv_sql {

QString escaped(const QString &value)
{
    // Most values hold no quote: they are shared, not copied.
    if (!value.contains(QLatin1Char('\'')))
        return value;
    QString text = value;
    return text.replace(QLatin1Char('\''), QLatin1String("''"));
}

void appendQuoted(QString *out, const QString &value)
{
    *out += QLatin1Char('\'');
    int from = 0;
    for (int quote = value.indexOf(QLatin1Char('\'')); quote >= 0; quote = value.indexOf(QLatin1Char('\''), from)) {
        out->append(value.constData() + from, quote + 1 - from);
        *out += QLatin1Char('\'');
        from = quote + 1;
    }
    out->append(value.constData() + from, value.size() - from);
    *out += QLatin1Char('\'');
}

QString quoted(const QString &value)
{
    QString out;
    out.reserve(value.size() + 2);
    appendQuoted(&out, value);
    return out;
}

QString quotedList(const QStringList &values)
{
    QStringList parts;
    parts.reserve(values.size());
    for (const QString &v : values)
        parts.append(quoted(v));
    return parts.join(QLatin1Char(','));
}

QString unescaped(const QString &text)
{
    QString value = text;
    return value.replace(QLatin1String("''"), QLatin1String("'"));
}

const QString &textOf(const QVariant &value, QString *buffer)
{
    if (value.userType() == QMetaType::QString)
        return *static_cast<const QString *>(value.constData());
    *buffer = value.toString();
    return *buffer;
}

QString likePattern(const QString &text)
{
    QString pattern;
    pattern.reserve(text.size() + 8);
    pattern += QLatin1Char('%');
    for (const QChar c : text) {
        if (c == QLatin1Char(LikeEscape) || c == QLatin1Char('%') || c == QLatin1Char('_'))
            pattern += QLatin1Char(LikeEscape);
        pattern += c;
    }
    pattern += QLatin1Char('%');
    return pattern;
}

namespace {

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Index just past the quoted text that starts at i (the opening quote); -1 when it never ends.
int skipQuoted(const QString &sql, int i, QChar quote, bool backslashEscapes)
{
    for (int j = i + 1; j < sql.size(); ++j) {
        const QChar c = sql.at(j);
        if (backslashEscapes && c == QLatin1Char('\\')) {
            ++j;
        } else if (c == quote) {
            if (j + 1 < sql.size() && sql.at(j + 1) == quote)
                ++j;
            else
                return j + 1;
        }
    }
    return -1;
}

// Comments and backquotes are read differently by the dialects; statements of the tool never hold them.
bool isAmbiguous(const QString &sql, int i)
{
    const QChar c = sql.at(i);
    if (c == QLatin1Char('#') || c == QLatin1Char('`'))
        return true;
    const QStringRef pair = sql.midRef(i, 2);
    return pair == QLatin1String("--") || pair == QLatin1String("/*");
}

// Hands stop each position of sql outside its quoted texts, in order, until it answers true;
// false when a quote never closes or a comment or backquote makes the text ambiguous.
bool scanUnquoted(const QString &sql, const std::function<bool(int)> &stop)
{
    for (int i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const bool eString = c == QLatin1Char('\'') && i > 0 && (sql.at(i - 1) == QLatin1Char('E') || sql.at(i - 1) == QLatin1Char('e'))
                && (i == 1 || !isIdentifierChar(sql.at(i - 2)));
            i = skipQuoted(sql, i, c, eString);
            if (i < 0)
                return false; // never closed: the server would not read it as we do
        } else if (isAmbiguous(sql, i)) {
            return false;
        } else if (stop(i)) {
            return true;
        } else {
            ++i;
        }
    }
    return true;
}

} // namespace

bool isSingleStatement(const QString &sql)
{
    bool single = true;
    return scanUnquoted(sql, [&](int i) {
               if (sql.at(i) != QLatin1Char(';'))
                   return false;
               single = sql.midRef(i + 1).trimmed().isEmpty();
               return true;
           })
        && single;
}

bool isOneCondition(const QString &condition)
{
    int depth = 0;
    bool broken = false;
    const bool readable = scanUnquoted(condition, [&](int i) {
        const QChar c = condition.at(i);
        depth += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
        broken = depth < 0 || c == QLatin1Char(';');
        return broken;
    });
    return readable && !broken && depth == 0;
}

} // namespace orv_sql
