#pragma once

#include "CsvFile.h"
#include "ImportColumns.h"
#include "SqlWrite.h"
#include "TableDefinition.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVector>

#include <functional>

// What importing a file into a table would do, row by row, before anything is written: which
// records are new, which change (each cell old -> new), which stay, which are refused and why,
// and, when asked, which rows of the table the file no longer has and would be deleted.
class ImportPlan
{
public:
    // In the order the preview lists them.
    enum Kind { Deleted, Refused, Changed, New, Unchanged };
    static constexpr int KindCount = 5;

    struct Cell
    {
        int column; // in the definition
        QString old;
        QString value;
    };
    struct Row
    {
        Kind kind = Unchanged;
        int line = 0;         // where the record starts in the file; 0 for a deleted row
        QStringList key;      // as the table holds it, or as the file gives it for a new row
        QVector<Cell> cells;  // changed: old -> new; new: the given values; deleted: the stored row
        QString reason;       // refused: why
    };
    struct Options
    {
        bool deleteMissing = false; // rows of the table that the file does not have
        QString connection;         // where the table is read, when not through the link
    };

    // Hands visit the table's rows one at a time, every column of the definition in its order,
    // NULL as the empty text (TableSheet::forEachRow); why they could not be read, or empty.
    using TableReader = std::function<QString(const std::function<void(const QStringList &)> &visit)>;

    // Compares the file's data records, which it takes apart as it goes, with the table's rows
    // as they are read: neither file nor table is held twice, nor the table at all.
    static ImportPlan build(const TableDefinition &definition, QVector<CsvRecord> records,
                            const ImportColumns &columns, const TableReader &readTable, const Options &options);

    // The plan without deleting the rows the file lacks, as if that had not been asked.
    void dropDeletions();

    // Whether the table could be read; without it there is no plan.
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    const TableDefinition &definition() const { return m_definition; }
    const QVector<Row> &rows() const { return m_rows; }
    int count(Kind kind) const { return m_counts[kind]; }
    int changedCells() const { return m_changedCells; }
    // Whether applying would write anything.
    bool hasWrites() const { return count(Changed) + count(New) + count(Deleted) > 0; }

    static QString kindName(Kind kind);
    // "新增 2  修改 3（4 个单元格）  未变 …": the counts of every kind.
    QString summary() const;
    // A row's change or reason in one text.
    QString describe(const Row &row) const;

    // The writes of the accepted rows: refused rows are never among them. Updates and deletes
    // only find rows that still hold what was read.
    QList<SqlWrite> writes() const { return writesOf(false); }
    // The writes that put back what writes() changed, only where nobody changed it since.
    QList<SqlWrite> undoWrites() const { return writesOf(true); }

private:
    // A data record of the file while it is compared: the row it becomes, and its fields
    // (values as the table would hold them; empty for fields of no column).
    struct Given
    {
        Row row;
        QStringList fields;
        bool found = false; // a stored row has its key
    };

    Given readRecord(CsvRecord &record, const ImportColumns &columns) const;
    // The records by key; those whose key another record has too are refused, and with the
    // other refused records not among them.
    QHash<QString, int> recordsByKey(QVector<Given> &given) const;
    static void refuseRepeated(Given &given, const QList<int> &lines);
    QString storedKey(const QStringList &stored) const;
    // A key's cells as one text, compared as the database compares keys.
    QString keyText(const QStringList &parts) const;
    // Compares each stored row with the record of its key as the table is read; the stored
    // rows no record has go to missing when it is given.
    QString compareWithTable(QVector<Given> &given, const QHash<QString, int> &recordOfKey, const QVector<int> &ofField,
                             const TableReader &readTable, QVector<Row> *missing) const;
    void compareRow(Given &given, const QVector<int> &ofField, const QStringList &stored) const;
    void markNew(Given &given, const QVector<int> &ofField) const;
    Row deletedRow(const QStringList &stored) const;
    void addRow(const Row &row);

    SqlWrite write(SqlWrite::Kind kind, const QStringList &key) const;
    SqlWrite updated(const Row &row, bool undo) const;
    SqlWrite inserted(const Row &row) const;
    SqlWrite removed(const Row &row) const;
    QList<SqlWrite> writesOf(bool undo) const;

    QString m_error;
    TableDefinition m_definition;
    QList<int> m_keyColumns;
    QVector<Row> m_rows;
    int m_counts[KindCount] = {};
    int m_changedCells = 0;
    bool m_deletionsWithheld = false; // rows were refused: none is deleted for being missing
    bool m_keysPadded = false;        // the database compares keys without their trailing blanks
};
