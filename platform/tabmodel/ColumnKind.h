#pragma once

#include <QString>
#include <QVariant>

// What a column holds, decided once when its definition is read, so that display, sorting,
// editing, the value check and the demo generator all agree on it.
class ColumnKind
{
public:
    enum Type { Text, Integer, Decimal, Real };

    ColumnKind() = default;
    // From the definition's SQL type ("int", "decimal(12,4)", "varchar(64)") and value type
    // ("Int", "Double", "String"; empty when the definition gives none). A numeric type on
    // either side makes the column numeric; where both are numeric the SQL type decides, as
    // it says what the database stores. disagreement tells when the two do not say the same.
    static ColumnKind of(const QString &sqlType, const QString &valueType, QString *disagreement = nullptr);

    Type type() const { return m_type; }
    bool isNumeric() const { return m_type != Text; }
    bool isInteger() const { return m_type == Integer; }
    qlonglong minimum() const { return m_min; }
    qlonglong maximum() const { return m_max; }
    int precision() const { return m_precision; } // decimal digits in all, -1 when unbounded
    int scale() const { return m_scale; }         // of them after the point
    int length() const { return m_length; }       // characters of a text, -1 when unbounded

    // Why the text cannot be stored in such a column; empty when it can. The same rule on
    // every database, so that none of them changes a value silently.
    QString refusal(const QString &value) const;
    // A stored text as shown and sorted: a number for a numeric column when the text is one,
    // else the text itself.
    QVariant displayValue(const QString &text) const;
    // A value read from the database as a table cell: a number for a numeric column, an integer
    // one whole (never rounded or wrapped), else its text.
    QVariant cellValue(const QVariant &value) const;

private:
    Type m_type = Text;
    qlonglong m_min = 0;
    qlonglong m_max = 0;
    int m_precision = -1;
    int m_scale = 0;
    int m_length = -1;
};
