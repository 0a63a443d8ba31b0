#include "LinkRules.h"

#include "Common.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "SqlText.h"
#include "orvConfigCheck.h"

#include <QCoreApplication>
#include <QHash>
#include <QListWidgetItem>
#include <QRegularExpression>
#include <QSet>

namespace CfgCheckRules {
namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CfgCheckRules", source);
}

ST_CfgCheckError finding(const QString &tag, const QString &desc, const QString &reason)
{
    return ST_CfgCheckError{false, tag, desc, reason};
}

// --- permission tables ---

struct Entry
{
    QString text;
    QString id;
};

// One entry per row of a catalogue query: display text and identifier.
QList<Entry> catalogue(const QString &sql, const QString &display, const QString &data)
{
    QList<Entry> entries;
    const QList<QListWidgetItem *> items = OrvDbDesign().getSqlItems(sql, display, data, false);
    for (QListWidgetItem *item : items)
        entries.append({item->text(), item->data(Qt::UserRole).toString()});
    qDeleteAll(items);
    return entries;
}

// Identifier -> text; where identifiers repeat, the last entry counts.
QHash<QString, QString> byId(const QList<Entry> &entries)
{
    QHash<QString, QString> map;
    for (const Entry &e : entries)
        map.insert(e.id, e.text);
    return map;
}

// The words prefix1..prefixN of a row; a missing column or a text that is no number gives 0.
QList<int> words(OrvTableModel *model, const QStringList &row, const QString &prefix, int count)
{
    QList<int> list;
    for (int i = 1; i <= count; ++i) {
        const int col = model->findCol(prefix + QString::number(i));
        list.append(col >= 0 ? OrvDbDesign::permissionWord(row.value(col)) : 0);
    }
    return list;
}

QSet<int> granted(OrvTableModel *model, const QStringList &row, const QString &prefix, int count)
{
    const QList<int> ids = OrvDbDesign().testBit(words(model, row, prefix, count));
    return QSet<int>(ids.begin(), ids.end());
}

QList<Entry> keepGranted(const QList<Entry> &entries, const QSet<int> &ids)
{
    QList<Entry> kept;
    for (const Entry &e : entries)
        if (ids.contains(e.id.toInt()))
            kept.append(e);
    return kept;
}

OrvTableModel *view(const QString &definition, const QString &condition)
{
    OrvTableModel *model = OrvTableDataMgr::getInstance()->createModel(Common::createViewName(definition, condition));
    if (model)
        model->load(true);
    return model;
}

QString pairFilter(const QString &column, const QString &value)
{
    return QStringLiteral("%1='%2'").arg(column, orv_sql::escaped(value));
}

OrvTableModel *userGroups()
{
    return OrvTableDataMgr::getInstance()->createModel(QStringLiteral("RM_USERG_DEF.xml"));
}

const QString kLocations = QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;");

