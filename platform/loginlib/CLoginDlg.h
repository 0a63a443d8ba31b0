#pragma once

#include "PlatformAccount.h"

#include <QDialog>
#include <QString>

class QLineEdit;

// The platform login: a platform user logs in with name and password against the user
// records of the platform-configured database (RM_USER_DEF, salted hashes).
class CLoginDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CLoginDlg(QWidget *parent = nullptr);

    // After a successful exec(): user id, user name and the user's full name.
    int getUserInfo(int &userId, QString &userName, QString &alias);
    // 0 when the logged-in user's group holds the function, 1 otherwise.
    int checkPerm(const QString &functionCode);

signals:
    void sigDirectConnect();

private slots:
    void onLogin();
    void onDirectConnect();

private:
    void showFailure(const QString &text);

    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    PlatformAccount m_account;
};
