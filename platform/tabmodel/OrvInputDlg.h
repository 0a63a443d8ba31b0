#pragma once

#include <QDialog>

class QLineEdit;
class QSpinBox;

// Asks for a numbering format holding "%1" and the number to start from.
class OrvInputDlg : public QDialog
{
    Q_OBJECT
public:
    explicit OrvInputDlg(QWidget *parent = nullptr);
    OrvInputDlg(QString &format, int start, QWidget *parent);

    QString getText() const;
    int getInt() const;

private:
    void build();

    QLineEdit *m_format = nullptr;
    QSpinBox *m_start = nullptr;
};
