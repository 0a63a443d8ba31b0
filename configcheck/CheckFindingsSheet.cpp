#include "CheckFindingsSheet.h"

#include <QCoreApplication>

namespace CheckFindingsSheet {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CheckFindingsSheet", text);
}

QVector<SheetColumn> columns(bool withItem)
{
    QStringList descriptions{tr("标签名"), tr("描述"), tr("错误原因")};
    QStringList names{QStringLiteral("tag"), QStringLiteral("description"), QStringLiteral("reason")};
    if (withItem) {
        descriptions = QStringList{tr("检查组"), tr("检查项目")} + descriptions;
        names = QStringList{QStringLiteral("group"), QStringLiteral("item")} + names;
    }
    return SheetData::textColumns(descriptions, names);
}

} // namespace

TextSheet ofGroups(const QList<const ST_CfgCheckType *> &groups)
{
    TextSheet sheet(columns(true));
    for (const ST_CfgCheckType *group : groups) {
        for (const ST_CfgCheckItem &item : group->lstItems) {
            if (!item.strCheckFailure.isEmpty())
                sheet.append({group->strName, item.strDes, QString(), QString(), tr("检查失败：") + item.strCheckFailure});
            for (const ST_CfgCheckError &e : item.lstErrors)
                sheet.append({group->strName, item.strDes, e.strTagName, e.strDesc, e.strReason});
        }
    }
    return sheet;
}

TextSheet ofItem(const ST_CfgCheckItem &item)
{
    TextSheet sheet(columns(false));
    for (const ST_CfgCheckError &e : item.lstErrors)
        sheet.append({e.strTagName, e.strDesc, e.strReason});
    return sheet;
}

} // namespace CheckFindingsSheet
