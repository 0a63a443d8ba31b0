#include "PostgresCopy.h"

#include "ResponseWatchdog.h"

#include <libpq-fe.h>

namespace PostgresCopy {

namespace {

// Types whose COPY text is the text Qt's driver gives (name, int8, int2, int4, text, bpchar,
// varchar): a float, a boolean or a time would read differently.
bool copiesAsDriverReads(Oid type)
{
    static const Oid kTypes[] = {19, 20, 21, 23, 25, 1042, 1043};
    for (Oid t : kTypes)
        if (t == type)
            return true;
    return false;
}

struct Result
{
    explicit Result(PGresult *r) : result(r) {}
    ~Result() { PQclear(result); }
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;
    PGresult *result;
};

// Whether every column of the statement is read alike both ways; false too when it cannot be said
// (the statement is then read the usual way, which reports its fault).
bool describedAsTexts(PGconn *conn, const QByteArray &select)
{
    Result prepared(PQprepare(conn, "", select.constData(), 0, nullptr));
    if (PQresultStatus(prepared.result) != PGRES_COMMAND_OK)
        return false;
    Result described(PQdescribePrepared(conn, ""));
    if (PQresultStatus(described.result) != PGRES_COMMAND_OK)
        return false;
    for (int c = 0; c < PQnfields(described.result); ++c)
        if (!copiesAsDriverReads(PQftype(described.result, c)))
            return false;
    return true;
}

void takeFailure(const PGresult *result, Outcome *outcome)
{
    outcome->error = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    outcome->code = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
}

// The results left once the copy's rows ended: the server's word on how it ended.
void endCopy(PGconn *conn, Outcome *outcome)
{
    while (PGresult *r = PQgetResult(conn)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && outcome->error.isEmpty())
            takeFailure(r, outcome);
        PQclear(r);
    }
}

char unescaped(char c)
{
    switch (c) {
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    default: return c;
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A cell with backslashes: its escapes undone (the server writes \b \f \n \r \t \v \\ and may
// write octal or \x hex).
QString unescapedCell(const char *begin, const char *end)
{
    QByteArray bytes;
    bytes.reserve(int(end - begin));
    for (const char *p = begin; p < end; ++p) {
        if (*p != '\\' || p + 1 == end) {
            bytes.append(*p);
            continue;
        }
        const char c = *++p;
        if (c >= '0' && c <= '7') {
            int value = c - '0';
            for (int n = 1; n < 3 && p + 1 < end && p[1] >= '0' && p[1] <= '7'; ++n)
                value = value * 8 + (*++p - '0');
            bytes.append(char(value));
        } else if (c == 'x' && p + 1 < end && hexDigit(p[1]) >= 0) {
            int value = hexDigit(*++p);
            if (p + 1 < end && hexDigit(p[1]) >= 0)
                value = value * 16 + hexDigit(*++p);
            bytes.append(char(value));
        } else {
            bytes.append(unescaped(c));
        }
    }
    return QString::fromUtf8(bytes);
}

QString cellOf(const char *begin, const char *end)
{
    if (end - begin == 2 && begin[0] == '\\' && begin[1] == 'N')
        return QString();
    for (const char *p = begin; p < end; ++p)
        if (*p == '\\')
            return unescapedCell(begin, end);
    return QString::fromUtf8(begin, int(end - begin));
}

// One line of COPY's text format into its cells, reusing their storage.
void decodeLine(const char *line, int length, QStringList *cells)
{
    const char *end = line + length;
    if (end > line && end[-1] == '\n')
        --end;
    int cell = 0;
    const char *start = line;
    for (const char *p = line;; ++p) {
        // A tab within a cell is written \t: every raw tab ends a cell.
        if (p == end || *p == '\t') {
            const QString text = cellOf(start, p);
            if (cell < cells->size())
                (*cells)[cell] = text;
            else
                cells->append(text);
            ++cell;
            start = p + 1;
            if (p == end)
                break;
        }
    }
    while (cells->size() > cell)
        cells->removeLast();
}

} // namespace

Outcome forEachRow(PGconn *conn, const QString &select, int limitSeconds, const std::function<void(const QStringList &)> &visit)
{
    Outcome outcome;
    if (!conn || PQstatus(conn) != CONNECTION_OK)
        return outcome;
    const int socket = PQsocket(conn);
    // COPY takes a statement in parentheses, where a closing semicolon is out of place.
    QString body = select.trimmed();
    while (body.endsWith(QLatin1Char(';')))
        body = body.chopped(1).trimmed();
    const QByteArray statement = body.toUtf8();
    // The description, the start of the copy and its first rows share one limit.
    RowStretchGuard watch(socket, limitSeconds);
    if (!describedAsTexts(conn, statement)) {
        outcome.taken = watch.timedOut();
        outcome.timedOut = outcome.taken;
        return outcome;
    }
    outcome.taken = true;
    Result started(PQexec(conn, QByteArray("COPY (" + statement + ") TO STDOUT").constData()));
    if (PQresultStatus(started.result) != PGRES_COPY_OUT) {
        takeFailure(started.result, &outcome);
        outcome.timedOut = watch.timedOut();
        return outcome;
    }
    QStringList cells;
    char *line = nullptr;
    int length = 0;
    while ((length = PQgetCopyData(conn, &line, 0)) > 0) {
        decodeLine(line, length, &cells);
        PQfreemem(line);
        visit(cells);
        watch.rowRead();
    }
    if (length == -2)
        outcome.error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    endCopy(conn, &outcome);
    outcome.timedOut = watch.timedOut();
    return outcome;
}

} // namespace PostgresCopy
