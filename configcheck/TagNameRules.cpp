#include "TagNameRules.h"

#include "OrvDbDesign.h"

#include <QCoreApplication>
#include <QSet>

namespace CfgCheckRules {
namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CfgCheckRules", source);
}

QString structureError() { return text("标签结构错误"); }
QString dotCountError() { return text("字符'.'的数量异常"); }
QString underscoreCountError() { return text("字符'_'的数量异常"); }
QString fieldError(const QString &field) { return text("标签中有错误字段：") + field; }

struct Rows
{
    QStringList tags;
    QStringList descs;
};

Rows readRows(const QString &table, const QString &tagColumn = QStringLiteral("TAG_NAME"))
{
    Rows rows;
    OrvDbDesign().getTwoColumnResult(QStringLiteral("SELECT %1,%2 FROM %3;").arg(tagColumn, QStringLiteral("DESCRIPTION"), table),
                                     rows.tags, rows.descs);
    return rows;
}

QSet<QString> readKeys(const QString &table, const QString &column = QStringLiteral("TAG_NAME"))
{
    const QStringList tags = readRows(table, column).tags;
    return QSet<QString>(tags.begin(), tags.end());
}

class Findings
{
public:
    void add(const QString &tag, const QString &desc, const QString &reason)
    {
        m_list.append(ST_CfgCheckError{false, tag, desc, reason});
    }
    QList<ST_CfgCheckError> list() const { return m_list; }

private:
    QList<ST_CfgCheckError> m_list;
};

// Front-end points and data blocks: RTU-TAG (4 fields) followed by fieldCount - 4 more.
QList<ST_CfgCheckError> checkUnderRtu(const QStringList &params, int fieldCount)
{
    if (params.isEmpty())
        return {};
    const QSet<QString> rtus = readKeys(QStringLiteral("fes_rtu_para"));
    const Rows rows = readRows(params.first());
    Findings f;
    for (int i = 0; i < rows.tags.size(); ++i) {
        const QStringList fields = rows.tags.at(i).split(QLatin1Char('.'));
        if (fields.size() < fieldCount) {
            f.add(rows.tags.at(i), rows.descs.at(i), structureError());
        } else if (fields.size() > fieldCount) {
            f.add(rows.tags.at(i), rows.descs.at(i), dotCountError());
        } else {
            const QString rtu = fields.mid(0, 4).join(QLatin1Char('.'));
            if (!rtus.contains(rtu))
                f.add(rows.tags.at(i), rows.descs.at(i), fieldError(rtu));
        }
    }
    return f.list();
}

// LOCATION.SUBSYSTEM... tags: too few fields is a structure error; otherwise too many fields, and
// each field that names no parent, are reported independently.
void checkDottedTag(Findings &f, const QString &tag, const QString &desc, int fieldCount,
                    const QList<const QSet<QString> *> &parents)
{
    const QStringList fields = tag.split(QLatin1Char('.'));
    if (fields.size() < fieldCount) {
        f.add(tag, desc, structureError());
        return;
    }
    if (fields.size() > fieldCount)
        f.add(tag, desc, dotCountError());
    for (int i = 0; i < parents.size(); ++i)
        if (!parents.at(i)->contains(fields.at(i)))
            f.add(tag, desc, fieldError(fields.at(i)));
}

} // namespace

QList<ST_CfgCheckError> checkChannelTagName()
{
    const Rows rows = readRows(QStringLiteral("fes_channel_para"));
    const QSet<QString> locations = readKeys(QStringLiteral("sys_model_location_info"));
    const QSet<QString> subsystems = readKeys(QStringLiteral("sys_model_sub_system_info"));
    Findings f;
    for (int i = 0; i < rows.tags.size(); ++i)
        checkDottedTag(f, rows.tags.at(i), rows.descs.at(i), 3, {&locations, &subsystems});
    return f.list();
}

QList<ST_CfgCheckError> checkRtuTagName()
{
    const Rows rows = readRows(QStringLiteral("fes_rtu_para"));
    const QSet<QString> channels = readKeys(QStringLiteral("fes_channel_para"), QStringLiteral("CHAN_NAME"));
    const QSet<QString> locations = readKeys(QStringLiteral("sys_model_location_info"));
    const QSet<QString> subsystems = readKeys(QStringLiteral("sys_model_sub_system_info"));
    Findings f;
    for (int i = 0; i < rows.tags.size(); ++i)
        checkDottedTag(f, rows.tags.at(i), rows.descs.at(i), 4, {&locations, &subsystems, &channels});
    return f.list();
}

QList<ST_CfgCheckError> checkFesPointTagName(QStringList params)
{
    return checkUnderRtu(params, 5);
}

QList<ST_CfgCheckError> checkFesDataBlockTagName(QStringList params)
{
    return checkUnderRtu(params, 6);
}

QList<ST_CfgCheckError> checkDevGroupTagName()
{
    const Rows rows = readRows(QStringLiteral("dev_group"));
    const QSet<QString> locations = readKeys(QStringLiteral("sys_model_location_info"));
    Findings f;
    for (int i = 0; i < rows.tags.size(); ++i) {
        if (rows.tags.at(i).contains(QLatin1Char('_')))
            f.add(rows.tags.at(i), rows.descs.at(i), text("含有禁止使用字符'_'"));
        else
            checkDottedTag(f, rows.tags.at(i), rows.descs.at(i), 2, {&locations});
    }
    return f.list();
}

QList<ST_CfgCheckError> checkDevTagName()
{
    const QSet<QString> groups = readKeys(QStringLiteral("dev_group"));
    const Rows rows = readRows(QStringLiteral("dev_info"));
    Findings f;
    for (int i = 0; i < rows.tags.size(); ++i) {
        const QString &tag = rows.tags.at(i);
        const QString &desc = rows.descs.at(i);
        if (tag.split(QLatin1Char('.')).size() != 2) {
            f.add(tag, desc, structureError());
            continue;
        }
        const QStringList parts = tag.split(QLatin1Char('_'));
        if (parts.size() < 2)
            f.add(tag, desc, structureError());
        else if (parts.size() > 2)
            f.add(tag, desc, underscoreCountError());
        else if (!groups.contains(parts.at(0)))
            f.add(tag, desc, fieldError(parts.at(0)));
    }
    return f.list();
}

QList<ST_CfgCheckError> checkDevPointTagName(QStringList params)
{
    if (params.isEmpty())
        return {};
    const Rows rows = readRows(params.first());
    const QSet<QString> devices = readKeys(QStringLiteral("dev_info"));
    Findings f;
    for (int i = 0; i < rows.tags.size(); ++i) {
        const QString &tag = rows.tags.at(i);
        const QString &desc = rows.descs.at(i);
        const QStringList parts = tag.split(QLatin1Char('_'));
        if (parts.size() < 2) {
            f.add(tag, desc, structureError());
            continue;
        }
        if (parts.size() > 2) {
            f.add(tag, desc, underscoreCountError());
            continue;
        }
        const QStringList fields = tag.split(QLatin1Char('.'));
        if (fields.size() < 3) {
            f.add(tag, desc, structureError());
            continue;
        }
        if (fields.size() > 3)
            f.add(tag, desc, dotCountError());
        const QString device = fields.at(0) + QLatin1Char('.') + fields.at(1);
        if (!devices.contains(device))
            f.add(tag, desc, fieldError(device));
    }
    return f.list();
}

} // namespace CfgCheckRules
