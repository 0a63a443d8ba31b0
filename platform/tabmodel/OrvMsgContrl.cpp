#include "OrvMsgContrl.h"

#include "OrvTableDataMgr.h"

#include <QMainWindow>

OrvMsgContrl *OrvMsgContrl::getInstance()
{
    static OrvMsgContrl instance;
    return &instance;
}

void OrvMsgContrl::installMainWindow(QMainWindow *window)
{
    m_window = window;
    connect(OrvTableDataMgr::getInstance(), &OrvTableDataMgr::dbInfoChanged, this, &OrvMsgContrl::showStatus,
            Qt::UniqueConnection);
}

void OrvMsgContrl::showStatus(const QString &info)
{
    if (m_window)
        QMetaObject::invokeMethod(m_window, "onPermentStatus", Q_ARG(QString, info));
}
