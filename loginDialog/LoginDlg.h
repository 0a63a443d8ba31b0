#pragma once

#include <QDialog>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
struct DbTls;
namespace orv_public {
class IniSettings;
}

namespace DbConnection {
enum class LinkField;
}

// Connects the tool directly to a configuration database with typed-in parameters, remembered
// per database type in ModelConfig.ini.
class LoginDlg : public QDialog
{
    Q_OBJECT
public:
    explicit LoginDlg(QWidget *parent = nullptr);

    // True when the linked database holds at least one domain, location, application and
    // subsystem; otherwise reason says which is missing, and detail the database's own reason
    // when a query failed.
    static bool checkModelContext(QString &reason, QString *detail = nullptr);
    static QString settingsPath();

    // True when the last run ended because the link could not be opened, not because the user
    // cancelled: the caller shows the dialog again with what was typed.
    bool lastAttemptFailed() const { return m_failed; }

public slots:
    void onLoad();
    void onDbTypeChange(const QString &text);
    void reject() override;

private:
    void saveInputs();
    void addTlsRows(QGridLayout *grid, int firstRow);
    QLineEdit *addFileRow(QGridLayout *grid, int row, const QString &label, const char *name);
    void loadTls(const QString &type);
    void saveTls(orv_public::IniSettings &settings, const QString &type) const;
    DbTls tlsInputs() const;
    void onTlsModeChange();
    // Names the fields to correct after the reason, and puts the cursor into the first of them.
    QString markFailedField(DbConnection::LinkField field);

    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_port = nullptr;
    QComboBox *m_dbType = nullptr;
    QLineEdit *m_dbName = nullptr;
    QComboBox *m_tlsMode = nullptr;
    QLineEdit *m_caFile = nullptr;
    QLineEdit *m_certFile = nullptr;
    QLineEdit *m_keyFile = nullptr;
    QPushButton *m_login = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_failed = false;
};
