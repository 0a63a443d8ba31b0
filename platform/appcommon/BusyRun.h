#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While a synchronous run holds the GUI thread: a busy cursor and the start button disabled.
// Clicks, keys and window closes made meanwhile are dropped when the run ends, not replayed on
// whatever the run left under the pointer.
class BusyRun : public QObject
{
    Q_OBJECT
public:
    explicit BusyRun(QWidget *startButton);
    ~BusyRun() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_button;
    // A modal window that opens while the queue is drained must still be answerable.
    QPointer<QWidget> m_modal;
};
