#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// One finding of a check item.
struct ST_CfgCheckError
{
    bool bSelected = false;
    QString strTagName;
    QString strDesc;
    QString strReason;
};

// One "checkitem" of configcheck.xml with the findings of its last run.
struct ST_CfgCheckItem
{
    QString strTable;
    QString strDes;
    QStringList lstParams;
    bool bCanRepair = false;
    int nCheckRule = 0;
    int nRepairRule = 0;
    QList<ST_CfgCheckError> lstErrors;
};

// One "type" of configcheck.xml: a check group.
struct ST_CfgCheckType
{
    bool bEnable = false;
    bool bHasError = false;
    QString strName;
    QList<ST_CfgCheckItem> lstItems;
};

Q_DECLARE_METATYPE(ST_CfgCheckItem *)
