#include "OrvAuditLog.h"

#include "AppLog.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>

#include <log4cplus/loggingmacros.h>

namespace OrvAuditLog {
namespace {

void appendJsonString(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
}

// A field whose value is unknown is written as null, never as an empty text.
void appendField(QString &out, const char *name, const QString &value, bool known = true)
{
    out += QLatin1String(",\"") + QLatin1String(name) + QLatin1String("\":");
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
    out.reserve(writes.size() * (head.size() + 160));
    for (const SqlWrite &w : writes) {
        QString record = head;
        appendField(record, "action", w.kindName());
        appendField(record, "table", w.table);
        const bool keyed = !w.key.isEmpty();
        appendField(record, "key_column", w.keyColumns(), keyed);
        appendField(record, "key", w.keyValues(), keyed);
        if (!keyed)
            appendField(record, "sql", w.sql());
        // One record per cell: a delete has none and gives one record without column.
        const int records = w.kind == SqlWrite::Delete ? 1 : qMax(1, w.cells.size());
        for (int i = 0; i < records; ++i) {
            if (!out.isEmpty())
                out += QLatin1Char('\n');
            out += record;
            const bool hasCell = w.kind != SqlWrite::Delete && i < w.cells.size();
            const SqlWrite::Cell cell = hasCell ? w.cells.at(i) : SqlWrite::Cell();
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
