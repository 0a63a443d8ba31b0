#include "OrvAuditLog.h"

#include "AppLog.h"
#include "SqlText.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>

#include <log4cplus/loggingmacros.h>

#include <string>

namespace OrvAuditLog {
namespace {

// Printable ASCII without quote or backslash: copied byte for byte.
bool isPlain(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || u >= 0x7f || u == '"' || u == '\\')
            return false;
    }
    return true;
}

QString jsonEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
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
    return out;
}

// The text as a JSON string in UTF-8. Keys, tags and numbers, most of a batch, take the short way.
void appendJsonString(std::string &out, const QString &text)
{
    out += '"';
    if (isPlain(text)) {
        const std::size_t at = out.size();
        out.resize(at + std::size_t(text.size()));
        for (int i = 0; i < text.size(); ++i)
            out[at + std::size_t(i)] = char(text.at(i).unicode());
    } else {
        out += jsonEscaped(text).toStdString();
    }
    out += '"';
}

// A field whose value is unknown is written as null, never as an empty text.
void appendField(std::string &out, const char *name, const QString &value, bool known = true)
{
    out += ",\"";
    out += name;
    out += "\":";
    if (known)
        appendJsonString(out, value);
    else
        out += "null";
}

// SQL NULL is written as null too.
void appendValue(std::string &out, const char *name, const QVariant &value, bool known = true)
{
    QString buffer;
    appendField(out, name, orv_sql::textOf(value, &buffer), known && !value.isNull());
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

// What every record of a batch shares: its opening fields and its close.
struct Frame
{
    std::string head;
    std::string tail;
};

Frame frameOf(Outcome outcome, const Context &context, const QString &reason)
{
    const QDateTime now = QDateTime::currentDateTime();
    Frame frame;
    frame.head = "{\"time\":";
    appendJsonString(frame.head, now.toString(Qt::ISODateWithMs));
    appendField(frame.head, "batch", batchId(now));
    appendField(frame.head, "outcome", QLatin1String(outcomeName(outcome)));
    appendField(frame.head, "account", context.account);
    appendField(frame.head, "link", context.link);
    if (outcome != Outcome::Committed)
        appendField(frame.tail, "reason", reason);
    frame.tail += '}';
    return frame;
}

// The key's values; a single key, most writes, read in place.
const QString &keyValuesOf(const SqlWrite &w, QString *buffer)
{
    if (w.key.size() == 1)
        return orv_sql::textOf(w.key.first().value, buffer);
    *buffer = w.keyValues();
    return *buffer;
}

// The fields of the record of the write's cell `i`.
void appendChanges(std::string &out, const SqlWrite &w, int i, const QString &keyColumns, const QString &keyValues)
{
    const bool keyed = !w.key.isEmpty();
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
}

void write(log4cplus::Logger &logger, const std::string &records)
{
    logger.forcedLog(log4cplus::INFO_LOG_LEVEL, LOG4CPLUS_STRING_TO_TSTRING(records), __FILE__, __LINE__,
                     LOG4CPLUS_MACRO_FUNCTION());
}

bool isLogging()
{
    bool ok = false;
    const log4cplus::Logger logger = orv_public::getAuditLogger(ok);
    return ok && logger.isEnabledFor(log4cplus::INFO_LOG_LEVEL);
}

} // namespace

Trail::Trail(const QList<SqlWrite> &writes)
    : m_writes(writes)
{
    if (isLogging())
        m_formatter = std::thread([this] { formatChanges(); });
}

Trail::~Trail()
{
    if (m_formatter.joinable())
        m_formatter.join();
}

void Trail::formatChanges()
{
    for (const SqlWrite &w : m_writes) {
        const QString keyColumns = w.keyColumns();
        QString buffer;
        const QString &keyValues = keyValuesOf(w, &buffer);
        // One record per cell: a delete has none and gives one record without column.
        const int records = w.kind == SqlWrite::Delete ? 1 : qMax(1, w.cells.size());
        for (int i = 0; i < records; ++i) {
            appendChanges(m_changes, w, i, keyColumns, keyValues);
            m_ends.push_back(m_changes.size());
        }
    }
}

void Trail::record(Outcome outcome, const Context &context, const QString &reason)
{
    if (m_formatter.joinable())
        m_formatter.join();
    bool ok = false;
    log4cplus::Logger logger = orv_public::getAuditLogger(ok);
    if (!ok || m_ends.empty())
        return;
    const Frame frame = frameOf(outcome, context, reason);
    std::string chunk;
    chunk.reserve(ChunkBytes + 4096);
    std::size_t start = 0;
    for (const std::size_t end : m_ends) {
        if (!chunk.empty())
            chunk += '\n';
        chunk += frame.head;
        chunk.append(m_changes, start, end - start);
        chunk += frame.tail;
        start = end;
        if (chunk.size() >= std::size_t(ChunkBytes)) {
            write(logger, chunk);
            chunk.clear();
        }
    }
    if (!chunk.empty())
        write(logger, chunk);
}

} // namespace OrvAuditLog
