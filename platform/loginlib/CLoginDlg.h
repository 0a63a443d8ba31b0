#pragma once

#include <QDialog>
#include <QSet>
#include <QString>

class QLineEdit;
class QSqlDatabase;

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
    // Empty text when name and password match a user; fills the user's details and rights.
    QString authenticate(const QString &name, const QString &password);
    QString checkPassword(QSqlDatabase &db, const QString &name, const QString &password);
    // Stores the password again in the current kind of hash.
    void rehash(QSqlDatabase &db, const QString &password);
    void readFunctions(QSqlDatabase &db);
    void showFailure(const QString &text);

    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    int m_userId = -1;
    QString m_userName;
    QString m_alias;
    int m_groupId = -1;
    QSet<QString> m_functions;
};
