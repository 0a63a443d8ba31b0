#include "BusyRun.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

BusyRun::BusyRun(QWidget *startButton)
    : m_button(startButton)
    , m_modal(QApplication::activeModalWidget())
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_button->setEnabled(false);
    // Painting now also sends the cursor change on its way: the event loop will not run for a while.
    m_button->repaint();
    qApp->installEventFilter(this);
}

BusyRun::~BusyRun()
{
    // Input queued during the run reaches the filter now and goes no further.
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    if (m_button)
        m_button->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

bool BusyRun::eventFilter(QObject *watched, QEvent *event)
{
    if (QApplication::activeModalWidget() != m_modal)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Close:
        return event->spontaneous(); // the window's close button; close() from code passes
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
