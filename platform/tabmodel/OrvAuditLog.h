#pragma once

#include "SqlWrite.h"

#include <QList>
#include <QString>

// The audit trail: one JSON record a line for every write the library ran or refused, written
// after its transaction ended, so that a rolled-back batch is never recorded as applied.
namespace OrvAuditLog {

enum class Outcome { Committed, RolledBack, Refused };

struct Context
{
    QString account; // the platform account, or the direct link's database user
    QString link;    // which database, and how it was linked
};

// The records of one batch as text, one line each (no trailing line break).
QString format(const QList<SqlWrite> &writes, Outcome outcome, const Context &context, const QString &reason);
// Appends them to the audit logger, when logging runs. Safe to call from any thread.
void record(const QList<SqlWrite> &writes, Outcome outcome, const Context &context, const QString &reason);

} // namespace OrvAuditLog
