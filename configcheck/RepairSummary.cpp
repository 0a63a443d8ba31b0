#include "RepairSummary.h"

#include "OrvTableDataMgr.h"

#include <QCoreApplication>

namespace RepairSummary {

QStringList lines(const QList<SqlWrite> &deletions)
{
    QStringList tables;
    QHash<QString, QStringList> tags;
    for (const SqlWrite &d : deletions) {
        if (!tags.contains(d.table))
            tables.append(d.table);
        tags[d.table].append(d.keyValues());
    }
    QStringList result;
    for (const QString &table : qAsConst(tables)) {
        const QStringList &keys = tags.value(table);
        const QString description = OrvTableDataMgr::getInstance()->definitionOfTable(table).description;
        QString shown = keys.mid(0, TagsShown).join(QStringLiteral(", "));
        if (keys.size() > TagsShown)
            shown += QStringLiteral(" …");
        result.append(QCoreApplication::translate("RepairSummary", "%1%2：%3 条 — %4")
                          .arg(table,
                               description.isEmpty() ? QString()
                                                     : QCoreApplication::translate("RepairSummary", "（%1）").arg(description))
                          .arg(keys.size())
                          .arg(shown));
    }
    return result;
}

} // namespace RepairSummary
