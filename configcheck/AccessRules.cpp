#include "AccessRules.h"

#include "Common.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "RuleQuery.h"
#include "SqlText.h"

#include <algorithm>
#include <optional>

namespace CfgCheckRules {
namespace {

const QString kUserGroups = QStringLiteral("RM_USERG_DEF.xml");
const QString kResponsibilities = QStringLiteral("RM_USERG_RSP_INFO.xml");
const QString kRights = QStringLiteral("RM_USERG_HMI_INFO.xml");
const QString kRoles = QStringLiteral("RM_ROLE_DEF.xml");
const QString kLocations = QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;");

struct Entry
{
    QString text;
    QString id;
};

// Entries with one identifier keep their result order, so that the last of them is the one
// textById() keeps.
bool byId(const Entry &a, const Entry &b)
{
    const qint64 x = a.id.toLongLong();
    const qint64 y = b.id.toLongLong();
    return x != y ? x < y : a.id < b.id;
}

// One entry per row of a catalogue query: display text and identifier, ordered by identifier
// so that every database lists them alike.
QList<Entry> catalogue(RuleQuery &query, const QString &sql, const QString &display, const QString &data)
{
    QList<Entry> entries;
    if (query.failed())
        return entries;
    // The entries the library's list items would carry, without making them.
    const DbRows rows = OrvDbDesign().choices(sql, display, data);
    for (const QVariantList &row : rows.rows)
        entries.append({row.at(0).toString(), row.at(1).toString()});
    if (!rows.ok())
        query.fail(sql, rows.error);
    std::stable_sort(entries.begin(), entries.end(), byId);
    return entries;
}

// Identifier -> text; where identifiers repeat, the last entry counts.
QHash<QString, QString> textById(const QList<Entry> &entries)
{
    QHash<QString, QString> map;
    for (const Entry &e : entries)
        map.insert(e.id, e.text);
    return map;
}

// The words prefix1..prefixN of a row; a missing column gives 0.
QSet<int> granted(OrvTableModel *model, const QStringList &row, const QString &prefix, int count)
{
    QList<int> words;
    for (int i = 1; i <= count; ++i) {
        const int col = model->findCol(prefix + QString::number(i));
        words.append(col >= 0 ? OrvDbDesign::permissionWord(row.value(col)) : 0);
    }
    const QList<int> ids = OrvDbDesign().testBit(words);
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

// A definition's model or view read afresh. Null when the definition cannot be opened (the
// sub-check then reports nothing) or its rows cannot be read (the rule then fails).
OrvTableModel *loaded(RuleQuery &query, const QString &name)
{
    if (query.failed())
        return nullptr;
    OrvTableModel *model = OrvTableDataMgr::getInstance()->createModel(name);
    if (model && !model->load(true)) {
        query.fail(name, model->lastError());
        return nullptr;
    }
    return model;
}

QString pairFilter(const QString &column, const QString &value)
{
    return QStringLiteral("%1='%2'").arg(column, orv_sql::escaped(value));
}

OrvTableModel *view(RuleQuery &query, const QString &definition, const QString &condition)
{
    return loaded(query, Common::createViewName(definition, condition));
}

QList<Entry> groupLocations(RuleQuery &query, OrvTableModel *groups)
{
    return keepGranted(catalogue(query, kLocations, QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID")),
                       granted(groups, groups->getRowData(0), QStringLiteral("PERM_LOCATION"), 8));
}

QList<Entry> groupRoles(RuleQuery &query, OrvTableModel *groups)
{
    return keepGranted(catalogue(query, QStringLiteral("SELECT * FROM RM_ROLE_DEF;"), QStringLiteral("PERM_NAME"), QStringLiteral("PERM_ID")),
                       granted(groups, groups->getRowData(0), QStringLiteral("PERM_ROLE"), 8));
}

QList<Entry> roleFunctions(RuleQuery &query, const Entry &role)
{
    OrvTableModel *roleView = view(query, kRoles, pairFilter(QStringLiteral("PERM_ID"), role.id));
    if (!roleView || roleView->rowCount() != 1)
        return {};
    return keepGranted(catalogue(query, QStringLiteral("SELECT * FROM RM_SPCL_FUNC_DEF;"), QStringLiteral("PERM_NAME"), QStringLiteral("PERM_ID")),
                       granted(roleView, roleView->getRowData(0), QStringLiteral("PERM_SPE_FUNC"), 8));
}

QList<ST_CfgCheckError> checkUserGroupLocation(RuleQuery &query)
{
    OrvTableModel *groups = loaded(query, kUserGroups);
    if (!groups)
        return {};
    const QSet<int> ids = granted(groups, groups->getRowData(0), QStringLiteral("PERM_LOCATION"), 8);
    const QList<Entry> descs = catalogue(query, kLocations, QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID"));
    const QHash<QString, QString> tags = textById(catalogue(query, kLocations, QStringLiteral("TAG_NAME"), QStringLiteral("LOCATION_ID")));
    QList<ST_CfgCheckError> found;
    for (const Entry &loc : descs)
        if (!ids.contains(loc.id.toInt()))
            found.append(finding(tags.value(loc.id), loc.text, text(QT_TRANSLATE_NOOP("CfgCheckRules", "用户组所属位置 %1 未配置")).arg(loc.text)));
    return found;
}

QList<ST_CfgCheckError> checkRoleSpecialFunction(RuleQuery &query)
{
    OrvTableModel *groups = loaded(query, kUserGroups);
    if (!groups)
        return {};
    OrvTableModel *rsp = view(query, kResponsibilities, pairFilter(QStringLiteral("PERM_USER_GROUP"), QStringLiteral("1")));
    if (!rsp)
        return {};
    const QHash<QString, QString> tags = textById(catalogue(query, kLocations, QStringLiteral("TAG_NAME"), QStringLiteral("LOCATION_ID")));
    QList<ST_CfgCheckError> found;
    OrvDbDesign design;
    // The same for every role and function: read at the first one, not once per pair.
    std::optional<QList<Entry>> locations;
    for (const Entry &role : groupRoles(query, groups)) {
        for (const Entry &function : roleFunctions(query, role)) {
            if (!locations)
                locations = groupLocations(query, groups);
            const QStringList row = design.getFilterDatas(rsp, {{QStringLiteral("PERM_ROLE"), role.id},
                                                                {QStringLiteral("PERM_SPEFUNC"), function.id}});
            if (row.isEmpty())
                continue;
            const QSet<int> ids = granted(rsp, row, QStringLiteral("PERM_LOCATION"), 8);
            for (const Entry &loc : *locations)
                if (!ids.contains(loc.id.toInt()))
                    found.append(finding(tags.value(loc.id), loc.text,
                                         text(QT_TRANSLATE_NOOP("CfgCheckRules", "特殊功能 %1的子节点%2 未配置")).arg(function.text, loc.text)));
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

QList<ST_CfgCheckError> checkRights(RuleQuery &query, const RightsCatalogue &c)
{
    if (!loaded(query, kUserGroups))
        return {};
    const QString filter = QStringLiteral("%1 AND %2 AND %3")
                               .arg(pairFilter(QStringLiteral("PERM_USER_GROUP"), QStringLiteral("1")),
                                    pairFilter(QStringLiteral("PERM_TYPE"), c.type),
                                    pairFilter(QStringLiteral("PERM_ATTRIBUTE"), QStringLiteral("1")));
    OrvTableModel *rights = view(query, kRights, filter);
    if (!rights)
        return {};
    const QList<Entry> names = catalogue(query, c.sql, c.nameColumn, c.idColumn);
    QSet<int> ids;
    if (rights->rowCount() == 1)
        ids = granted(rights, rights->getRowData(0), QStringLiteral("PERM_INFO"), 16);
    else if (rights->rowCount() > 1)
        return {};
    const QHash<QString, QString> descs = textById(catalogue(query, c.sql, c.descColumn, c.idColumn));
    QList<ST_CfgCheckError> found;
    for (const Entry &e : names)
        if (!ids.contains(e.id.toInt()))
            found.append(finding(e.text, descs.value(e.id), text(c.reason).arg(e.text)));
    return found;
}

} // namespace

QStringList accessDefinitions()
{
    return {kUserGroups, kResponsibilities, kRights, kRoles};
}

ST_CfgCheckResult checkAccess(orvConfigCheck *)
{
    RuleQuery query;
    QList<ST_CfgCheckError> found = checkUserGroupLocation(query);
    found += checkRoleSpecialFunction(query);
    found += checkRights(query, {QStringLiteral("0"), QStringLiteral("SELECT * FROM HMI_TYPE_INFO;"), QStringLiteral("HMI_NAME"),
                                 QStringLiteral("HMI_DESC"), QStringLiteral("HMI_ID"), QT_TRANSLATE_NOOP("CfgCheckRules", "画面权限 %1未配置")});
    found += checkRights(query, {QStringLiteral("1"), QStringLiteral("SELECT * FROM REPORT_TYPE_INFO;"), QStringLiteral("REPORT_NAME"),
                                 QStringLiteral("REPORT_DESC"), QStringLiteral("REPORT_ID"), QT_TRANSLATE_NOOP("CfgCheckRules", "报表浏览%1未配置")});
    return query.result(found);
}

} // namespace CfgCheckRules
