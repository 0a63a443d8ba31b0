#pragma once

#include "SheetData.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// The audit trail as records to look through: what was written when, by whom, to which row.
namespace AuditTrail {

// The record's fields in the order they are shown and exported.
enum Field { Time, Outcome, Account, Action, Table, KeyColumn, Key, Column, Old, New, Reason, Batch, Link, FieldCount };

struct Record
{
    QString fields[FieldCount]; // NULL as the empty text
};

struct Query
{
    QDateTime from;          // invalid: no limit
    QDateTime to;
    QString account;         // empty: every account
    QString table;           // letter case ignored; empty: every table
    QString key;             // a part of the key, letter case ignored
    bool committedOnly = true;
};

struct Result
{
    QVector<Record> records; // oldest first
    int unreadable = 0;      // lines that are no record
    QString error;           // a file that could not be read
};

// The trail's files in a log directory, oldest first: audit.log.N ... audit.log.1, audit.log.
QStringList files(const QString &logDir);
// The records of those files that meet the query.
Result read(const QString &logDir, const Query &query);

// The column headers: descriptions for the table, the record's own field names as names.
QVector<SheetColumn> columns();

} // namespace AuditTrail
