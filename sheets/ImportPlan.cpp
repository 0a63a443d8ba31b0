#include "ImportPlan.h"

#include "DbConnection.h"
#include "SheetCells.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>

#include <algorithm>
#include <cmath>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ImportPlan", text);
}

const QChar kKeySeparator(0x1F);

// Integers in one spelling, so that "007" in the file finds 7 in the table.
QString normalized(const ColumnKind &kind, const QString &text)
{
    if (!kind.isInteger() || text != text.trimmed())
        return text;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok ? QString::number(value) : text;
}

// Numbers compare as numbers, to the 15 digits a spreadsheet keeps; texts compare exactly.
bool sameValue(const ColumnKind &kind, const QString &stored, const QString &value)
{
    if (stored == value || stored.isEmpty() || value.isEmpty() || !kind.isNumeric())
        return stored == value;
    bool storedOk = false, valueOk = false;
    // Digit for digit: a double holds no more than 15 or 16 of a 64-bit count's 19.
    if (kind.isInteger()) {
        const qlonglong a = stored.toLongLong(&storedOk);
        const qlonglong b = value.toLongLong(&valueOk);
        if (storedOk && valueOk)
            return a == b;
    }
    const double a = stored.toDouble(&storedOk);
    const double b = value.toDouble(&valueOk);
    return storedOk && valueOk && std::fabs(a - b) <= 1e-14 * qMax(std::fabs(a), std::fabs(b));
}

QVariant storedValue(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QString label(const ColMgrData &column)
{
    return QStringLiteral("%1(%2)").arg(column.description, column.sqlName);
}

QString shown(const QString &value)
{
    return value.isEmpty() ? tr("(空)") : value;
}

} // namespace

ImportPlan ImportPlan::build(const TableDefinition &definition, const QVector<CsvRecord> &records,
                             const ImportColumns &columns, const DbRows &table, const Options &options)
{
    ImportPlan plan;
    plan.m_definition = definition;
    plan.m_keyColumns = definition.columns.primaryKeyCols();
    plan.m_keysPadded = DbConnection::isMySql(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false));
    QVector<Row> fileRows;
    for (int r = columns.headerRows; r < records.size(); ++r)
        if (!records.at(r).isBlank())
            fileRows.append(plan.readRecord(records.at(r), columns));
    QVector<QString> keys;
    for (const Row &row : qAsConst(fileRows))
        keys.append(row.key.contains(QString()) ? QString() : plan.keyText(row.key));
    markDuplicates(fileRows, keys);
    plan.compareWithTable(fileRows, keys, table);
    // A refused row may be a stored row whose key was written wrongly ("7 ", "7.0"): rows
    // missing from the file are then not deleted, lest those be.
    const bool refused = std::any_of(fileRows.cbegin(), fileRows.cend(), [](const Row &row) { return row.kind == Refused; });
    plan.m_deletionsWithheld = options.deleteMissing && refused;
    if (options.deleteMissing && !refused)
        plan.addDeleted(table, QSet<QString>(keys.begin(), keys.end()));
    for (const Row &row : qAsConst(fileRows))
        plan.addRow(row);
    return plan;
}

ImportPlan::Row ImportPlan::readRecord(const CsvRecord &record, const ImportColumns &columns) const
{
    Row row;
    row.line = record.line;
    QStringList reasons;
    if (!record.problem.isEmpty())
        reasons.append(record.problem);
    if (record.fields.size() != columns.ofField.size())
        reasons.append(tr("有 %1 个字段，表头有 %2 个").arg(record.fields.size()).arg(columns.ofField.size()));
    for (int f = 0; f < qMin(record.fields.size(), columns.ofField.size()); ++f) {
        const int col = columns.ofField.at(f);
        if (col < 0)
            continue;
        const ColMgrData &column = m_definition.columns.at(col);
        const QString value = normalized(column.kind, SheetCells::unguarded(record.fields.at(f)));
        row.cells.append({col, QString(), value});
        const QString refusal = value.isEmpty() ? QString() : column.refusal(value);
        if (!refusal.isEmpty())
            reasons.append(refusal);
    }
    for (int key : m_keyColumns) {
        const auto cell = std::find_if(row.cells.cbegin(), row.cells.cend(), [key](const Cell &c) { return c.column == key; });
        row.key.append(cell == row.cells.cend() ? QString() : cell->value);
        if (row.key.last().isEmpty())
            reasons.append(tr("关键字 %1 为空").arg(label(m_definition.columns.at(key))));
    }
    if (!reasons.isEmpty()) {
        row.kind = Refused;
        row.reason = reasons.join(tr("；"));
    }
    return row;
}