QList<Entry> groupLocations(OrvTableModel *groups)
{
    return keepGranted(catalogue(kLocations, QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID")),
                       granted(groups, groups->getRowData(0), QStringLiteral("PERM_LOCATION"), 8));
}

QList<Entry> groupRoles(OrvTableModel *groups)
{
    return keepGranted(catalogue(QStringLiteral("SELECT * FROM RM_ROLE_DEF;"), QStringLiteral("PERM_NAME"), QStringLiteral("PERM_ID")),
                       granted(groups, groups->getRowData(0), QStringLiteral("PERM_ROLE"), 8));
}

QList<Entry> roleFunctions(const Entry &role)
{
    OrvTableModel *roleView = view(QStringLiteral("RM_ROLE_DEF.xml"), pairFilter(QStringLiteral("PERM_ID"), role.id));
    if (!roleView || roleView->rowCount() != 1)
        return {};
    return keepGranted(catalogue(QStringLiteral("SELECT * FROM RM_SPCL_FUNC_DEF;"), QStringLiteral("PERM_NAME"), QStringLiteral("PERM_ID")),
                       granted(roleView, roleView->getRowData(0), QStringLiteral("PERM_SPE_FUNC"), 8));
}

QList<ST_CfgCheckError> checkUserGroupLocation()
{
    OrvTableModel *groups = userGroups();
    if (!groups)
        return {};
    const QSet<int> ids = granted(groups, groups->getRowData(0), QStringLiteral("PERM_LOCATION"), 8);
    const QList<Entry> descs = catalogue(kLocations, QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID"));
    const QHash<QString, QString> tags = byId(catalogue(kLocations, QStringLiteral("TAG_NAME"), QStringLiteral("LOCATION_ID")));
    QList<ST_CfgCheckError> found;
    for (const Entry &loc : descs)
        if (!ids.contains(loc.id.toInt()))
            found.append(finding(tags.value(loc.id), loc.text, text("用户组所属位置 %1 未配置").arg(loc.text)));
    return found;
}

QList<ST_CfgCheckError> checkRoleSpecialFunction()
{
    OrvTableModel *groups = userGroups();
    if (!groups)
        return {};
    OrvTableModel *rsp = view(QStringLiteral("RM_USERG_RSP_INFO.xml"), pairFilter(QStringLiteral("PERM_USER_GROUP"), QStringLiteral("1")));
    if (!rsp)
        return {};
    const QHash<QString, QString> tags = byId(catalogue(kLocations, QStringLiteral("TAG_NAME"), QStringLiteral("LOCATION_ID")));
    QList<ST_CfgCheckError> found;
    OrvDbDesign design;
    for (const Entry &role : groupRoles(groups)) {
        for (const Entry &function : roleFunctions(role)) {
            const QList<Entry> locations = groupLocations(groups);
            const QStringList row = design.getFilterDatas(rsp, {{QStringLiteral("PERM_ROLE"), role.id},
                                                                {QStringLiteral("PERM_SPEFUNC"), function.id}});
            if (row.isEmpty())
                continue;
            const QSet<int> ids = granted(rsp, row, QStringLiteral("PERM_LOCATION"), 8);
            for (const Entry &loc : locations)
                if (!ids.contains(loc.id.toInt()))
                    found.append(finding(tags.value(loc.id), loc.text,
                                         text("特殊功能 %1的子节点%2 未配置").arg(function.text, loc.text)));
        }
    }
    return found;
}

struct RightsCatalogue
{
    QString type;
    QString sql;
    QString nameColumn;
    QString descColumn;
    QString idColumn;
    const char *reason;
};

QList<ST_CfgCheckError> checkRights(const RightsCatalogue &c)
{
    if (!userGroups())
        return {};
    const QString filter = QStringLiteral("%1 AND %2 AND %3")
                               .arg(pairFilter(QStringLiteral("PERM_USER_GROUP"), QStringLiteral("1")),
                                    pairFilter(QStringLiteral("PERM_TYPE"), c.type),
                                    pairFilter(QStringLiteral("PERM_ATTRIBUTE"), QStringLiteral("1")));
    OrvTableModel *rights = view(QStringLiteral("RM_USERG_HMI_INFO.xml"), filter);
    if (!rights)
        return {};
    const QList<Entry> names = catalogue(c.sql, c.nameColumn, c.idColumn);
    QSet<int> ids;
    if (rights->rowCount() == 1)
        ids = granted(rights, rights->getRowData(0), QStringLiteral("PERM_INFO"), 16);
    else if (rights->rowCount() > 1)
        return {};
    const QHash<QString, QString> descs = byId(catalogue(c.sql, c.descColumn, c.idColumn));
    QList<ST_CfgCheckError> found;
    for (const Entry &e : names)
        if (!ids.contains(e.id.toInt()))
            found.append(finding(e.text, descs.value(e.id), text(c.reason).arg(e.text)));
    return found;
}

// A table name taken from data may only be a plain identifier.
bool isPlainName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch();
}

} // namespace

QList<ST_CfgCheckError> checkDevPointLinkFes(orvConfigCheck *, QStringList p)
{
    if (p.size() < 6)
        return {};
    QStringList tags, descs;
    OrvDbDesign design;
    design.getTwoColumnResult(QStringLiteral("SELECT %1,%2 FROM %3 WHERE POINT_PROPERTY = '0';").arg(p[1], p[2], p[0]), tags, descs);
    QList<ST_CfgCheckError> found;
    for (int i = 0; i < tags.size(); ++i) {
        const QString key = p[0] + QLatin1Char('.') + tags.at(i);
        QStringList first, second;
        design.getTwoColumnResult(QStringLiteral("SELECT %1,%2 FROM %3 WHERE KEY_ID_TAG = '%4';")
                                      .arg(p[4], p[5], p[3], orv_sql::escaped(key)),
                                  first, second);
        if (!second.isEmpty() && second.first() == QLatin1String("-1"))
            found.append(finding(tags.at(i), descs.at(i), text("未关联前置测点")));
    }
    return found;
}

