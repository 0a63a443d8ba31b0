#pragma once

#include "SqlWrite.h"

#include <QList>
#include <QString>

#include <string>
#include <thread>
#include <vector>

// The audit trail: one JSON record a line for every write the library ran or refused, written
// after its transaction ended, so that a rolled-back batch is never recorded as applied.
namespace OrvAuditLog {

enum class Outcome { Committed, RolledBack, Refused };

struct Context
{
    QString account; // the platform account, or the direct link's database user
    QString link;    // which database, and how it was linked
};

// Records of one batch go to the logger together, so that a large batch costs a few writes.
constexpr int ChunkBytes = 1 << 20;

// The records of one batch. What the writes change is formatted on a thread of its own while
// they run; the outcome completes the records once the batch has ended. Nothing is formatted
// while audit logging does not run.
class Trail
{
public:
    explicit Trail(const QList<SqlWrite> &writes);
    ~Trail();
    Trail(const Trail &) = delete;
    Trail &operator=(const Trail &) = delete;

    // Appends every record to the audit logger, in chunks of about ChunkBytes.
    void record(Outcome outcome, const Context &context, const QString &reason);

private:
    void formatChanges();

    const QList<SqlWrite> &m_writes;
    std::string m_changes;           // the records' fields between their opening and close
    std::vector<std::size_t> m_ends; // where each record's fields end in m_changes
    std::thread m_formatter;
};

} // namespace OrvAuditLog
