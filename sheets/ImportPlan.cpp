#include "ImportPlan.h"

#include "DbConnection.h"
#include "SheetCells.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ImportPlan", text);
}

const QChar kKeySeparator(0x1F);

// Whether the text is an integer as QString::number writes it: no plus, no leading zero.
bool isPlainInteger(const QString &text)
{
    const int start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() == start || (text.at(start) == QLatin1Char('0') && (start > 0 || text.size() > 1)))
        return false;
    return std::all_of(text.cbegin() + start, text.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// Integers in one spelling, so that "007" in the file finds 7 in the table. A text already so
// spelled is kept, not written anew: a million cells of a file share what they can.
QString normalized(const ColumnKind &kind, const QString &text)
{
    if (!kind.isInteger() || isPlainInteger(text) || text != text.trimmed())
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
    // Rounded alike rather than near: values a unit apart in their 14th or 15th digit are
    // nearer than a spreadsheet's rounding may move one.
    return storedOk && valueOk && (a == b || QString::number(a, 'g', 15) == QString::number(b, 'g', 15));
}

QVariant storedValue(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QString label(const ColMgrData &column)
{
    return QStringLiteral("%1(%2)").arg(column.description, column.sqlName);
}

QString withoutTrailingBlanks(const QString &text)
{
    int end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return end == text.size() ? text : text.left(end);
}

QString shown(const QString &value)
{
    return value.isEmpty() ? QCoreApplication::translate("ImportPlan", "(空)") : value;
}

} // namespace

ImportPlan ImportPlan::build(const TableDefinition &definition, QVector<CsvRecord> records,
                             const ImportColumns &columns, const TableReader &readTable, const Options &options)
{
    ImportPlan plan;
    plan.m_definition = definition;
    plan.m_keyColumns = definition.columns.primaryKeyCols();
    plan.m_keysPadded = DbConnection::isMySql(DbConnection::named(options.connection));
    QVector<Given> given;
    given.reserve(qMax(0, records.size() - columns.headerRows));
    for (int r = columns.headerRows; r < records.size(); ++r)
        if (!records.at(r).isBlank())
            given.append(plan.readRecord(records[r], columns));
    records.clear();
    const QHash<QString, int> recordOfKey = plan.recordsByKey(given);
    QVector<Row> missing;
    plan.m_error = plan.compareWithTable(given, recordOfKey, columns.ofField, readTable, options.deleteMissing ? &missing : nullptr);
    if (!plan.ok())
        return plan;
    // A refused row may be a stored row whose key was written wrongly ("7 ", "7.0"): rows
    // missing from the file are then not deleted, lest those be.
    const bool refused = std::any_of(given.cbegin(), given.cend(), [](const Given &g) { return g.row.kind == Refused; });
    plan.m_deletionsWithheld = options.deleteMissing && refused;
    if (!refused)
        for (const Row &row : qAsConst(missing))
            plan.addRow(row);
    for (const Given &g : qAsConst(given))
        plan.addRow(g.row);
    return plan;
}

ImportPlan::Given ImportPlan::readRecord(CsvRecord &record, const ImportColumns &columns) const
{
    Given given;
    Row &row = given.row;
    row.line = record.line;
    QStringList reasons;
    if (!record.problem.isEmpty())
        reasons.append(record.problem);
    if (record.fields.size() != columns.ofField.size())
        reasons.append(tr("有 %1 个字段，表头有 %2 个").arg(record.fields.size()).arg(columns.ofField.size()));
    given.fields.swap(record.fields);
    while (given.fields.size() > columns.ofField.size())
        given.fields.removeLast();
    for (int f = 0; f < given.fields.size(); ++f) {
        const int col = columns.ofField.at(f);
        QString &value = given.fields[f];
        if (col < 0) {
            value = QString();
            continue;
        }
        const ColMgrData &column = m_definition.columns.at(col);
        value = normalized(column.kind, SheetCells::unguarded(value));
        const QString refusal = value.isEmpty() ? QString() : column.refusal(value);
        if (!refusal.isEmpty())
            reasons.append(refusal);
    }
    for (int key : m_keyColumns) {
        const int field = columns.ofField.indexOf(key);
        row.key.append(given.fields.value(field));
        if (row.key.last().isEmpty())
            reasons.append(tr("关键字 %1 为空").arg(label(m_definition.columns.at(key))));
    }
    if (!reasons.isEmpty()) {
        row.kind = Refused;
        row.reason = reasons.join(tr("；"));
        given.fields.clear();
    }
    return given;
}

QHash<QString, int> ImportPlan::recordsByKey(QVector<Given> &given) const
{
    QHash<QString, int> byKey;
    byKey.reserve(given.size());
    QHash<QString, QList<int>> repeated; // every record of a key given more than once
    for (int i = 0; i < given.size(); ++i) {
        const QStringList &key = given.at(i).row.key;
        if (key.contains(QString()))
            continue;
        const QString text = keyText(key);
        const auto first = byKey.constFind(text);
        if (first == byKey.constEnd()) {
            byKey.insert(text, i);
            continue;
        }
        QList<int> &records = repeated[text];
        if (records.isEmpty())
            records.append(first.value());
        records.append(i);
    }
    for (const QList<int> &records : qAsConst(repeated)) {
        QList<int> lines;
        for (int i : records)
            lines.append(given.at(i).row.line);
        for (int i : records)
            refuseRepeated(given[i], lines);
    }
    for (auto it = byKey.begin(); it != byKey.end();) {
        if (given.at(it.value()).row.kind == Refused)
            it = byKey.erase(it);
        else
            ++it;
    }
    return byKey;
}

void ImportPlan::refuseRepeated(Given &given, const QList<int> &lines)
{
    QStringList others;
    for (int line : lines)
        if (line != given.row.line)
            others.append(QString::number(line));
    const QString reason = tr("关键字与第 %1 行重复").arg(others.join(QStringLiteral("、")));
    Row &row = given.row;
    row.reason = row.kind == Refused ? row.reason + tr("；") + reason : reason;
    row.kind = Refused;
    given.fields.clear();
}

QString ImportPlan::storedKey(const QStringList &stored) const
{
    QStringList key;
    for (int col : m_keyColumns)
        key.append(normalized(m_definition.columns.at(col).kind, stored.value(col)));
    return keyText(key);
}

QString ImportPlan::keyText(const QStringList &parts) const
{
    // MariaDB compares its keys with trailing blanks dropped: "A " is the stored "A" there. A
    // key of one column is its own text where it can be, not a copy a row.
    if (parts.size() == 1)
        return m_keysPadded ? withoutTrailingBlanks(parts.first()) : parts.first();
    if (!m_keysPadded)
        return parts.join(kKeySeparator);
    QStringList trimmed;
    for (const QString &part : parts)
        trimmed.append(withoutTrailingBlanks(part));
    return trimmed.join(kKeySeparator);
}

QString ImportPlan::compareWithTable(QVector<Given> &given, const QHash<QString, int> &recordOfKey, const QVector<int> &ofField,
                                     const TableReader &readTable, QVector<Row> *missing) const
{
    const QString error = readTable([&](const QStringList &stored) {
        const auto found = recordOfKey.constFind(storedKey(stored));
        if (found != recordOfKey.constEnd())
            compareRow(given[found.value()], ofField, stored);
        else if (missing)
            missing->append(deletedRow(stored));
    });
    if (!error.isEmpty())
        return error;
    for (Given &g : given) {
        if (g.row.kind != Refused && !g.found)
            markNew(g, ofField);
        g.fields.clear();
    }
    return QString();
}

void ImportPlan::compareRow(Given &given, const QVector<int> &ofField, const QStringList &stored) const
{
    Row &row = given.row;
    QVector<Cell> changed;
    QStringList locked;
    for (int f = 0; f < given.fields.size(); ++f) {
        const int col = ofField.at(f);
        if (col < 0)
            continue;
        const ColMgrData &column = m_definition.columns.at(col);
        const QString &old = stored.at(col);
        const QString &value = given.fields.at(f);
        if (sameValue(column.kind, old, value))
            continue;
        if (!column.editable)
            locked.append(label(column));
        changed.append({col, old, value});
    }
    QStringList key;
    for (int col : m_keyColumns)
        key.append(stored.at(col));
    if (key != row.key)
        row.key = key;
    row.cells = changed;
    row.kind = changed.isEmpty() ? Unchanged : Changed;
    row.reason.clear();
    given.found = true;
    if (!locked.isEmpty()) {
        row.kind = Refused;
        row.reason = tr("列 %1 不可修改").arg(locked.join(QStringLiteral("、")));
    }
}

void ImportPlan::markNew(Given &given, const QVector<int> &ofField) const
{
    Row &row = given.row;
    row.kind = New;
    for (int f = 0; f < given.fields.size(); ++f)
        if (ofField.at(f) >= 0 && !given.fields.at(f).isEmpty())
            row.cells.append({ofField.at(f), QString(), given.fields.at(f)});
}

ImportPlan::Row ImportPlan::deletedRow(const QStringList &stored) const
{
    Row row;
    row.kind = Deleted;
    for (int col : m_keyColumns)
        row.key.append(stored.value(col));
    for (int col = 0; col < m_definition.columns.size(); ++col)
        row.cells.append({col, stored.value(col), QString()});
    return row;
}

void ImportPlan::dropDeletions()
{
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), [](const Row &row) { return row.kind == Deleted; }), m_rows.end());
    m_counts[Deleted] = 0;
    m_deletionsWithheld = false;
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
