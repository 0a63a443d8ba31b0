#pragma once

#include <QObject>

class CLoginDlg;
class LoginDlg;

// Decides before any main window exists whether the tool may run: a platform login opening the
// platform-configured link, or, asked for from the platform dialog, a direct connection.
class CModelVarnixlogin : public QObject
{
    Q_OBJECT
public:
    CModelVarnixlogin();
    ~CModelVarnixlogin() override;

    bool login();
    bool isDirectLink() const { return m_directLink; }

    CLoginDlg *platformDialog() const { return m_platformDlg; }
    LoginDlg *connectionDialog() const { return m_connectionDlg; }

public slots:
    void onChangeToDirectLink();
    void onChangeToCenterLink();

private:
    CLoginDlg *m_platformDlg;
    LoginDlg *m_connectionDlg;
    bool m_loggedIn = false;
    bool m_directLink = false;
};
