#include "CLoginDlg.h"

#include "DbConnection.h"
#include "OrvDbDesign.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"
#include "PasswordHash.h"
#include "SqlText.h"

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
    const QString error = DbConnection::open(OrvTableDataMgr::platformLinkParams(), QLatin1String(kConnection));
    if (!error.isEmpty())
        return tr("无法连接平台数据库: %1").arg(error);

    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(kConnection));
        QSqlQuery query(db);
        query.setForwardOnly(true);
        const QString sql = QStringLiteral("SELECT PERM_ID, PERM_NAME, PERM_ALIAS, PERM_PASSWORD, PERM_USER_GROUP "
                                           "FROM RM_USER_DEF WHERE PERM_NAME = '%1';").arg(orv_sql::escaped(name));
        if (!query.exec(sql)) {
            failure = tr("读取平台用户失败: %1").arg(query.lastError().text());
        } else if (!query.next() || !orv_public::PasswordHash::verify(password, query.value(3).toString())) {
            failure = tr("用户名或密码错误");
        } else {
            m_userId = query.value(0).toInt();
            m_userName = query.value(1).toString();
            m_alias = query.value(2).toString();
            const int group = query.value(4).toInt();
            query.finish();
            m_functions.clear();
            // Functions of the group: group -> roles -> special functions.
            QSqlQuery rights(db);
            rights.setForwardOnly(true);
            QList<int> roles;
            if (rights.exec(QStringLiteral("SELECT * FROM RM_USERG_DEF WHERE PERM_ID = %1;").arg(group)) && rights.next())
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
    }
    DbConnection::close(QLatin1String(kConnection));
    return failure;
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
