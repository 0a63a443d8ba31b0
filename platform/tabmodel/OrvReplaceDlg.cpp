#include "OrvReplaceDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

OrvReplaceDlg::OrvReplaceDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("查找与替换"));
    m_find = new QLineEdit(this);
    m_replace = new QLineEdit(this);
    auto *form = new QFormLayout;
    form->addRow(tr("查找:"), m_find);
    form->addRow(tr("替换为:"), m_replace);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void OrvReplaceDlg::setFind(QString text) { m_find->setText(text); }
void OrvReplaceDlg::setReplace(QString text) { m_replace->setText(text); }
QString OrvReplaceDlg::getFind() const { return m_find->text(); }
QString OrvReplaceDlg::getReplace() const { return m_replace->text(); }