QList<ST_CfgCheckError> checkLink(orvConfigCheck *engine, QStringList p)
{
    if (p.size() < 7)
        return {};
    OrvDbDesign design;
    QStringList tags, links, descs;
    design.getThreeColumnResult(QStringLiteral("SELECT %1,%2,%3 FROM %4;").arg(p[2], p[1], p[3], p[0]), tags, links, descs);
    QStringList keys, unused;
    design.getTwoColumnResult(QStringLiteral("SELECT %1,%2 FROM %3;").arg(p[5], p[6], p[4]), keys, unused);
    const QSet<QString> valid(keys.begin(), keys.end());
    QList<ST_CfgCheckError> found;
    const int n = links.size();
    int reported = -1;
    for (int i = 0; i < n; ++i) {
        // Each percent is reported once: a row-by-row signal would cost more than the check.
        const int percent = int(qint64(i) * 100 / n);
        if (percent != reported && engine)
            emit engine->sigCheckProgress(percent);
        reported = percent;
        if (!valid.contains(links.at(i)))
            found.append(finding(tags.at(i), descs.at(i), p[1] + QStringLiteral(" = ") + links.at(i) + text(" 不存在")));
    }
    return found;
}

QList<ST_CfgCheckError> checkLockParamIsControl(orvConfigCheck *, QStringList p)
{
    if (p.size() < 6)
        return {};
    OrvDbDesign design;
    QStringList points, descs;
    design.getTwoColumnResult(QStringLiteral("SELECT %1,%2 FROM %3;").arg(p[1], p[2], p[0]), points, descs);
    QList<ST_CfgCheckError> found;
    for (int i = 0; i < points.size(); ++i) {
        QStringList flags, other;
        design.getTwoColumnResult(QStringLiteral("SELECT %1,%2 FROM %3 WHERE TAG_NAME = '%4';")
                                      .arg(p[4], p[5], p[3], orv_sql::escaped(points.at(i))),
                                  flags, other);
        if (flags.isEmpty())
            found.append(finding(points.at(i), descs.at(i), text("DI点不存在")));
        else if (flags.first() == QLatin1String("0"))
            found.append(finding(points.at(i), descs.at(i), text("DI点不可控")));
    }
    return found;
}

QList<ST_CfgCheckError> checkPointIsExist(orvConfigCheck *, QStringList p)
{
    if (p.size() < 3)
        return {};
    OrvDbDesign design;
    QStringList refs;
    design.getOneColumnResult(QStringLiteral("SELECT %1 FROM %3;").arg(p[1]).arg(p[0]), refs);
    QList<ST_CfgCheckError> found;
    for (const QString &ref : qAsConst(refs)) {
        if (ref.isEmpty())
            continue; // nothing is referenced
        QStringList fields = ref.split(QLatin1Char('.'));
        fields.removeLast();
        const QString table = fields.value(0);
        bool exists = false;
        if (!fields.isEmpty() && isPlainName(table)) {
            QStringList rows;
            design.getOneColumnResult(QStringLiteral("SELECT %1 FROM %2 WHERE TAG_NAME = '%4';")
                                          .arg(p.last(), table, orv_sql::escaped(fields.mid(1).join(QLatin1Char('.')))),
                                      rows);
            exists = !rows.isEmpty();
        }
        if (!exists)
            found.append(finding(ref, ref, text("后台测点 %1 不存在").arg(ref)));
    }
    return found;
}

QList<ST_CfgCheckError> checkAccess(orvConfigCheck *)
{
    QList<ST_CfgCheckError> found = checkUserGroupLocation();
    found += checkRoleSpecialFunction();
    found += checkRights({QStringLiteral("0"), QStringLiteral("SELECT * FROM HMI_TYPE_INFO;"), QStringLiteral("HMI_NAME"),
                          QStringLiteral("HMI_DESC"), QStringLiteral("HMI_ID"), "画面权限 %1未配置"});
    found += checkRights({QStringLiteral("1"), QStringLiteral("SELECT * FROM REPORT_TYPE_INFO;"), QStringLiteral("REPORT_NAME"),
                          QStringLiteral("REPORT_DESC"), QStringLiteral("REPORT_ID"), "报表浏览%1未配置"});
    return found;
}

} // namespace CfgCheckRules
