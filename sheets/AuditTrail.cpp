#include "AuditTrail.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace AuditTrail {
namespace {

const char *const kNames[FieldCount] = {"time",  "outcome", "account", "action", "table", "key_column", "key",
                                        "column", "old",    "new",     "reason", "batch", "link"};
const char *const kDescriptions[FieldCount] = {
    QT_TRANSLATE_NOOP("AuditTrail", "时间"),   QT_TRANSLATE_NOOP("AuditTrail", "结果"),   QT_TRANSLATE_NOOP("AuditTrail", "账户"),
    QT_TRANSLATE_NOOP("AuditTrail", "操作"),   QT_TRANSLATE_NOOP("AuditTrail", "表"),     QT_TRANSLATE_NOOP("AuditTrail", "关键字列"),
    QT_TRANSLATE_NOOP("AuditTrail", "关键字"), QT_TRANSLATE_NOOP("AuditTrail", "列"),     QT_TRANSLATE_NOOP("AuditTrail", "原值"),
    QT_TRANSLATE_NOOP("AuditTrail", "新值"),   QT_TRANSLATE_NOOP("AuditTrail", "原因"),   QT_TRANSLATE_NOOP("AuditTrail", "批次"),
    QT_TRANSLATE_NOOP("AuditTrail", "数据库连接")};

const QString kFileName = QStringLiteral("audit.log");

// Times are written as local ISO texts of one length, so they order as texts do.
QString timeText(const QDateTime &time)
{
    return time.toString(Qt::ISODateWithMs);
}

// The time at the start of a record line, read without parsing the rest.
QStringRef leadingTime(const QString &line)
{
    static const QString head = QStringLiteral("{\"time\":\"");
    if (!line.startsWith(head))
        return QStringRef();
    const int end = line.indexOf(QLatin1Char('"'), head.size());
    return end < 0 ? QStringRef() : line.midRef(head.size(), end - head.size());
}

bool inRange(const QStringRef &time, const QString &from, const QString &to)
{
    return (from.isEmpty() || time >= from) && (to.isEmpty() || time <= to);
}

bool matches(const Record &r, const Query &q)
{
    return (!q.committedOnly || r.fields[Outcome] == QLatin1String("committed"))
        && (q.account.isEmpty() || r.fields[Account] == q.account)
        && (q.table.isEmpty() || r.fields[Table].compare(q.table, Qt::CaseInsensitive) == 0)
        && (q.key.isEmpty() || r.fields[Key].contains(q.key, Qt::CaseInsensitive));
}

bool parse(const QString &line, Record *record)
{
    const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8());
    if (!doc.isObject())
        return false;
    const QJsonObject object = doc.object();
    for (int f = 0; f < FieldCount; ++f)
        record->fields[f] = object.value(QLatin1String(kNames[f])).toString();
    return true;
}

QString readFile(const QString &path, const Query &query, Result *result)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("AuditTrail", "无法读取修改记录文件 %1: %2").arg(path, file.errorString());
    const QString from = query.from.isValid() ? timeText(query.from) : QString();
    const QString to = query.to.isValid() ? timeText(query.to) : QString();
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty())
            continue;
        const QStringRef time = leadingTime(line);
        if (!time.isNull() && !inRange(time, from, to))
            continue;
        Record record;
        if (time.isNull() || !parse(line, &record))
            ++result->unreadable;
        else if (matches(record, query))
            result->records.append(record);
    }
    return QString();
}

} // namespace

QStringList files(const QString &logDir)
{
    const QDir dir(logDir);
    QStringList found;
    for (int n = 1; dir.exists(QStringLiteral("%1.%2").arg(kFileName).arg(n)); ++n)
        found.prepend(dir.filePath(QStringLiteral("%1.%2").arg(kFileName).arg(n)));
    if (dir.exists(kFileName))
        found.append(dir.filePath(kFileName));
    return found;
}

Result read(const QString &logDir, const Query &query)
{
    Result result;
    for (const QString &path : files(logDir)) {
        result.error = readFile(path, query, &result);
        if (!result.error.isEmpty())
            break;
    }
    return result;
}

QVector<SheetColumn> columns()
{
    QStringList descriptions, names;
    for (int f = 0; f < FieldCount; ++f) {
        descriptions.append(QCoreApplication::translate("AuditTrail", kDescriptions[f]));
        names.append(QLatin1String(kNames[f]));
    }
    return SheetData::textColumns(descriptions, names);
}

} // namespace AuditTrail
