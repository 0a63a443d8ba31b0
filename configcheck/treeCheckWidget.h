#pragma once

#include "CfgCheckTypes.h"

#include <QWidget>

class QCheckBox;

// The "repair this item" tick of a results-tree row.
class treeCheckWidget : public QWidget
{
    Q_OBJECT
public:
    explicit treeCheckWidget(QWidget *parent = nullptr);

    void setCheckItem(ST_CfgCheckItem *pItem) { m_item = pItem; }
    ST_CfgCheckItem *checkItem() const { return m_item; }
    bool isChecked() const;
    QCheckBox *checkBox() const { return m_check; }
    // Unticked and locked, with the reason as tooltip.
    void setReadOnly(const QString &reason);

private:
    ST_CfgCheckItem *m_item = nullptr;
    QCheckBox *m_check = nullptr;
};
