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
    // Set when a query of the last run failed: the item could not be checked and has no findings.
    QString strCheckFailure; // the database's reason
    QString strFailedQuery;
};

// One "type" of configcheck.xml: a check group.
struct ST_CfgCheckType
{
    bool bEnable = false;
    bool bHasError = false; // an item has findings or could not be checked
    QString strName;
    QList<ST_CfgCheckItem> lstItems;
};

// What one run of a check rule gives: its findings, or why it could not check.
struct ST_CfgCheckResult
{
    QList<ST_CfgCheckError> lstErrors;
    QString strFailure; // empty when every query of the rule ran; then lstErrors is empty
    QString strFailedQuery;
};

Q_DECLARE_METATYPE(ST_CfgCheckItem *)
