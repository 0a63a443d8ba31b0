#include "OrvEditMarksProxy.h"

#include "OrvTableModel.h"

#include <QBrush>
#include <QColor>

OrvEditMarksProxy::OrvEditMarksProxy(QObject *parent)
    : QIdentityProxyModel(parent)
{
}

QVariant OrvEditMarksProxy::data(const QModelIndex &proxyIndex, int role) const
{
    const auto *table = qobject_cast<const OrvTableModel *>(sourceModel());
    // A row that awaits its read shows nothing yet, and is not read here.
    if (!table || (role != Qt::BackgroundRole && role != Qt::ToolTipRole) || !proxyIndex.isValid()
        || table->awaitsRead(proxyIndex.row()))
        return QIdentityProxyModel::data(proxyIndex, role);
    const int row = proxyIndex.row();
    const int column = proxyIndex.column();
    const bool failed = table->failedCell() == qMakePair(row, column);
    if (!failed && !table->isEdited(row, column))
        return QIdentityProxyModel::data(proxyIndex, role);
    if (role == Qt::BackgroundRole)
        return QBrush(failed ? QColor(0xff, 0xcd, 0xd2) : QColor(0xff, 0xf3, 0xc4));
    const QString stored = tr("数据库中的值: %1").arg(table->storedValue(row, column));
    return failed ? tr("保存失败的单元格") + QLatin1Char('\n') + stored : stored;
}
