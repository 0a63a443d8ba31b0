#include "OrvInputDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

OrvInputDlg::OrvInputDlg(QWidget *parent)
    : QDialog(parent)
{
    build();
}

OrvInputDlg::OrvInputDlg(QString &format, int start, QWidget *parent)
    : QDialog(parent)
{
    build();
    m_format->setText(format);
    m_start->setValue(start);
}

void OrvInputDlg::build()
{
    setWindowTitle(tr("自定义自增"));
    m_format = new QLineEdit(this);
    m_format->setPlaceholderText(tr("例如 AI_%1"));
    m_start = new QSpinBox(this);
    m_start->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());

    auto *form = new QFormLayout;
    form->addRow(tr("文本格式:"), m_format);
    form->addRow(tr("起始值:"), m_start);
    auto *hint = new QLabel(tr("格式中的 %1 依次替换为 起始值、起始值+1 ..."), this);
    hint->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
}

QString OrvInputDlg::getText() const
{
    return m_format->text();
}

int OrvInputDlg::getInt() const
{
    return m_start->value();
}
