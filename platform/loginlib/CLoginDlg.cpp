#include "CLoginDlg.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "OrvLog.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"
#include "PasswordHash.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVBoxLayout>

namespace {

const char *const kConnection = "loginlib_platform";

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

} // namespace

CLoginDlg::CLoginDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("平台用户登录"));
    m_user = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_user->setObjectName(QStringLiteral("userEdit"));
    m_password->setObjectName(QStringLiteral("passwordEdit"));

    auto *form = new QFormLayout;
    form->addRow(tr("用户名:"), m_user);
    form->addRow(tr("密码:"), m_password);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *login = buttons->addButton(tr("登录"), QDialogButtonBox::AcceptRole);
    login->setObjectName(QStringLiteral("loginButton"));
    login->setDefault(true);
    QPushButton *direct = buttons->addButton(tr("直连数据库"), QDialogButtonBox::ActionRole);
    direct->setObjectName(QStringLiteral("directButton"));
    QPushButton *cancel = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(login, &QPushButton::clicked, this, &CLoginDlg::onLogin);
    connect(direct, &QPushButton::clicked, this, &CLoginDlg::onDirectConnect);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CLoginDlg::onLogin()
{
    const QString error = authenticate(m_user->text().trimmed(), m_password->text());
    if (!error.isEmpty()) {
        showFailure(error);
        return;
    }
    accept();
}

void CLoginDlg::onDirectConnect()
{
    emit sigDirectConnect();
    done(0);
}

void CLoginDlg::showFailure(const QString &text)
{
    orv_ui::information(this, tr("登录失败"), tr("失败原因:") + QLatin1Char('\n') + text);
    m_password->clear();
    m_password->setFocus();
}

QString CLoginDlg::authenticate(const QString &name, const QString &password)
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
            readFunctions(db);
    }
    DbConnection::close(QLatin1String(kConnection));
    return error;
}

QString CLoginDlg::checkPassword(QSqlDatabase &db, const QString &name, const QString &password)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT PERM_ID, PERM_NAME, PERM_ALIAS, PERM_PASSWORD, PERM_USER_GROUP "
                                 "FROM RM_USER_DEF WHERE PERM_NAME = ?"));
    query.addBindValue(name);
    if (!query.exec())
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

void CLoginDlg::rehash(QSqlDatabase &db, const QString &password)
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

void CLoginDlg::readFunctions(QSqlDatabase &db)
{
    // Functions of the group: group -> roles -> special functions.
    m_functions.clear();
    QSqlQuery rights(db);
    rights.setForwardOnly(true);
    QList<int> roles;
    rights.prepare(QStringLiteral("SELECT * FROM RM_USERG_DEF WHERE PERM_ID = ?"));
    rights.addBindValue(m_groupId);
    if (rights.exec() && rights.next())
        roles = granted(rights, QStringLiteral("PERM_ROLE"), 8);
    rights.finish();
    QList<int> functions;
    if (rights.exec(QStringLiteral("SELECT * FROM RM_ROLE_DEF WHERE PERM_ID IN (%1);").arg(inList(roles))))
        while (rights.next())
            functions += granted(rights, QStringLiteral("PERM_SPE_FUNC"), 8);
    rights.finish();
    if (rights.exec(QStringLiteral("SELECT FUNC_CODE FROM RM_SPCL_FUNC_DEF WHERE PERM_ID IN (%1);").arg(inList(functions))))
        while (rights.next())
            m_functions.insert(rights.value(0).toString());
    rights.finish();
}

int CLoginDlg::getUserInfo(int &userId, QString &userName, QString &alias)
{
    userId = m_userId;
    userName = m_userName;
    alias = m_alias;
    return m_userId >= 0 ? 0 : -1;
}

int CLoginDlg::checkPerm(const QString &functionCode)
{
    return m_functions.contains(functionCode) ? 0 : 1;
}
