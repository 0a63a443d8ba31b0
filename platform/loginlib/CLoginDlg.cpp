#include "CLoginDlg.h"

#include "OrvMessage.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    const QString error = m_account.authenticate(m_user->text().trimmed(), m_password->text());
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

int CLoginDlg::getUserInfo(int &userId, QString &userName, QString &alias)
{
    userId = m_account.userId();
    userName = m_account.userName();
    alias = m_account.alias();
    return userId >= 0 ? 0 : -1;
}

int CLoginDlg::checkPerm(const QString &functionCode)
{
    return m_account.holds(functionCode) ? 0 : 1;
}
