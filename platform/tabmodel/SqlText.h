#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace orv_sql {

// A value to be placed between single quotes in an SQL text: its quotes are doubled.
QString escaped(const QString &value);
// Appends the value escaped, enclosed in single quotes.
void appendQuoted(QString *out, const QString &value);
// The value escaped and enclosed in single quotes.
QString quoted(const QString &value);
// Values quoted and joined by "," (for IN lists).
QString quotedList(const QStringList &values);
// A value quoted single quotes doubled back to the value ("it''s" -> "it's").
QString unescaped(const QString &text);

// The text a value holds, read in place; a value of another type is converted into *buffer.
// Batches read every value on another thread than made it: a copy would cost two atomic
// operations on memory the other thread last touched.
const QString &textOf(const QVariant &value, QString *buffer);

// The escape character of likePattern(): use "LIKE ? ESCAPE '!'".
constexpr char LikeEscape = '!';
// "%text%" with the wildcards of the user's text taken literally, for binding to LIKE ? ESCAPE '!'.
QString likePattern(const QString &text);

// True when the text holds one statement: nothing but blanks after its first ";" outside quotes,
// and no comment or backquote, which the dialects read differently. Sessions read backslashes
// literally (pinned), except in PostgreSQL E'' strings, which are read as the server reads them.
bool isSingleStatement(const QString &sql);
// True when a condition to go after WHERE is one expression: readable as isSingleStatement asks,
// no ";", and its brackets outside quotes pair up, none closed before it opened.
bool isOneCondition(const QString &condition);

} // namespace orv_sql
