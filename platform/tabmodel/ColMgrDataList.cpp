#include "ColMgrDataList.h"

#include <QCoreApplication>

QString ColMgrData::refusal(const QString &value) const
{
    const QString reason = kind.refusal(value);
    if (reason.isEmpty())
        return QString();
    return QCoreApplication::translate("ColMgrData", "“%1”(%2)不能保存值“%3”：%4").arg(description, sqlName, value, reason);
}

SqlWrite::Condition ColMgrData::stillHolds(const QString &readText) const
{
    return {sqlName, readText.isEmpty() ? QVariant() : QVariant(readText), !kind.isNumeric()};
}

int ColMgrDataList::findCol(const QString &sqlName) const
{
    for (int i = 0; i < size(); ++i)
        if (at(i).sqlName.compare(sqlName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QStringList ColMgrDataList::getSqlName() const
{
    QStringList names;
    for (const ColMgrData &c : *this)
        names.append(c.sqlName);
    return names;
}

QStringList ColMgrDataList::getDescList() const
{
    QStringList names;
    for (const ColMgrData &c : *this)
        names.append(c.description);
    return names;
}

QList<int> ColMgrDataList::getShowCol(bool all) const
{
    QList<int> cols;
    for (int i = 0; i < size(); ++i)
        if (all || at(i).shown)
            cols.append(i);
    return cols;
}

QList<int> ColMgrDataList::primaryKeyCols() const
{
    QList<int> cols;
    for (int i = 0; i < size(); ++i)
        if (at(i).primaryKey)
            cols.append(i);
    return cols;
}
