#include "CModelVarnixlogin.h"

#include "CLoginDlg.h"
#include "LoginDlg.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"

CModelVarnixlogin::CModelVarnixlogin()
    : QObject(nullptr)
    , m_platformDlg(new CLoginDlg(nullptr))
    , m_connectionDlg(new LoginDlg(nullptr))
{
    connect(m_platformDlg, &CLoginDlg::sigDirectConnect, this, &CModelVarnixlogin::onChangeToDirectLink);
}

CModelVarnixlogin::~CModelVarnixlogin()
{
    delete m_connectionDlg;
    delete m_platformDlg;
}

bool CModelVarnixlogin::login()
{
    onChangeToCenterLink();
    return m_loggedIn;
}

void CModelVarnixlogin::onChangeToDirectLink()
{
    // A typo must not end the program: the dialog comes back with what was typed until the link
    // opens or the user cancels.
    bool accepted = false;
    do
        accepted = m_connectionDlg->exec() != 0;
    while (!accepted && m_connectionDlg->lastAttemptFailed());
    if (accepted) {
        m_loggedIn = true;
        m_directLink = true;
    }
}

void CModelVarnixlogin::onChangeToCenterLink()
{
    if (m_platformDlg->exec() == 0)
        return;
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    QString error = mgr->initDBLink(DataBaseInterface::LINK_PLATFORM);
    if (error.isEmpty()) {
        int userId = 0;
        QString userName;
        QString alias;
        m_platformDlg->getUserInfo(userId, userName, alias);
        mgr->setExtraDbInfo(tr("账号:%1 ").arg(userName, 0, QLatin1Char(' ')));
        mgr->setLoginUser(userName);
        mgr->setRight(m_platformDlg->checkPerm(QStringLiteral("FUNC_NOM_DEV_TP")) == 0 ? OrvTableDataMgr::RIGHT_EDIT
                                                                                       : OrvTableDataMgr::RIGHT_READONLY);
        QString detail;
        if (!LoginDlg::checkModelContext(error, &detail) && !detail.isEmpty())
            error += QLatin1Char('\n') + detail;
    }
    if (error.isEmpty()) {
        m_loggedIn = true;
        m_directLink = false;
    } else {
        mgr->onSysQuit();
        orv_ui::information(nullptr, tr("登录失败"), tr("失败原因:") + QLatin1Char('\n') + error);
    }
}
