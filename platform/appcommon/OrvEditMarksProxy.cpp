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
    if (!table || (role != Qt::BackgroundRole && role != Qt::ToolTipRole) || !proxyIndex.isValid())
        return QIdentityProxyModel::data(proxyIndex, role);
    // Painting never reads a row: one that awaits its read is marked by what it held before.
    const int row = proxyIndex.row();
    const int column = proxyIndex.column();
    QString stored;
    bool failed = false;
    if (!table->isShownEdited(row, column, &stored, &failed))
        return QIdentityProxyModel::data(proxyIndex, role);
    if (role == Qt::BackgroundRole)
        return QBrush(failed ? QColor(0xff, 0xcd, 0xd2) : QColor(0xff, 0xf3, 0xc4));
    stored = tr("数据库中的值: %1").arg(stored);
    return failed ? tr("保存失败的单元格") + QLatin1Char('\n') + stored : stored;
}
