#include "checkListItem.h"
#include "DefinitionText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>

checkListItem::checkListItem(QWidget *parent)
    : QWidget(parent)
{
    m_name = new QLabel(this);
    m_check = new QCheckBox(this);
    m_check->setChecked(true);
    m_status = new QLabel(QStringLiteral("icon"), this);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_name);
    layout->addStretch();
    layout->addWidget(m_check);
    layout->addWidget(m_status);
}

void checkListItem::setCheckType(ST_CfgCheckType *pType)
{
    m_type = pType;
    m_name->setText(pType ? orv_public::definitionText("configcheck.xml", pType->strName) : QString());
}

void checkListItem::setDisplayMode(DisplayMode mode)
{
    m_check->setVisible(mode == CheckBoxMode);
    m_status->setVisible(mode == StatusMode);
}

bool checkListItem::isChecked() const
{
    return m_check->isChecked();
}

void checkListItem::setChecked(bool checked)
{
    m_check->setChecked(checked);
}

QString checkListItem::statusText() const
{
    return m_status->text();
}

void checkListItem::onCheckProgress(int nValue)
{
    m_status->setText(QString::number(nValue));
    // The run holds the event loop; paint now so the progress is seen.
    m_status->repaint();
}
