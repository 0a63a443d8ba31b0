#include "ValueCheck.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace orv_value {
namespace {

struct IntegerRange
{
    const char *type;
    qlonglong min;
    qlonglong max;
};

// Matched as prefixes of the SQL type: "integer" before "int".
const IntegerRange kIntegers[] = {
    {"tinyint", -128, 127},
    {"smallint", -32768, 32767},
    {"mediumint", -8388608, 8388607},
    {"bigint", std::numeric_limits<qlonglong>::min(), std::numeric_limits<qlonglong>::max()},
    {"integer", std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()},
    {"int", std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()},
};

const IntegerRange *integerRange(const QString &sqlType)
{
    for (const IntegerRange &r : kIntegers)
        if (sqlType.startsWith(QLatin1String(r.type)))
            return &r;
    return nullptr;
}

// The n of "varchar(n)", "decimal(n,s)" ...; -1 when the type has none.
int typeArgument(const QString &sqlType, int index)
{
    static const QRegularExpression args(QStringLiteral("\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\)"));
    const QRegularExpressionMatch m = args.match(sqlType);
    if (!m.hasMatch() || m.captured(index + 1).isEmpty())
        return -1;
    return m.captured(index + 1).toInt();
}

bool isPlainNumber(const QString &value)
{
    return !value.isEmpty() && value == value.trimmed();
}

QString integerRefusal(const QString &value, const IntegerRange *range)
{
    bool ok = false;
    const qlonglong v = isPlainNumber(value) ? value.toLongLong(&ok) : 0;
    if (!ok)
        return QObject::tr("不是整数");
    if (range && (v < range->min || v > range->max))
        return QObject::tr("超出范围 %1 ~ %2").arg(range->min).arg(range->max);
    return QString();
}

// Digits after the decimal point that matter: "1.5000" has one, "1.25e-1" three.
int decimalPlaces(const QString &text, double value)
{
    const bool exponent = text.contains(QLatin1Char('e'), Qt::CaseInsensitive);
    if (!exponent) {
        const int point = text.indexOf(QLatin1Char('.'));
        if (point < 0)
            return 0;
        int end = text.size();
        while (end > point + 1 && text.at(end - 1) == QLatin1Char('0'))
            --end;
        return end - point - 1;
    }
    for (int places = 0; places < 17; ++places) {
        const double scaled = value * std::pow(10.0, places);
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * qMax(1.0, std::fabs(scaled)))
            return places;
    }
    return 17;
}

QString numberRefusal(const QString &value, const QString &sqlType)
{
    bool ok = false;
    const double v = isPlainNumber(value) ? value.toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(v))
        return QObject::tr("不是数字");
    if (sqlType.startsWith(QLatin1String("decimal")) || sqlType.startsWith(QLatin1String("numeric"))) {
        const int precision = typeArgument(sqlType, 0);
        const int scale = qMax(0, typeArgument(sqlType, 1));
        if (precision > 0 && std::fabs(v) >= std::pow(10.0, precision - scale))
            return QObject::tr("整数部分最多 %1 位").arg(precision - scale);
        // The databases would round what does not fit, each its own way; it is refused instead.
        if (precision > 0 && decimalPlaces(value, v) > scale)
            return QObject::tr("小数部分最多 %1 位").arg(scale);
    }
    return QString();
}

QString textRefusal(const QString &value, const QString &sqlType)
{
    if (!sqlType.contains(QLatin1String("char")))
        return QString();
    const int length = typeArgument(sqlType, 0);
    if (length >= 0 && value.toUcs4().size() > length)
        return QObject::tr("最多 %1 个字符").arg(length);
    return QString();
}

} // namespace

QString refusal(const ColMgrData &column, const QString &value)
{
    const QString sqlType = column.sqlType.trimmed().toLower();
    const IntegerRange *range = integerRange(sqlType);
    QString reason;
    if (column.valueType == QLatin1String("Int") || range)
        reason = integerRefusal(value, range);
    else if (column.valueType == QLatin1String("Double") || sqlType.startsWith(QLatin1String("decimal"))
             || sqlType.startsWith(QLatin1String("numeric")) || sqlType.startsWith(QLatin1String("double"))
             || sqlType.startsWith(QLatin1String("float")) || sqlType.startsWith(QLatin1String("real")))
        reason = numberRefusal(value, sqlType);
    else
        reason = textRefusal(value, sqlType);
    if (reason.isEmpty())
        return QString();
    return QObject::tr("“%1”(%2)不能保存值“%3”：%4").arg(column.description, column.sqlName, value, reason);
}

} // namespace orv_value
