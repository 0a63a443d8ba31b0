#include "SheetCells.h"

#include <cmath>

namespace SheetCells {
namespace {

bool isFormulaStart(QChar c)
{
    switch (c.unicode()) {
    case '=': case '+': case '-': case '@': case '\t': case '\r':
        return true;
    default:
        return false;
    }
}

// Whether the text, past its leading apostrophes, starts a formula; and how many there are.
bool formulaAfterApostrophes(const QString &text, int *apostrophes)
{
    int i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char('\''))
        ++i;
    *apostrophes = i;
    return i < text.size() && isFormulaStart(text.at(i));
}

// Digits that carry the value: "0012.500" has three (12.5).
int significantDigits(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            break;
        if (c.isDigit())
            digits += c;
    }
    int first = 0;
    while (first < digits.size() && digits.at(first) == QLatin1Char('0'))
        ++first;
    int last = digits.size();
    if (text.contains(QLatin1Char('.')))
        while (last > first && digits.at(last - 1) == QLatin1Char('0'))
            --last;
    return qMax(0, last - first);
}

bool isWide(uint code)
{
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) || (code >= 0xAC00 && code <= 0xD7A3)
        || (code >= 0xF900 && code <= 0xFAFF) || (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60)
        || (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

} // namespace

bool looksLikeFormula(const QString &text)
{
    return !text.isEmpty() && isFormulaStart(text.at(0));
}

QString guarded(const QString &text)
{
    int apostrophes = 0;
    return formulaAfterApostrophes(text, &apostrophes) ? QLatin1Char('\'') + text : text;
}

QString unguarded(const QString &text)
{
    int apostrophes = 0;
    return formulaAfterApostrophes(text, &apostrophes) && apostrophes > 0 ? text.mid(1) : text;
}

bool asNumber(const ColumnKind &kind, const QString &text, double *value)
{
    if (!kind.isNumeric() || text.isEmpty() || text != text.trimmed())
        return false;
    bool ok = false;
    *value = text.toDouble(&ok);
    // Beyond 15 digits a spreadsheet rounds what it shows and saves back.
    return ok && std::isfinite(*value) && significantDigits(text) <= 15;
}

int displayWidth(const QString &text)
{
    int width = 0;
    for (const uint code : text.toUcs4())
        width += isWide(code) ? 2 : 1;
    return width;
}

} // namespace SheetCells
