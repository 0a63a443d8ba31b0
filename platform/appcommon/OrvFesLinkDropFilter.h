#pragma once

#include <QObject>

class OrvPropertyPage;
class OrvTableModel;
class QPoint;

// Lets a property page over the map-to-FES tables take a front-end point dragged out of the
// point search: dropped onto a row and confirmed, it becomes that row's front-end point, written
// through the page's model like any page edit.
class OrvFesLinkDropFilter : public QObject
{
    Q_OBJECT
public:
    explicit OrvFesLinkDropFilter(OrvPropertyPage *page);

    // The front-end point table whose points a map-to-FES table links to; empty for any other.
    static QString fesTableOf(const QString &mapTable);

signals:
    void sigLinked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    OrvTableModel *mapModel() const;
    // The model row under a viewport position; -1 when there is none.
    int rowAt(OrvTableModel *model, const QPoint &pos) const;
    // The whole drop, from the payload to the saved row; false when refused or declined.
    bool link(const QByteArray &payload, OrvTableModel *model, int row);
    void refuse(const QString &text) const;

    OrvPropertyPage *m_page;
};
