#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a text to find and the text to put in its place.
class OrvReplaceDlg : public QDialog
{
    Q_OBJECT
public:
    explicit OrvReplaceDlg(QWidget *parent = nullptr);

    void setFind(QString text);
    void setReplace(QString text);
    QString getFind() const;
    QString getReplace() const;

private:
    QLineEdit *m_find = nullptr;
    QLineEdit *m_replace = nullptr;
};