void ImportPlan::markDuplicates(QVector<Row> &rows, const QVector<QString> &keys)
{
    QHash<QString, QList<int>> linesOfKey;
    for (int i = 0; i < rows.size(); ++i)
        if (!keys.at(i).isEmpty())
            linesOfKey[keys.at(i)].append(rows.at(i).line);
    for (int i = 0; i < rows.size(); ++i) {
        const QList<int> lines = linesOfKey.value(keys.at(i));
        if (lines.size() < 2)
            continue;
        QStringList others;
        for (int line : lines)
            if (line != rows.at(i).line)
                others.append(QString::number(line));
        const QString reason = tr("关键字与第 %1 行重复").arg(others.join(QStringLiteral("、")));
        Row &row = rows[i];
        row.reason = row.kind == Refused ? row.reason + tr("；") + reason : reason;
        row.kind = Refused;
    }
}

QString ImportPlan::storedKey(const QVariantList &stored) const
{
    QStringList key;
    for (int col : m_keyColumns)
        key.append(normalized(m_definition.columns.at(col).kind, stored.value(col).toString()));
    return keyText(key);
}

QString ImportPlan::keyText(QStringList parts) const
{
    // MariaDB compares its keys with trailing blanks dropped: "A " is the stored "A" there.
    if (m_keysPadded)
        for (QString &part : parts)
            while (part.endsWith(QLatin1Char(' ')))
                part.chop(1);
    return parts.join(kKeySeparator);
}

void ImportPlan::compareWithTable(QVector<Row> &rows, const QVector<QString> &keys, const DbRows &table) const
{
    QHash<QString, int> storedRow;
    storedRow.reserve(table.size());
    for (int r = 0; r < table.size(); ++r)
        storedRow.insert(storedKey(table.rows.at(r)), r);
    for (int i = 0; i < rows.size(); ++i) {
        Row &row = rows[i];
        if (row.kind == Refused)
            continue;
        const auto found = storedRow.constFind(keys.at(i));
        if (found != storedRow.constEnd()) {
            compareRow(row, table.rows.at(found.value()));
            continue;
        }
        row.kind = New;
        row.cells.erase(std::remove_if(row.cells.begin(), row.cells.end(), [](const Cell &c) { return c.value.isEmpty(); }),
                        row.cells.end());
    }
}

void ImportPlan::compareRow(Row &row, const QVariantList &stored) const
{
    QVector<Cell> changed;
    QStringList locked;
    for (const Cell &cell : qAsConst(row.cells)) {
        const ColMgrData &column = m_definition.columns.at(cell.column);
        const QString old = stored.value(cell.column).toString();
        if (sameValue(column.kind, old, cell.value))
            continue;
        if (!column.editable)
            locked.append(label(column));
        changed.append({cell.column, old, cell.value});
    }
    row.key.clear();
    for (int col : m_keyColumns)
        row.key.append(stored.value(col).toString());
    row.cells = changed;
    row.kind = changed.isEmpty() ? Unchanged : Changed;
    if (!locked.isEmpty()) {
        row.kind = Refused;
        row.reason = tr("列 %1 不可修改").arg(locked.join(QStringLiteral("、")));
    }
}

void ImportPlan::addDeleted(const DbRows &table, const QSet<QString> &inFile)
{
    for (const QVariantList &stored : table.rows) {
        if (inFile.contains(storedKey(stored)))
            continue;
        Row row;
        row.kind = Deleted;
        for (int col : m_keyColumns)
            row.key.append(stored.value(col).toString());
        for (int col = 0; col < m_definition.columns.size(); ++col)
            row.cells.append({col, stored.value(col).toString(), QString()});
        addRow(row);
    }
}

