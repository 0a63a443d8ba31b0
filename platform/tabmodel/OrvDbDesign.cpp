#include "OrvDbDesign.h"

#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "ResponseWatchdog.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QString everyColumn(const QSqlRecord &record, QVector<int> *columns)
{
    for (int i = 0; i < record.count(); ++i)
        columns->append(i);
    return QString();
}

} // namespace

QString OrvDbDesign::cellText(const QSqlQuery &query, int column)
{
    // NULL is an empty cell on every database (the server drivers would give "0" for a number).
    return query.isNull(column) ? QString() : query.value(column).toString();
}

bool OrvDbDesign::select(const QString &sql, const QVariantList &values, QSqlQuery &query)
{
    if (m_connection.isEmpty()) {
        OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();
        if (mgr->selectOnly(sql, values, query))
            return true;
        m_lastError = mgr->lastError();
        return false;
    }
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // Qt runs nothing on a connection its driver found gone, and sets no error: no rows would
    // look like an answer.
    if (!db.isOpen()) {
        m_lostConnection = true;
        m_lastError = QCoreApplication::translate("OrvDbDesign", "数据库连接已断开");
        return false;
    }
    ResponseGuard guard(db, DbConnection::responseLimitSeconds());
    // Without values a statement is sent as it is, like the link's: a server cannot prepare
    // every statement (PostgreSQL no cursor).
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        for (const QVariant &v : values)
            query.addBindValue(v);
        ok = ok && query.exec();
    }
    m_timedOut = guard.timedOut();
    m_lostConnection = !ok && !m_timedOut && DbConnection::isLinkLost(db, query.lastError());
    if (!ok)
        m_lastError = DbConnection::failureText(db, m_timedOut, query.lastError());
    return ok;
}

QString OrvDbDesign::walk(const QString &sql, const QVariantList &values, const ColumnPicker &pick,
                          const std::function<void(const QSqlQuery &, const QVector<int> &)> &visit)
{
    const QSqlDatabase db = DbConnection::named(m_connection);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!select(sql, values, query))
        return m_lastError;
    QVector<int> columns;
    m_lastError = pick(query.record(), &columns);
    if (!m_lastError.isEmpty())
        return m_lastError;
    RowStretchGuard watch(ResponseGuard::socketOf(db), DbConnection::responseLimitSeconds());
    while (query.next()) {
        visit(query, columns);
        watch.rowRead();
    }
    // A connection lost while reading ends the rows early: that is a failure, not the end.
    if (query.lastError().isValid()) {
        m_timedOut = watch.timedOut();
        m_lastError = DbConnection::failureText(db, m_timedOut, query.lastError());
        m_lostConnection = !m_connection.isEmpty() && !m_timedOut && DbConnection::isLinkLost(db, query.lastError());
    }
    query.finish();
    return m_lastError;
}

DbRows OrvDbDesign::read(const QString &sql, const QVariantList &values, const ColumnPicker &pick, bool asText)
{
    DbRows result;
    result.sql = sql;
    result.error = walk(sql, values, pick, [&result, asText](const QSqlQuery &query, const QVector<int> &columns) {
        QVariantList row;
        row.reserve(columns.size());
        for (int i : columns)
            row.append(asText ? QVariant(cellText(query, i)) : query.isNull(i) ? QVariant() : query.value(i));
        result.rows.append(row);
    });
    if (!result.ok())
        result.rows.clear();
    return result;
}

QString OrvDbDesign::forEachRow(const QString &sql, const QVariantList &values, const std::function<void(const QStringList &)> &visit)
{
    QStringList cells;
    return walk(sql, values, everyColumn, [&cells, &visit](const QSqlQuery &query, const QVector<int> &columns) {
        cells.clear();
        for (int i : columns)
            cells.append(cellText(query, i));
        visit(cells);
    });
}

DbRows OrvDbDesign::rows(const QString &sql, const QVariantList &values)
{
    return read(sql, values, everyColumn, false);
}

QVector<DbRows> OrvDbDesign::rowsApart(const DbLinkParams &params, const QVector<SqlStatement> &statements)
{
    QVector<DbRows> results;
    DbRows opened;
    opened.error = DbConnection::withOwnConnection(params, QStringLiteral("orv_reader"), [&](const QString &name) {
        for (int i = 0; i < statements.size() && (results.isEmpty() || results.last().ok()); ++i) {
            OrvDbDesign design(name);
            results.append(design.rows(statements.at(i).sql, statements.at(i).values));
            results.last().linkDown = design.lostConnection();
        }
        return QString();
    });
    opened.linkDown = !opened.ok();
    if (!opened.ok())
        results.append(opened);
    return results;
}

DbRows OrvDbDesign::choices(const QString &sql, const QString &displayColumn, const QString &dataColumn,
                            const QVariantList &values)
{
    return read(sql, values, [&](const QSqlRecord &record, QVector<int> *columns) {
        *columns = {record.indexOf(displayColumn), record.indexOf(dataColumn)};
        return columns->contains(-1) ? QCoreApplication::translate("OrvDbDesign", "查询结果中没有列 %1 或 %2").arg(displayColumn, dataColumn) : QString();
    }, true);
}

bool OrvDbDesign::readColumns(const QString &sql, const QVariantList &values, const QList<QStringList *> &lists)
{
    const DbRows result = rows(sql, values);
    if (!result.ok())
        return false;
    if (!result.rows.isEmpty() && result.rows.first().size() < lists.size()) {
        m_lastError = QCoreApplication::translate("OrvDbDesign", "查询返回的列数不足: %1").arg(sql);
        return false;
    }
    for (int r = 0; r < result.size(); ++r)
        for (int i = 0; i < lists.size(); ++i)
            lists.at(i)->append(result.text(r, i));
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

QStringList OrvDbDesign::getFilterDatas(OrvTableModel *model, const QMap<QString, QString> &values)
{
    // The database finds the row: the model need not read a table it shows in windows.
    return model ? model->findRow(values) : QStringList();
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
