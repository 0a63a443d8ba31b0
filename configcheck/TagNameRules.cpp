#include "TagNameRules.h"

#include "RuleQuery.h"

namespace CfgCheckRules {
namespace {

QString structureError() { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "标签结构错误")); }
QString dotCountError() { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "字符'.'的数量异常")); }
QString underscoreCountError() { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "字符'_'的数量异常")); }
QString fieldError(const QString &field) { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "标签中有错误字段：")) + field; }

// Each row is tag, description, by tag; streamed, never held.
void forEachRow(RuleQuery &query, const QString &table, const std::function<void(const RuleQuery::Row &)> &visit)
{
    query.forEach(query.sortedSelect({QStringLiteral("TAG_NAME"), QStringLiteral("DESCRIPTION")}, table), visit);
}

QSet<QString> readKeys(RuleQuery &query, const QString &table, const QString &column = QStringLiteral("TAG_NAME"))
{
    return query.keys(table, column);
}

// Where the n-th '.' of the text stands (n from 1); the text's length when it has fewer.
int nthDot(const QString &text, int n)
{
    int at = -1;
    for (int i = 0; i < n; ++i) {
        at = text.indexOf(QLatin1Char('.'), at + 1);
        if (at < 0)
            return text.size();
    }
    return at;
}

class Findings
{
public:
    void add(const RuleQuery::Row &row, const QString &reason) { m_list.append(finding(row.at(0), row.at(1), reason)); }
    QList<ST_CfgCheckError> list() const { return m_list; }

private:
    QList<ST_CfgCheckError> m_list;
};

// Front-end points and data blocks: RTU-TAG (4 fields) followed by fieldCount - 4 more.
ST_CfgCheckResult checkUnderRtu(const QStringList &params, int fieldCount)
{
    RuleQuery query;
    if (params.isEmpty())
        return query.result({});
    const QSet<QString> rtus = readKeys(query, QStringLiteral("fes_rtu_para"));
    Findings f;
    // Millions of rows: counted and cut, not split.
    forEachRow(query, params.first(), [&](const RuleQuery::Row &row) {
        const QString &tag = row.at(0);
        const int fields = tag.count(QLatin1Char('.')) + 1;
        if (fields < fieldCount) {
            f.add(row, structureError());
        } else if (fields > fieldCount) {
            f.add(row, dotCountError());
        } else {
            const QString rtu = tag.left(nthDot(tag, 4));
            if (!rtus.contains(rtu))
                f.add(row, fieldError(rtu));
        }
    });
    return query.result(f.list());
}

// LOCATION.SUBSYSTEM... tags: too few fields is a structure error; otherwise too many fields, and
// each field that names no parent, are reported independently.
void checkDottedTag(Findings &f, const RuleQuery::Row &row, int fieldCount, const QList<const QSet<QString> *> &parents)
{
    const QStringList fields = row.at(0).split(QLatin1Char('.'));
    if (fields.size() < fieldCount) {
        f.add(row, structureError());
        return;
    }
    if (fields.size() > fieldCount)
        f.add(row, dotCountError());
    for (int i = 0; i < parents.size(); ++i)
        if (!parents.at(i)->contains(fields.at(i)))
            f.add(row, fieldError(fields.at(i)));
}

} // namespace

ST_CfgCheckResult checkChannelTagName()
{
    RuleQuery query;
    const QSet<QString> locations = readKeys(query, QStringLiteral("sys_model_location_info"));
    const QSet<QString> subsystems = readKeys(query, QStringLiteral("sys_model_sub_system_info"));
    Findings f;
    forEachRow(query, QStringLiteral("fes_channel_para"),
               [&](const RuleQuery::Row &row) { checkDottedTag(f, row, 3, {&locations, &subsystems}); });
    return query.result(f.list());
}

ST_CfgCheckResult checkRtuTagName()
{
    RuleQuery query;
    const QSet<QString> channels = readKeys(query, QStringLiteral("fes_channel_para"), QStringLiteral("CHAN_NAME"));
    const QSet<QString> locations = readKeys(query, QStringLiteral("sys_model_location_info"));
    const QSet<QString> subsystems = readKeys(query, QStringLiteral("sys_model_sub_system_info"));
    Findings f;
    forEachRow(query, QStringLiteral("fes_rtu_para"),
               [&](const RuleQuery::Row &row) { checkDottedTag(f, row, 4, {&locations, &subsystems, &channels}); });
    return query.result(f.list());
}

ST_CfgCheckResult checkFesPointTagName(QStringList params)
{
    return checkUnderRtu(params, 5);
}

ST_CfgCheckResult checkFesDataBlockTagName(QStringList params)
{
    return checkUnderRtu(params, 6);
}

ST_CfgCheckResult checkDevGroupTagName()
{
    RuleQuery query;
    const QSet<QString> locations = readKeys(query, QStringLiteral("sys_model_location_info"));
    Findings f;
    forEachRow(query, QStringLiteral("dev_group"), [&](const RuleQuery::Row &row) {
        if (row.at(0).contains(QLatin1Char('_')))
            f.add(row, text(QT_TRANSLATE_NOOP("CfgCheckRules", "含有禁止使用字符'_'")));
        else
            checkDottedTag(f, row, 2, {&locations});
    });
    return query.result(f.list());
}

ST_CfgCheckResult checkDevTagName()
{
    RuleQuery query;
    const QSet<QString> groups = readKeys(query, QStringLiteral("dev_group"));
    Findings f;
    forEachRow(query, QStringLiteral("dev_info"), [&](const RuleQuery::Row &row) {
        const QString &tag = row.at(0);
        if (tag.split(QLatin1Char('.')).size() != 2) {
            f.add(row, structureError());
            return;
        }
        const QStringList parts = tag.split(QLatin1Char('_'));
        if (parts.size() < 2)
            f.add(row, structureError());
        else if (parts.size() > 2)
            f.add(row, underscoreCountError());
        else if (!groups.contains(parts.at(0)))
            f.add(row, fieldError(parts.at(0)));
    });
    return query.result(f.list());
}

ST_CfgCheckResult checkDevPointTagName(QStringList params)
{
    RuleQuery query;
    if (params.isEmpty())
        return query.result({});
    const QSet<QString> devices = readKeys(query, QStringLiteral("dev_info"));
    Findings f;
    // Millions of rows: counted and cut, not split.
    forEachRow(query, params.first(), [&](const RuleQuery::Row &row) {
        const QString &tag = row.at(0);
        const int underscores = tag.count(QLatin1Char('_'));
        if (underscores < 1) {
            f.add(row, structureError());
            return;
        }
        if (underscores > 1) {
            f.add(row, underscoreCountError());
            return;
        }
        const int fields = tag.count(QLatin1Char('.')) + 1;
        if (fields < 3) {
            f.add(row, structureError());
            return;
        }
        if (fields > 3)
            f.add(row, dotCountError());
        const QString device = tag.left(nthDot(tag, 2));
        if (!devices.contains(device))
            f.add(row, fieldError(device));
    });
    return query.result(f.list());
}

} // namespace CfgCheckRules
