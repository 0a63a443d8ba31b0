#include "ColumnKind.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ColumnKind", text);
}

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

bool startsWithAny(const QString &text, std::initializer_list<const char *> prefixes)
{
    for (const char *p : prefixes)
        if (text.startsWith(QLatin1String(p)))
            return true;
    return false;
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

// Digits after the decimal point that matter: "1.5000" has one, "1.25e-1" three, "1500e-2" none.
// Counted in the text: a double keeps only 15 or 16 digits, and those past them the servers round.
qint64 decimalPlaces(const QString &text)
{
    const int e = text.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    const QStringRef mantissa = text.leftRef(e < 0 ? text.size() : e);
    const int point = mantissa.indexOf(QLatin1Char('.'));
    qint64 places = point < 0 ? 0 : mantissa.size() - point - 1;
    int end = mantissa.size();
    for (; end > 0; --end) {
        const QChar c = mantissa.at(end - 1);
        if (c == QLatin1Char('0'))
            --places;
        else if (c != QLatin1Char('.'))
            break;
    }
    if (end == 0 || !mantissa.at(end - 1).isDigit())
        return 0; // all zeros
    if (e >= 0) {
        bool ok = false;
        const qint64 exponent = text.midRef(e + 1).toLongLong(&ok);
        // An exponent past a 64-bit count is past any double too: refused before.
        places -= ok ? exponent : 0;
    }
    return qMax<qint64>(0, places);
}

const char *familyName(ColumnKind::Type type)
{
    switch (type) {
    case ColumnKind::Integer: return "Int";
    case ColumnKind::Decimal:
    case ColumnKind::Real: return "Double";
    case ColumnKind::Text: break;
    }
    return "String";
}

// The value type an SQL type stands for; empty for a type of none of the three families.
QString sqlFamily(const QString &sqlType)
{
    if (integerRange(sqlType))
        return QStringLiteral("Int");
    if (startsWithAny(sqlType, {"decimal", "numeric", "double", "float", "real"}))
        return QStringLiteral("Double");
    if (sqlType.contains(QLatin1String("char")) || sqlType.contains(QLatin1String("text")))
        return QStringLiteral("String");
    return QString();
}

} // namespace

ColumnKind ColumnKind::of(const QString &sqlTypeText, const QString &valueType, QString *disagreement)
{
    const QString sqlType = sqlTypeText.trimmed().toLower();
    ColumnKind kind;
    if (const IntegerRange *range = integerRange(sqlType)) {
        kind.m_type = Integer;
        kind.m_min = range->min;
        kind.m_max = range->max;
    } else if (startsWithAny(sqlType, {"decimal", "numeric"})) {
        kind.m_type = Decimal;
        kind.m_precision = typeArgument(sqlType, 0);
        kind.m_scale = qMax(0, typeArgument(sqlType, 1));
    } else if (startsWithAny(sqlType, {"double", "float", "real"})) {
        kind.m_type = Real;
    } else if (valueType == QLatin1String("Int")) {
        kind.m_type = Integer;
        kind.m_min = std::numeric_limits<qlonglong>::min();
        kind.m_max = std::numeric_limits<qlonglong>::max();
    } else if (valueType == QLatin1String("Double")) {
        kind.m_type = Real;
    } else if (sqlType.contains(QLatin1String("char"))) {
        kind.m_length = typeArgument(sqlType, 0);
    }
    if (disagreement) {
        const QString family = sqlFamily(sqlType);
        *disagreement = !valueType.isEmpty() && !family.isEmpty() && valueType != family
            ? tr("SQL类型 %1 与值类型 %2 不一致，按 %3 处理").arg(sqlTypeText, valueType, QLatin1String(familyName(kind.m_type)))
            : QString();
    }
    return kind;
}

QString ColumnKind::refusal(const QString &value) const
{
    if (m_type == Text) {
        // PostgreSQL refuses it, MariaDB may keep the text only up to it.
        if (value.contains(QChar(0)))
            return tr("含有 NUL 字符，数据库不能原样保存");
        // Half of a pair (a broken file name pasted in) would reach the database as "?".
        if (!value.isValidUtf16())
            return tr("含有不成对的 UTF-16 代理字符，数据库不能原样保存");
        // Characters, not UTF-16 units; a text no longer in units than allowed fits at once.
        if (m_length >= 0 && value.size() > m_length && value.toUcs4().size() > m_length)
            return tr("最多 %1 个字符").arg(m_length);
        return QString();
    }
    if (m_type == Integer) {
        bool ok = false;
        const qlonglong v = isPlainNumber(value) ? value.toLongLong(&ok) : 0;
        if (!ok)
            return tr("不是整数");
        if (v < m_min || v > m_max)
            return tr("超出范围 %1 ~ %2").arg(m_min).arg(m_max);
        return QString();
    }
    bool ok = false;
    const double v = isPlainNumber(value) ? value.toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(v))
        return tr("不是数字");
    if (m_type == Decimal && m_precision > 0) {
        if (std::fabs(v) >= std::pow(10.0, m_precision - m_scale))
            return tr("整数部分最多 %1 位").arg(m_precision - m_scale);
        // The databases would round what does not fit, each its own way; it is refused instead.
        if (decimalPlaces(value) > m_scale)
            return tr("小数部分最多 %1 位").arg(m_scale);
    }
    return QString();
}

QVariant ColumnKind::displayValue(const QString &text) const
{
    bool ok = false;
    if (m_type == Integer) {
        const qlonglong v = text.toLongLong(&ok);
        if (ok)
            return v;
    } else if (m_type != Text) {
        const double v = text.toDouble(&ok);
        if (ok)
            return v;
    }
    return text;
}

QVariant ColumnKind::cellValue(const QVariant &value) const
{
    if (m_type == Text)
        return value.toString();
    bool ok = false;
    if (m_type == Integer) {
        // QVariant::toInt wraps a 64-bit count and rounds a fraction and still says ok: what is
        // shown is written back by find-and-replace and undo, so it must be what is stored.
        const int type = value.userType();
        const qlonglong number = type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt
                ? value.toLongLong(&ok)
                : value.toString().toLongLong(&ok, 10);
        return ok ? QVariant(number) : QVariant(value.toString());
    }
    const double number = value.toDouble(&ok);
    return ok ? QVariant(number) : QVariant(value.toString());
}
