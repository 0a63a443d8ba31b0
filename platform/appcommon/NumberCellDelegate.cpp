#include "NumberCellDelegate.h"

NumberCellDelegate::NumberCellDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QString NumberCellDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (value.userType() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return QStyledItemDelegate::displayText(value, locale);
}
