#include "LoginDlg.h"

#include "CFileUtil.h"
#include "Common.h"
#include "IniSettings.h"
#include "ModelContext.h"
#include "OrvLog.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const kDefaultPassword = "qzvnt@4821";

QString setting(const QString &key, const QString &fallback)
{
    const orv_public::IniSettings settings = Common::modelConfig();
    if (settings.isUnreadable(key))
        ORV_LOG_ERROR(QObject::tr("连接设置 %1 中 %2 的值不是文本，按默认值读取").arg(settings.path(), key));
    return settings.value(key, fallback);
}

} // namespace

LoginDlg::LoginDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("登录"));
    m_user = new QLineEdit(setting(QStringLiteral("MySQL/login/user"), QStringLiteral("root")), this);
    m_password = new QLineEdit(setting(QStringLiteral("MySQL/login/psw"), QLatin1String(kDefaultPassword)), this);
    m_password->setEchoMode(QLineEdit::Password);
    m_address = new QLineEdit(setting(QStringLiteral("MySQL/login/ip"), QStringLiteral("127.0.0.1")), this);
    m_port = new QLineEdit(setting(QStringLiteral("MySQL/login/port"), QStringLiteral("3306")), this);
    m_dbType = new QComboBox(this);
    m_dbType->setView(new QListView(m_dbType));
    m_dbName = new QLineEdit(setting(QStringLiteral("MySQL/login/dbname"), QStringLiteral("velm4100")), this);
    m_login = new QPushButton(tr("登录"), this);
    m_cancel = new QPushButton(tr("取消"), this);
    m_user->setObjectName(QStringLiteral("userEdit"));
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_address->setObjectName(QStringLiteral("addressEdit"));
    m_port->setObjectName(QStringLiteral("portEdit"));
    m_dbType->setObjectName(QStringLiteral("dbTypeBox"));
    m_dbName->setObjectName(QStringLiteral("dbNameEdit"));
    m_login->setObjectName(QStringLiteral("loginButton"));

    auto *grid = new QGridLayout;
    const QList<QPair<QString, QWidget *>> rows = {
        {tr("用户"), m_user},          {tr("密码"), m_password},   {tr("IP地址："), m_address},
        {tr("端口"), m_port},          {tr("数据库类型"), m_dbType}, {tr("数据库名称:"), m_dbName},
    };
    for (int r = 0; r < rows.size(); ++r) {
        grid->addWidget(new QLabel(rows.at(r).first, this), r, 0);
        grid->addWidget(rows.at(r).second, r, 1);
    }
    addTlsRows(grid, rows.size());
    loadTls(QStringLiteral("MySQL"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_login);
    buttons->addWidget(m_cancel);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addStretch();
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    m_dbType->addItem(tr("MySQL"), int(orv_dbms::DB_MYSQL));
    m_dbType->addItem(tr("Oracle"), int(orv_dbms::DB_ORACLE));
    m_dbType->addItem(tr("OpenGauss"), int(orv_dbms::DB_OPENGAUSS));
    m_dbType->addItem(tr("KingBase"), int(orv_dbms::DB_KINGBASE));
    connect(m_dbType, &QComboBox::currentTextChanged, this, &LoginDlg::onDbTypeChange);
    m_dbType->setCurrentText(setting(QStringLiteral("login/dbtype"), QStringLiteral("MySQL")));

    connect(m_login, &QPushButton::clicked, this, &LoginDlg::onLoad);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString LoginDlg::settingsPath()
{
    return Common::getModelConfigPath() + QStringLiteral("/ModelConfig.ini");
}

void LoginDlg::onDbTypeChange(const QString &text)
{
    QString user;
    QString port;
    if (text == QLatin1String("OpenGauss")) {
        user = setting(QStringLiteral("OpenGauss/login/user"), QStringLiteral("velm"));
        port = setting(QStringLiteral("OpenGauss/login/port"), QStringLiteral("5432"));
    } else if (text == QLatin1String("KingBase")) {
        user = setting(QStringLiteral("KingBase/login/user"), QStringLiteral("system"));
        port = setting(QStringLiteral("KingBase/login/port"), QStringLiteral("54321"));
    } else {
        user = setting(QStringLiteral("MySQL/login/user"), QStringLiteral("root"));
        port = setting(QStringLiteral("MySQL/login/port"), QStringLiteral("3306"));
    }
    m_user->setText(user);
    m_port->setText(port);
    m_password->setText(setting(text + QStringLiteral("/login/psw"), QLatin1String(kDefaultPassword)));
    m_address->setText(setting(text + QStringLiteral("/login/ip"), QStringLiteral("127.0.0.1")));
    m_dbName->setText(setting(text + QStringLiteral("/login/dbname"), QStringLiteral("velm4100")));
    loadTls(text);
}

void LoginDlg::addTlsRows(QGridLayout *grid, int firstRow)
{
    m_tlsMode = new QComboBox(this);
    m_tlsMode->setObjectName(QStringLiteral("tlsModeBox"));
    m_tlsMode->setView(new QListView(m_tlsMode));
    for (DbTls::Mode mode : {DbTls::Off, DbTls::Preferred, DbTls::Required, DbTls::Verify})
        m_tlsMode->addItem(DbTls::modeTitle(mode), int(mode));
    m_tlsMode->setToolTip(tr("首选：服务器提供加密时加密，不检查证书\n必需：只用加密连接；给出CA证书时检查证书链\n"
                             "验证服务器：只用加密连接，并检查证书链和主机名"));
    grid->addWidget(new QLabel(tr("加密连接"), this), firstRow, 0);
    grid->addWidget(m_tlsMode, firstRow, 1);
    m_caFile = addFileRow(grid, firstRow + 1, tr("CA证书"), "caFileEdit");
    m_certFile = addFileRow(grid, firstRow + 2, tr("客户端证书"), "certFileEdit");
    m_keyFile = addFileRow(grid, firstRow + 3, tr("客户端私钥"), "keyFileEdit");
    connect(m_tlsMode, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &LoginDlg::onTlsModeChange);
}

QLineEdit *LoginDlg::addFileRow(QGridLayout *grid, int row, const QString &label, const char *name)
{
    // Edit and button in one widget, enabled together.
    auto *field = new QWidget(this);
    auto *edit = new QLineEdit(field);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(tr("可不填"));
    auto *browse = new QToolButton(field);
    browse->setText(QStringLiteral("…"));
    browse->setToolTip(tr("选择文件"));
    connect(browse, &QToolButton::clicked, this, [this, edit, label] {
        const QString file = QFileDialog::getOpenFileName(this, label, edit->text(), tr("证书和私钥 (*.pem *.crt *.cer *.key);;所有文件 (*)"));
        if (!file.isEmpty())
            edit->setText(QDir::toNativeSeparators(file));
    });
    auto *line = new QHBoxLayout(field);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(edit);
    line->addWidget(browse);
    grid->addWidget(new QLabel(label, this), row, 0);
    grid->addWidget(field, row, 1);
    return edit;
}

void LoginDlg::loadTls(const QString &type)
{
    bool known = false;
    const DbTls::Mode mode = DbTls::modeFromName(setting(type + QStringLiteral("/login/tls"), DbTls::modeName(DbTls::Preferred)), &known);
    m_tlsMode->setCurrentIndex(m_tlsMode->findData(int(known ? mode : DbTls::Preferred)));
    m_caFile->setText(setting(type + QStringLiteral("/login/tlsca"), QString()));
    m_certFile->setText(setting(type + QStringLiteral("/login/tlscert"), QString()));
    m_keyFile->setText(setting(type + QStringLiteral("/login/tlskey"), QString()));
    onTlsModeChange();
}

void LoginDlg::saveTls(orv_public::IniSettings &settings, const QString &type) const
{
    const DbTls tls = tlsInputs();
    settings.setValue(type + QStringLiteral("/login/tls"), DbTls::modeName(tls.mode));
    settings.setValue(type + QStringLiteral("/login/tlsca"), tls.caFile);
    settings.setValue(type + QStringLiteral("/login/tlscert"), tls.certFile);
    settings.setValue(type + QStringLiteral("/login/tlskey"), tls.keyFile);
}

DbTls LoginDlg::tlsInputs() const
{
    DbTls tls;
    tls.mode = DbTls::Mode(m_tlsMode->currentData().toInt());
    tls.caFile = m_caFile->text().trimmed();
    tls.certFile = m_certFile->text().trimmed();
    tls.keyFile = m_keyFile->text().trimmed();
    return tls;
}

void LoginDlg::onTlsModeChange()
{
    const bool encrypted = m_tlsMode->currentData().toInt() != DbTls::Off;
    for (QLineEdit *edit : {m_caFile, m_certFile, m_keyFile})
        edit->parentWidget()->setEnabled(encrypted);
}

void LoginDlg::onLoad()
{
    QProcess waiting;
    const std::string waitingPath = orv_public::CFileUtil::getPathOfBinFile(
        std::string("model_waiting_dlg") + orv_public::CFileUtil::getProcSuffix(), nullptr);
    if (!waitingPath.empty())
        waiting.start(QString::fromStdString(waitingPath), QStringList(), QIODevice::ReadWrite);

    hide();
    const auto type = orv_dbms::EDbType(m_dbType->currentData(Qt::UserRole).toInt());
    const int port = m_port->text().toInt(nullptr, 10);
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    QString error = mgr->initDBLink(DataBaseInterface::LINK_DIRECT, m_user->text(), m_password->text(),
                                    m_address->text(), port, m_dbName->text(), type, tlsInputs());
    DbConnection::LinkField field = mgr->lastLinkField();
    if (error.isEmpty()) {
        QString reason;
        QString detail;
        if (!checkModelContext(reason, &detail)) {
            error = reason + tr(",可能未进行系统建模!") + (detail.isEmpty() ? QString() : QLatin1Char('\n') + detail);
            field = DbConnection::LinkField::Database;
        }
    }
    m_failed = !error.isEmpty();
    if (!m_failed) {
        waiting.close();
        accept();
    } else {
        mgr->onSysQuit();
        waiting.close();
        orv_ui::information(this, tr("登录失败"), tr("失败原因:") + QLatin1Char('\n') + error + markFailedField(field));
    }
    saveInputs();
}

void LoginDlg::reject()
{
    m_failed = false;
    QDialog::reject();
}

QString LoginDlg::markFailedField(DbConnection::LinkField field)
{
    using F = DbConnection::LinkField;
    QList<QPair<QString, QWidget *>> fields;
    switch (field) {
    case F::Type: fields = {{tr("数据库类型"), m_dbType}}; break;
    case F::Server: fields = {{tr("IP地址"), m_address}, {tr("端口"), m_port}}; break;
    case F::Credentials: fields = {{tr("密码"), m_password}, {tr("用户"), m_user}}; break;
    case F::User: fields = {{tr("用户"), m_user}}; break;
    case F::Database: fields = {{tr("数据库名称"), m_dbName}}; break;
    case F::Tls: fields = {{tr("加密连接"), m_tlsMode}}; break;
    case F::None: return QString();
    }
    QStringList names;
    for (const auto &f : fields)
        names.append(f.first);
    QWidget *first = fields.first().second;
    first->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(first))
        edit->selectAll();
    return QLatin1Char('\n') + tr("请检查：%1").arg(names.join(tr("、")));
}

void LoginDlg::saveInputs()
{
    orv_public::IniSettings settings(settingsPath());
    const QString prefix = m_dbType->currentText();
    settings.setValue(prefix + QStringLiteral("/login/user"), m_user->text());
    settings.setValue(prefix + QStringLiteral("/login/psw"), m_password->text());
    settings.setValue(prefix + QStringLiteral("/login/ip"), m_address->text());
    settings.setValue(prefix + QStringLiteral("/login/port"), m_port->text());
    settings.setValue(prefix + QStringLiteral("/login/dbname"), m_dbName->text());
    settings.setValue(QStringLiteral("login/dbtype"), prefix);
    saveTls(settings, prefix);
    const QString error = settings.save();
    if (error.isEmpty())
        return;
    const QString text = tr("无法保存连接设置到 %1: %2").arg(settings.path(), error);
    ORV_LOG_ERROR(text);
    // Said once a run: every later attempt would fail the same way.
    static bool said = false;
    if (!said) {
        said = true;
        orv_ui::information(this, tr("消息"), text);
    }
}

bool LoginDlg::checkModelContext(QString &reason, QString *detail)
{
    return ModelContext::check(reason, detail);
}