void ImportPlan::addRow(const Row &row)
{
    m_rows.append(row);
    ++m_counts[row.kind];
    if (row.kind == Changed)
        m_changedCells += row.cells.size();
}

QString ImportPlan::kindName(Kind kind)
{
    switch (kind) {
    case Deleted: return tr("删除");
    case Refused: return tr("拒绝");
    case Changed: return tr("修改");
    case New: return tr("新增");
    case Unchanged: break;
    }
    return tr("未变");
}

QString ImportPlan::summary() const
{
    const QString counts = tr("新增 %1　修改 %2（%3 个单元格）　未变 %4　拒绝 %5　删除 %6")
                               .arg(count(New)).arg(count(Changed)).arg(changedCells()).arg(count(Unchanged)).arg(count(Refused)).arg(count(Deleted));
    return m_deletionsWithheld ? counts + tr("（文件中有被拒绝的行，表中缺少的行不删除）") : counts;
}

QString ImportPlan::describe(const Row &row) const
{
    QStringList parts;
    switch (row.kind) {
    case Refused:
        return row.reason;
    case Deleted:
        return tr("表中有、文件中没有：将删除");
    case Changed:
        for (const Cell &c : row.cells)
            parts.append(QStringLiteral("%1: %2 → %3").arg(m_definition.columns.at(c.column).description, shown(c.old), shown(c.value)));
        break;
    case New:
        for (const Cell &c : row.cells)
            parts.append(QStringLiteral("%1=%2").arg(m_definition.columns.at(c.column).description, c.value));
        break;
    case Unchanged:
        break;
    }
    return parts.join(tr("；"));
}

SqlWrite ImportPlan::write(SqlWrite::Kind kind, const QStringList &key) const
{
    SqlWrite w;
    w.kind = kind;
    w.form = SqlWrite::Bound;
    w.table = m_definition.tableName;
    for (int i = 0; i < m_keyColumns.size(); ++i)
        w.key.append({m_definition.columns.at(m_keyColumns.at(i)).sqlName, key.value(i)});
    return w;
}

SqlWrite ImportPlan::updated(const Row &row, bool undo) const
{
    SqlWrite w = write(SqlWrite::Update, row.key);
    for (const Cell &c : row.cells) {
        const ColMgrData &column = m_definition.columns.at(c.column);
        const QString &from = undo ? c.value : c.old;
        const QString &to = undo ? c.old : c.value;
        w.cells.append({column.sqlName, storedValue(to), storedValue(from), true});
        w.guards.append(column.stillHolds(from));
    }
    return w;
}

// A new row's given values, or a deleted row's stored ones.
SqlWrite ImportPlan::inserted(const Row &row) const
{
    SqlWrite w = write(SqlWrite::Insert, row.key);
    for (const Cell &c : row.cells) {
        const QString &value = row.kind == Deleted ? c.old : c.value;
        if (!value.isEmpty())
            w.cells.append({m_definition.columns.at(c.column).sqlName, value, QVariant(), false});
    }
    return w;
}

// Only while the row still holds those values.
SqlWrite ImportPlan::removed(const Row &row) const
{
    SqlWrite w = write(SqlWrite::Delete, row.key);
    for (const Cell &c : row.cells) {
        const ColMgrData &column = m_definition.columns.at(c.column);
        if (!column.primaryKey)
            w.guards.append(column.stillHolds(row.kind == Deleted ? c.old : c.value));
    }
    return w;
}

QList<SqlWrite> ImportPlan::writesOf(bool undo) const
{
    QList<SqlWrite> writes;
    for (const Row &row : m_rows) {
        switch (row.kind) {
        case Changed:
            writes.append(updated(row, undo));
            break;
        case New:
            writes.append(undo ? removed(row) : inserted(row));
            break;
        case Deleted:
            writes.append(undo ? inserted(row) : removed(row));
            break;
        case Refused:
        case Unchanged:
            break;
        }
    }
    return writes;
}
