#pragma once

#include <QObject>

class CellEditHistory;
class OrvPropertyPage;
class QAction;
class QKeySequence;
class QLineEdit;
class QPushButton;

// A page's keyboard actions: Ctrl+S saves, F5 refreshes, Ctrl+F goes to the filter, Ctrl+C copies
// the selected cells, Ctrl+Z takes back the last unsaved cell edit. They stand in the table's
// context menu, and the buttons that do the same name their keys in their tooltips.
class PageActions : public QObject
{
    Q_OBJECT
public:
    PageActions(OrvPropertyPage *page, QPushButton *save, QPushButton *reload, QLineEdit *filter);

private:
    QAction *add(const QString &text, const QKeySequence &keys);
    // The action presses the button (so a disabled button stays without effect).
    void pair(QAction *action, QPushButton *button);

    OrvPropertyPage *m_page;
    CellEditHistory *m_history;
};
