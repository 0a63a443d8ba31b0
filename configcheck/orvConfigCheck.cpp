#include "orvConfigCheck.h"

#include "Common.h"
#include "OrvTableDataMgr.h"
#include "SqlText.h"
#include "LinkRules.h"
#include "TagNameRules.h"

#include <QFile>
#include <QXmlStreamReader>

orvConfigCheck::orvConfigCheck(QObject *parent)
    : orvConfigCheck(defaultConfigPath(), parent)
{
}

orvConfigCheck::orvConfigCheck(const QString &path, QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<ST_CfgCheckItem *>();
    initFuncMap();
    loadConfig(path);
}

QString orvConfigCheck::defaultConfigPath()
{
    return Common::getTreePath(QStringLiteral("../fileLogic/configcheck.xml"));
}

void orvConfigCheck::initFuncMap()
{
    mapCheckFunc = {
        {QStringLiteral("FUNC_CHECK_NULL"), FUNC_CHECK_NULL},
        {QStringLiteral("FUNC_CHECK_CHANNEL_TAGNAME"), FUNC_CHECK_CHANNEL_TAGNAME},
        {QStringLiteral("FUNC_CHECK_RTU_TAGNAME"), FUNC_CHECK_RTU_TAGNAME},
        {QStringLiteral("FUNC_CHECK_FESPOINT_TAGNAME"), FUNC_CHECK_FESPOINT_TAGNAME},
        {QStringLiteral("FUNC_CHECK_FES_DATABLOCK_TAGNAME"), FUNC_CHECK_FES_DATABLOCK_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_GROUP_TAGNAME"), FUNC_CHECK_DEV_GROUP_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_TAGNAME"), FUNC_CHECK_DEV_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_POINT_TAGNAME"), FUNC_CHECK_DEV_POINT_TAGNAME},
        {QStringLiteral("FUNC_CHECK_DEV_POINT_LINK_FES"), FUNC_CHECK_DEV_POINT_LINK_FES},
        {QStringLiteral("FUNC_CHECK_LINk"), FUNC_CHECK_LINK},
        {QStringLiteral("FUNC_CHECK_LOCK_PARAM_IS_CONTROL"), FUNC_CHECK_LOCK_PARAM_IS_CONTROL},
        {QStringLiteral("FUNC_CHECK_POINT_IS_EXIST"), FUNC_CHECK_POINT_IS_EXIST},
        {QStringLiteral("FUNC_CHECK_ACCESS"), FUNC_CHECK_ACCESS},
    };
    mapRepairFunc = {
        {QStringLiteral("FUNC_NULL"), FUNC_NULL},
        {QStringLiteral("FUNC_DELETE"), FUNC_DELETE},
    };
}

void orvConfigCheck::loadConfig(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadError = tr("无法打开检查配置文件 %1: %2").arg(path, file.errorString());
        return;
    }
    ST_CfgCheckType group;
    ST_CfgCheckItem item;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("type")) {
                group.bEnable = a.value(QLatin1String("enable")) == QLatin1String("true");
                group.strName = a.value(QLatin1String("name")).toString();
            } else if (xml.name() == QLatin1String("checkitem")) {
                item.strTable = a.value(QLatin1String("table")).toString();
                item.strDes = a.value(QLatin1String("des")).toString();
                item.nCheckRule = mapCheckFunc.value(a.value(QLatin1String("checkRule")).toString(), FUNC_CHECK_NULL);
                item.nRepairRule = mapRepairFunc.value(a.value(QLatin1String("repairRule")).toString(), FUNC_NULL);
                item.bCanRepair = item.nRepairRule != FUNC_NULL;
            } else if (xml.name() == QLatin1String("param")) {
                item.lstParams.append(a.value(QLatin1String("value")).toString());
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("type")) {
                lstTypes.append(group);
                group = ST_CfgCheckType();
            } else if (xml.name() == QLatin1String("checkitem")) {
                group.lstItems.append(item);
                item = ST_CfgCheckItem();
            }
        }
    }
    if (xml.hasError())
        m_loadError = tr("检查配置文件 %1 格式错误(第%2行): %3").arg(path).arg(xml.lineNumber()).arg(xml.errorString());
}

QList<ST_CfgCheckError> orvConfigCheck::runRule(const ST_CfgCheckItem &item)
{
    using namespace CfgCheckRules;
    switch (item.nCheckRule) {
    case FUNC_CHECK_CHANNEL_TAGNAME: return checkChannelTagName();
    case FUNC_CHECK_RTU_TAGNAME: return checkRtuTagName();
    case FUNC_CHECK_FESPOINT_TAGNAME: return checkFesPointTagName(item.lstParams);
    case FUNC_CHECK_FES_DATABLOCK_TAGNAME: return checkFesDataBlockTagName(item.lstParams);
    case FUNC_CHECK_DEV_GROUP_TAGNAME: return checkDevGroupTagName();
    case FUNC_CHECK_DEV_TAGNAME: return checkDevTagName();
    case FUNC_CHECK_DEV_POINT_TAGNAME: return checkDevPointTagName(item.lstParams);
    case FUNC_CHECK_DEV_POINT_LINK_FES: return checkDevPointLinkFes(this, item.lstParams);
    case FUNC_CHECK_LINK: return checkLink(this, item.lstParams);
    case FUNC_CHECK_LOCK_PARAM_IS_CONTROL: return checkLockParamIsControl(this, item.lstParams);
    case FUNC_CHECK_POINT_IS_EXIST: return checkPointIsExist(this, item.lstParams);
    case FUNC_CHECK_ACCESS: return checkAccess(this);
    default: return {};
    }
}

void orvConfigCheck::checkType(ST_CfgCheckType *pType)
{
    if (!pType)
        return;
    pType->bHasError = false;
    for (ST_CfgCheckItem &item : pType->lstItems) {
        item.lstErrors.clear();
        item.lstErrors.append(runRule(item));
        if (!item.lstErrors.isEmpty())
            pType->bHasError = true;
    }
}

bool orvConfigCheck::repairItem(ST_CfgCheckItem *pItem)
{
    if (!pItem || pItem->nRepairRule != FUNC_DELETE)
        return true;
    return repairDelete(pItem);
}

bool orvConfigCheck::repairDelete(ST_CfgCheckItem *pItem)
{
    if (pItem->lstParams.size() < 3)
        return true;
    const QString table = pItem->lstParams.at(0);
    const QString key = pItem->lstParams.at(2);
    QStringList sqls;
    QList<int> removed;
    for (int i = pItem->lstErrors.size() - 1; i >= 0; --i) {
        if (!pItem->lstErrors.at(i).bSelected)
            continue;
        sqls.append(QStringLiteral("delete from %1 where %2 = '%3';")
                        .arg(table, key, orv_sql::escaped(pItem->lstErrors.at(i).strTagName)));
        removed.append(i);
    }
    if (sqls.isEmpty())
        return true;
    // All or nothing: the findings go only when their records went. The caller tells the user.
    m_repairError = OrvTableDataMgr::getInstance()->executeBatch(sqls);
    if (!m_repairError.isEmpty())
        return false;
    for (int i : removed)
        pItem->lstErrors.removeAt(i);
    return true;
}
