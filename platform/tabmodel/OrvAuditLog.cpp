#include "OrvAuditLog.h"

#include "AppLog.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>

#include <log4cplus/loggingmacros.h>

namespace OrvAuditLog {
namespace {

bool needsEscape(QChar c)
{
    return c.unicode() < 0x20 || c == QLatin1Char('"') || c == QLatin1Char('\\');
}

void appendJsonString(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    // Runs without anything to escape, most of the text, go in whole.
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!needsEscape(c))
            continue;
        out.append(text.constData() + start, i - start);
        start = i + 1;
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    out.append(text.constData() + start, text.size() - start);
    out += QLatin1Char('"');
}

// A field whose value is unknown is written as null, never as an empty text.
void appendField(QString &out, const char *name, const QString &value, bool known = true)
{
    out += QLatin1String(",\"");
    out += QLatin1String(name);
    out += QLatin1String("\":");
    if (known)
        appendJsonString(out, value);
    else
        out += QLatin1String("null");
}

// SQL NULL is written as null too.
void appendValue(QString &out, const char *name, const QVariant &value, bool known = true)
{
    appendField(out, name, value.toString(), known && !value.isNull());
}

const char *outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Committed: return "committed";
    case Outcome::RolledBack: return "rolled back";
    case Outcome::Refused: return "refused";
    }
    return "";
}

QString batchId(const QDateTime &now)
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("%1-%2-%3")
        .arg(now.toString(QStringLiteral("yyyyMMddHHmmsszzz")))
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

QString format(const QList<SqlWrite> &writes, Outcome outcome, const Context &context, const QString &reason)
{
    const QDateTime now = QDateTime::currentDateTime();
    QString head = QLatin1String("{\"time\":");
    appendJsonString(head, now.toString(Qt::ISODateWithMs));
    appendField(head, "batch", batchId(now));
    appendField(head, "outcome", QLatin1String(outcomeName(outcome)));
    appendField(head, "account", context.account);
    appendField(head, "link", context.link);
    QString tail;
    if (outcome != Outcome::Committed)
        appendField(tail, "reason", reason);
    tail += QLatin1Char('}');

    QString out;
    out.reserve(writes.size() * (head.size() + 200));
    for (const SqlWrite &w : writes) {
        const bool keyed = !w.key.isEmpty();
        const QString keyColumns = w.keyColumns();
        const QString keyValues = w.keyValues();
        // One record per cell: a delete has none and gives one record without column.
        const int records = w.kind == SqlWrite::Delete ? 1 : qMax(1, w.cells.size());
        for (int i = 0; i < records; ++i) {
            if (!out.isEmpty())
                out += QLatin1Char('\n');
            out += head;
            appendField(out, "action", w.kindName());
            appendField(out, "table", w.table);
            appendField(out, "key_column", keyColumns, keyed);
            appendField(out, "key", keyValues, keyed);
            if (!keyed)
                appendField(out, "sql", w.sql());
            const bool hasCell = w.kind != SqlWrite::Delete && i < w.cells.size();
            static const SqlWrite::Cell none;
            const SqlWrite::Cell &cell = hasCell ? w.cells.at(i) : none;
            appendField(out, "column", cell.column, hasCell);
            appendValue(out, "old", cell.old, hasCell && cell.oldKnown);
            appendValue(out, "new", cell.value, hasCell);
            out += tail;
        }
    }
    return out;
}

void record(const QList<SqlWrite> &writes, Outcome outcome, const Context &context, const QString &reason)
{
    bool ok = false;
    log4cplus::Logger logger = orv_public::getAuditLogger(ok);
    if (!ok || writes.isEmpty() || !logger.isEnabledFor(log4cplus::INFO_LOG_LEVEL))
        return;
    // One event for the whole batch: a batch of ten thousand rows costs one write, not ten thousand.
    const std::string text = format(writes, outcome, context, reason).toStdString();
    logger.forcedLog(log4cplus::INFO_LOG_LEVEL, LOG4CPLUS_STRING_TO_TSTRING(text), __FILE__, __LINE__,
                     LOG4CPLUS_MACRO_FUNCTION());
}

} // namespace OrvAuditLog
