#pragma once

#include "DbRows.h"

#include <QObject>

class OrvPropertyPage;
class OrvTableModel;
class QPoint;

namespace orv_fes_drag {
struct Point;
}

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
    // Asks before the row is linked, with what speaks against the link.
    bool confirm(OrvTableModel *model, int row, const orv_fes_drag::Point &point, const DbRows &place) const;
    // A table as the user knows it: the description its definition gives.
    static QString shownName(const QString &table);
    void refuse(const QString &text) const;

    OrvPropertyPage *m_page;
};
