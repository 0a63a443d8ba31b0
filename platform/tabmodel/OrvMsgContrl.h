#pragma once

#include <QObject>
#include <QPointer>

#include <QMainWindow>

// Carries the library's messages to the main window: the status text is refreshed whenever
// the link information changes, through the window's onPermentStatus(const QString &) slot.
class OrvMsgContrl : public QObject
{
    Q_OBJECT
public:
    static OrvMsgContrl *getInstance();

    void installMainWindow(QMainWindow *window);
    QMainWindow *mainWindow() const { return m_window; }

public slots:
    void showStatus(const QString &info);

private:
    OrvMsgContrl() = default;
    QPointer<QMainWindow> m_window;
};
