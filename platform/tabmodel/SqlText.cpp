#include "SqlText.h"

namespace orv_sql {

QString escaped(const QString &value)
{
    QString text = value;
    return text.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + escaped(value) + QLatin1Char('\'');
}

QString quotedList(const QStringList &values)
{
    QStringList parts;
    parts.reserve(values.size());
    for (const QString &v : values)
        parts.append(quoted(v));
    return parts.join(QLatin1Char(','));
}

} // namespace orv_sql
