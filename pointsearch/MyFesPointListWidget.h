#pragma once

#include <QListWidget>

class OrvFesPointDlg;

// The search dialog's point list: drags carry the owner's drag strings; drops onto it are
// taken and ignored.
class MyFesPointListWidget : public QListWidget
{
    Q_OBJECT
public:
    MyFesPointListWidget(OrvFesPointDlg *owner, QWidget *parent);

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QListWidgetItem *> items) const override;
    bool dropMimeData(int index, const QMimeData *data, Qt::DropAction action) override;
    Qt::DropActions supportedDropActions() const override;

private:
    OrvFesPointDlg *m_owner;
};
