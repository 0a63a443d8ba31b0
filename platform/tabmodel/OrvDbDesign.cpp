#include "OrvDbDesign.h"

#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QComboBox>
#include <QListWidget>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QString OrvDbDesign::cellText(const QSqlQuery &query, int column)
{
    // NULL is an empty cell on every database (the server drivers would give "0" for a number).
    return query.isNull(column) ? QString() : query.value(column).toString();
}

bool OrvDbDesign::select(const QString &sql, const QVariantList &values, QSqlQuery &query)
{
    OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
    if (mgr->selectOnly(sql, values, query))
        return true;
    m_lastError = mgr->lastError();
    return false;
}

bool OrvDbDesign::readColumns(const QString &sql, const QVariantList &values, const QList<QStringList *> &lists)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!select(sql, values, query))
        return false;
    if (query.record().count() < lists.size()) {
        m_lastError = QStringLiteral("查询返回的列数不足: %1").arg(sql);
        return false;
    }
    while (query.next())
        for (int i = 0; i < lists.size(); ++i)
            lists.at(i)->append(cellText(query, i));
    query.finish();
    return true;
}

bool OrvDbDesign::getOneColumnResult(const QString &sql, QStringList &first)
{
    return readColumns(sql, {}, {&first});
}

bool OrvDbDesign::getOneColumnResult(const QString &sql, const QVariantList &values, QStringList &first)
{
    return readColumns(sql, values, {&first});
}

bool OrvDbDesign::getTwoColumnResult(const QString &sql, QStringList &first, QStringList &second)
{
    return readColumns(sql, {}, {&first, &second});
}

bool OrvDbDesign::getTwoColumnResult(const QString &sql, const QVariantList &values, QStringList &first,
                                     QStringList &second)
{
    return readColumns(sql, values, {&first, &second});
}

bool OrvDbDesign::getThreeColumnResult(const QString &sql, QStringList &first, QStringList &second, QStringList &third)
{
    return readColumns(sql, {}, {&first, &second, &third});
}

bool OrvDbDesign::readPairs(const QString &sql, const QString &displayColumn, const QString &dataColumn,
                            QList<QPair<QString, QVariant>> &pairs)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!select(sql, {}, query))
        return false;
    const QSqlRecord record = query.record();
    const int displayIndex = record.indexOf(displayColumn);
    const int dataIndex = record.indexOf(dataColumn);
    if (displayIndex < 0 || dataIndex < 0) {
        m_lastError = QStringLiteral("查询结果中没有列 %1 或 %2").arg(displayColumn, dataColumn);
        return false;
    }
    while (query.next())
        pairs.append({cellText(query, displayIndex), cellText(query, dataIndex)});
    query.finish();
    return true;
}

bool OrvDbDesign::getSqlInfoToCombobox(const QString &sql, const QString &displayColumn,
                                       const QString &dataColumn, QComboBox *combo)
{
    QList<QPair<QString, QVariant>> pairs;
    if (!combo || !readPairs(sql, displayColumn, dataColumn, pairs))
        return false;
    for (const auto &p : qAsConst(pairs))
        combo->addItem(p.first, p.second);
    return true;
}

QList<QListWidgetItem *> OrvDbDesign::getSqlItems(const QString &sql, const QString &displayColumn,
                                                  const QString &dataColumn, bool checkable)
{
    QList<QPair<QString, QVariant>> pairs;
    QList<QListWidgetItem *> items;
    if (!readPairs(sql, displayColumn, dataColumn, pairs))
        return items;
    for (const auto &p : qAsConst(pairs)) {
        auto *item = new QListWidgetItem(p.first);
        item->setData(Qt::UserRole, p.second);
        if (checkable) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        items.append(item);
    }
    return items;
}

void OrvDbDesign::reloadListWidget(QListWidget *list, QList<QListWidgetItem *> items)
{
    if (!list) {
        qDeleteAll(items);
        return;
    }
    for (QListWidgetItem *item : items)
        list->addItem(item);
}

QStringList OrvDbDesign::getFilterDatas(OrvTableModel *model, const QMap<QString, QString> &values)
{
    if (!model)
        return QStringList();
    QList<QPair<int, QString>> wanted;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const int col = model->findCol(it.key());
        if (col < 0)
            return QStringList();
        wanted.append({col, it.value()});
    }
    const int rows = model->rowCount();
    for (int r = 0; r < rows; ++r) {
        const QStringList row = model->getRowData(r);
        bool match = true;
        for (const auto &w : qAsConst(wanted))
            match = match && row.at(w.first) == w.second;
        if (match)
            return row;
    }
    return QStringList();
}

int OrvDbDesign::permissionWord(const QString &text)
{
    return int(quint32(text.toLongLong()));
}

QList<int> OrvDbDesign::testBit(QList<int> words)
{
    QList<int> ids;
    for (int k = 0; k < words.size(); ++k) {
        const quint32 word = quint32(words.at(k));
        for (int b = 0; b < 32; ++b)
            if (word & (quint32(1) << b))
                ids.append(k * 32 + b + 1);
    }
    return ids;
}
