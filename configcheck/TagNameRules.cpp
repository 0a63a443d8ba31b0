#include "TagNameRules.h"

#include "RuleQuery.h"

namespace CfgCheckRules {
namespace {

QString structureError() { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "标签结构错误")); }
QString dotCountError() { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "字符'.'的数量异常")); }
QString underscoreCountError() { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "字符'_'的数量异常")); }
QString fieldError(const QString &field) { return text(QT_TRANSLATE_NOOP("CfgCheckRules", "标签中有错误字段：")) + field; }

const QString kTag = QStringLiteral("TAG_NAME");
const QString kDescription = QStringLiteral("DESCRIPTION");

QSet<QString> readKeys(RuleQuery &query, const QString &table, const QString &column = kTag)
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

// A table's rows by tag, streamed and never held, and the findings among them. Where the tag is
// the table's key only the tags are read and the descriptions of the rows found looked up after:
// most rows have no finding, and reading every row's description cost the check an eighth of its
// time. Each row is the tag, then the description where it was read.
class TagWalk
{
public:
    TagWalk(RuleQuery &query, const QString &table)
        : m_query(query), m_table(table), m_keyed(query.describedByKey(table, kTag))
    {
    }

    void forEach(const std::function<void(const RuleQuery::Row &)> &visit)
    {
        const QStringList columns = m_keyed ? QStringList{kTag} : QStringList{kTag, kDescription};
        m_query.forEach(m_query.sortedSelect(columns, m_table), visit);
    }
    void add(const RuleQuery::Row &row, const QString &reason) { m_found.append(finding(row.at(0), row.value(1), reason)); }
    ST_CfgCheckResult result()
    {
        if (m_keyed)
            m_query.describe(m_table, kTag, kDescription, &m_found);
        return m_query.result(m_found);
    }

private:
    RuleQuery &m_query;
    const QString m_table;
    const bool m_keyed;
    QList<ST_CfgCheckError> m_found;
};

// Front-end points and data blocks: RTU-TAG (4 fields) followed by fieldCount - 4 more.
ST_CfgCheckResult checkUnderRtu(const QStringList &params, int fieldCount)
{
    RuleQuery query;
    if (params.isEmpty())
        return query.result({});
    const QSet<QString> rtus = readKeys(query, QStringLiteral("fes_rtu_para"));
    TagWalk walk(query, params.first());
    // Millions of rows: counted and cut, not split.
    walk.forEach([&](const RuleQuery::Row &row) {
        const QString &tag = row.at(0);
        const int fields = tag.count(QLatin1Char('.')) + 1;
        if (fields < fieldCount) {
            walk.add(row, structureError());
        } else if (fields > fieldCount) {
            walk.add(row, dotCountError());
        } else {
            const QString rtu = tag.left(nthDot(tag, 4));
            if (!rtus.contains(rtu))
                walk.add(row, fieldError(rtu));
        }
    });
    return walk.result();
}

// LOCATION.SUBSYSTEM... tags: too few fields is a structure error; otherwise too many fields, and
// each field that names no parent, are reported independently.
void checkDottedTag(TagWalk &walk, const RuleQuery::Row &row, int fieldCount, const QList<const QSet<QString> *> &parents)
{
    const QStringList fields = row.at(0).split(QLatin1Char('.'));
    if (fields.size() < fieldCount) {
        walk.add(row, structureError());
        return;
    }
    if (fields.size() > fieldCount)
        walk.add(row, dotCountError());
    for (int i = 0; i < parents.size(); ++i)
        if (!parents.at(i)->contains(fields.at(i)))
            walk.add(row, fieldError(fields.at(i)));
}

} // namespace

ST_CfgCheckResult checkChannelTagName()
{
    RuleQuery query;
    const QSet<QString> locations = readKeys(query, QStringLiteral("sys_model_location_info"));
    const QSet<QString> subsystems = readKeys(query, QStringLiteral("sys_model_sub_system_info"));
    TagWalk walk(query, QStringLiteral("fes_channel_para"));
    walk.forEach([&](const RuleQuery::Row &row) { checkDottedTag(walk, row, 3, {&locations, &subsystems}); });
    return walk.result();
}

ST_CfgCheckResult checkRtuTagName()
{
    RuleQuery query;
    const QSet<QString> channels = readKeys(query, QStringLiteral("fes_channel_para"), QStringLiteral("CHAN_NAME"));
    const QSet<QString> locations = readKeys(query, QStringLiteral("sys_model_location_info"));
    const QSet<QString> subsystems = readKeys(query, QStringLiteral("sys_model_sub_system_info"));
    TagWalk walk(query, QStringLiteral("fes_rtu_para"));
    walk.forEach([&](const RuleQuery::Row &row) { checkDottedTag(walk, row, 4, {&locations, &subsystems, &channels}); });
    return walk.result();
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
    TagWalk walk(query, QStringLiteral("dev_group"));
    walk.forEach([&](const RuleQuery::Row &row) {
        if (row.at(0).contains(QLatin1Char('_')))
            walk.add(row, text(QT_TRANSLATE_NOOP("CfgCheckRules", "含有禁止使用字符'_'")));
        else
            checkDottedTag(walk, row, 2, {&locations});
    });
    return walk.result();
}

ST_CfgCheckResult checkDevTagName()
{
    RuleQuery query;
    const QSet<QString> groups = readKeys(query, QStringLiteral("dev_group"));
    TagWalk walk(query, QStringLiteral("dev_info"));
    walk.forEach([&](const RuleQuery::Row &row) {
        const QString &tag = row.at(0);
        if (tag.split(QLatin1Char('.')).size() != 2) {
            walk.add(row, structureError());
            return;
        }
        const QStringList parts = tag.split(QLatin1Char('_'));
        if (parts.size() < 2)
            walk.add(row, structureError());
        else if (parts.size() > 2)
            walk.add(row, underscoreCountError());
        else if (!groups.contains(parts.at(0)))
            walk.add(row, fieldError(parts.at(0)));
    });
    return walk.result();
}

ST_CfgCheckResult checkDevPointTagName(QStringList params)
{
    RuleQuery query;
    if (params.isEmpty())
        return query.result({});
    const QSet<QString> devices = readKeys(query, QStringLiteral("dev_info"));
    TagWalk walk(query, params.first());
    // Millions of rows: counted and cut, not split.
    walk.forEach([&](const RuleQuery::Row &row) {
        const QString &tag = row.at(0);
        const int underscores = tag.count(QLatin1Char('_'));
        if (underscores < 1) {
            walk.add(row, structureError());
            return;
        }
        if (underscores > 1) {
            walk.add(row, underscoreCountError());
            return;
        }
        const int fields = tag.count(QLatin1Char('.')) + 1;
        if (fields < 3) {
            walk.add(row, structureError());
            return;
        }
        if (fields > 3)
            walk.add(row, dotCountError());
        const QString device = tag.left(nthDot(tag, 2));
        if (!devices.contains(device))
            walk.add(row, fieldError(device));
    });
    return walk.result();
}

} // namespace CfgCheckRules
