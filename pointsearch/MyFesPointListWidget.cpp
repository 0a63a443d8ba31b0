#include "MyFesPointListWidget.h"

#include "FesPointDrag.h"
#include "OrvFesPointDlg.h"

#include <QMimeData>

MyFesPointListWidget::MyFesPointListWidget(OrvFesPointDlg *owner, QWidget *parent)
    : QListWidget(parent)
    , m_owner(owner)
{
}

QStringList MyFesPointListWidget::mimeTypes() const
{
    return {QStringLiteral("xxx/data")};
}

QMimeData *MyFesPointListWidget::mimeData(const QList<QListWidgetItem *>) const
{
    auto *data = new QMimeData;
    data->setData(orv_fes_drag::mimeType(), orv_fes_drag::encode(m_owner->getDragStrings()));
    return data;
}

bool MyFesPointListWidget::dropMimeData(int, const QMimeData *, Qt::DropAction)
{
    return true;
}

Qt::DropActions MyFesPointListWidget::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}
