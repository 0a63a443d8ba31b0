#include "treeCheckWidget.h"

#include <QCheckBox>
#include <QHBoxLayout>

treeCheckWidget::treeCheckWidget(QWidget *parent)
    : QWidget(parent)
{
    m_check = new QCheckBox(this);
    m_check->setChecked(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addSpacing(50);
    layout->addWidget(m_check);
}

bool treeCheckWidget::isChecked() const
{
    return m_check->isChecked();
}

void treeCheckWidget::setReadOnly(const QString &reason)
{
    m_check->setChecked(false);
    m_check->setEnabled(false);
    setToolTip(reason);
}
