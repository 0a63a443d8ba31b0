#include "PlatformAccount.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "OrvLog.h"
#include "OrvTableDataMgr.h"
#include "PasswordHash.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const char *const kConnection = "loginlib_platform";

QString tr(const char *text)
{
    return QCoreApplication::translate("PlatformAccount", text);
}

// Bits set in the words of a record's numbered columns prefix1..prefixN.
QList<int> granted(const QSqlQuery &query, const QString &prefix, int count)
{
    QList<int> words;
    for (int i = 1; i <= count; ++i)
        words.append(OrvDbDesign::permissionWord(query.value(prefix + QString::number(i)).toString()));
    return OrvDbDesign().testBit(words);
}

QString inList(const QList<int> &ids)
{
    QStringList parts;
    for (int id : ids)
        parts.append(QString::number(id));
    return parts.isEmpty() ? QStringLiteral("NULL") : parts.join(QLatin1Char(','));
}

// Runs the statement (values bound to its ?) and hands each row to the reader; the database's
// reason when it fails.
template <typename Reader>
QString readRows(QSqlDatabase &db, const QString &sql, const QVariantList &values, Reader read)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ran = query.prepare(sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    ran = ran && query.exec();
    while (ran && query.next())
        read(query);
    const QString error = query.lastError().isValid() ? query.lastError().text() : QString();
    query.finish();
    return error;
}

} // namespace

QString PlatformAccount::authenticate(const QString &name, const QString &password)
{
    if (name.isEmpty())
        return tr("请输入用户名");
    QString error;
    const DbLinkParams params = OrvTableDataMgr::platformLinkParams(&error);
    if (error.isEmpty())
        error = DbConnection::open(params, QLatin1String(kConnection));
    if (!error.isEmpty())
        return tr("无法连接平台数据库: %1").arg(error);
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(kConnection));
        error = checkPassword(db, name, password);
        if (error.isEmpty())
            error = readFunctions(db);
    }
    DbConnection::close(QLatin1String(kConnection));
    return error;
}

QString PlatformAccount::checkPassword(QSqlDatabase &db, const QString &name, const QString &password)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool prepared = query.prepare(QStringLiteral("SELECT PERM_ID, PERM_NAME, PERM_ALIAS, PERM_PASSWORD, PERM_USER_GROUP "
                                                       "FROM RM_USER_DEF WHERE PERM_NAME = ?"));
    query.addBindValue(name);
    if (!prepared || !query.exec())
        return tr("读取平台用户失败: %1").arg(query.lastError().text());
    if (!query.next()) {
        orv_public::PasswordHash::verifyNothing(password);
        return tr("用户名或密码错误");
    }
    const QString stored = query.value(3).toString();
    if (!orv_public::PasswordHash::verify(password, stored))
        return tr("用户名或密码错误");
    m_userId = query.value(0).toInt();
    m_userName = query.value(1).toString();
    m_alias = query.value(2).toString();
    m_groupId = query.value(4).toInt();
    query.finish();
    if (orv_public::PasswordHash::needsRehash(stored))
        rehash(db, password);
    return QString();
}

void PlatformAccount::rehash(QSqlDatabase &db, const QString &password)
{
    const QString hash = orv_public::PasswordHash::make(password);
    if (hash.isEmpty())
        return;
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE RM_USER_DEF SET PERM_PASSWORD = ? WHERE PERM_ID = ?"));
    update.addBindValue(hash);
    update.addBindValue(m_userId);
    // The old hash keeps working when the record cannot be written (a read-only database).
    if (!update.exec())
        ORV_LOG_ERROR(tr("无法更新用户 %1 的密码散列: %2").arg(m_userName, update.lastError().text()));
}

QString PlatformAccount::readFunctions(QSqlDatabase &db)
{
    // A user whose rights cannot be read is refused, not let in read-only without a word.
    m_functions.clear();
    QList<int> roles;
    QString error = readRows(db, QStringLiteral("SELECT * FROM RM_USERG_DEF WHERE PERM_ID = ?"), {m_groupId},
                             [&roles](const QSqlQuery &q) { roles += granted(q, QStringLiteral("PERM_ROLE"), 8); });
    QList<int> functions;
    if (error.isEmpty())
        error = readRows(db, QStringLiteral("SELECT * FROM RM_ROLE_DEF WHERE PERM_ID IN (%1);").arg(inList(roles)), {},
                         [&functions](const QSqlQuery &q) { functions += granted(q, QStringLiteral("PERM_SPE_FUNC"), 8); });
    if (error.isEmpty())
        error = readRows(db, QStringLiteral("SELECT FUNC_CODE FROM RM_SPCL_FUNC_DEF WHERE PERM_ID IN (%1);").arg(inList(functions)), {},
                         [this](const QSqlQuery &q) { m_functions.insert(q.value(0).toString()); });
    return error.isEmpty() ? QString() : tr("读取用户 %1 的权限失败: %2").arg(m_userName, error);
}
