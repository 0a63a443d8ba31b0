#pragma once

#include <QStyledItemDelegate>

// Shows a fractional number with every digit it holds (1234.5678, 12345678.5), where Qt's own
// text keeps six and groups the thousands.
class NumberCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit NumberCellDelegate(QObject *parent);

    QString displayText(const QVariant &value, const QLocale &locale) const override;
};
