#pragma once

#include <QSet>
#include <QString>

class QSqlDatabase;

// A platform user's account, read from the platform-configured database: the password check
// against the stored hash and the functions the user's group holds (group -> roles -> special
// functions).
class PlatformAccount
{
public:
    // Empty text when name and password match a user and the user's rights could be read;
    // otherwise why not (a wrong password, or a database that could not be read).
    QString authenticate(const QString &name, const QString &password);

    int userId() const { return m_userId; }
    QString userName() const { return m_userName; }
    QString alias() const { return m_alias; }
    bool holds(const QString &functionCode) const { return m_functions.contains(functionCode); }

private:
    QString checkPassword(QSqlDatabase &db, const QString &name, const QString &password);
    // Stores the password again in the current kind of hash.
    void rehash(QSqlDatabase &db, const QString &password);
    QString readFunctions(QSqlDatabase &db);

    int m_userId = -1;
    QString m_userName;
    QString m_alias;
    int m_groupId = -1;
    QSet<QString> m_functions;
};
