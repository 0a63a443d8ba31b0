#pragma once

#include "CfgCheckTypes.h"

#include <QWidget>

class QCheckBox;
class QLabel;

// One check group as a list row: a tick to choose it, or the progress of its run.
class checkListItem : public QWidget
{
    Q_OBJECT
public:
    enum DisplayMode { CheckBoxMode, StatusMode };

    explicit checkListItem(QWidget *parent = nullptr);

    void setCheckType(ST_CfgCheckType *pType);
    ST_CfgCheckType *checkType() const { return m_type; }
    void setDisplayMode(DisplayMode mode);
    bool isChecked() const;
    void setChecked(bool checked);
    QString statusText() const;

public slots:
    void onCheckProgress(int nValue);

private:
    ST_CfgCheckType *m_type = nullptr;
    QLabel *m_name = nullptr;
    QCheckBox *m_check = nullptr;
    QLabel *m_status = nullptr;
};
