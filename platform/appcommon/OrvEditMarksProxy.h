#pragma once

#include <QIdentityProxyModel>

// A page's table model as shown: edits not yet saved are tinted and name the stored value as
// their tooltip; the cell a save failed on is marked red. Sorting and filtering are the model's
// (its database's), so rows pass through one to one.
class OrvEditMarksProxy : public QIdentityProxyModel
{
    Q_OBJECT
public:
    explicit OrvEditMarksProxy(QObject *parent = nullptr);

    QVariant data(const QModelIndex &proxyIndex, int role = Qt::DisplayRole) const override;
};
