#pragma once

#include "DbConnection.h"
#include "SqlWrite.h"

#include <QList>
#include <QObject>
#include <QStringList>

// Runs a batch of writes on the calling thread, over a connection of its own cloned from the
// link, through the library's one write runner. Meant to run as an OrvWaitPrgDlg job, off the
// GUI thread.
class Worker : public QObject
{
    Q_OBJECT
public:
    // Milliseconds between two progress reports at the most.
    static constexpr int ProgressIntervalMs = 100;

    explicit Worker(QObject *parent = nullptr);

    // Statement texts, each taken apart so that its values are checked like any other write.
    void executeSqls(QStringList sqls);
    // Writes a writer built; they carry what the texts cannot (the values they replace).
    void executeWrites(const QList<SqlWrite> &writes);

signals:
    // Statements done so far, 0 to their number: at the start, every ProgressIntervalMs and at the end.
    // Connected queued, it never holds the worker back.
    void sigExecuteSqlsProcess(int value);
    // Empty on success, else the reason; nothing is applied on failure.
    void sigExecuteSqlsResult(const QString &error);
    // The same outcome whole: which write and column failed, whether the link was lost.
    void sigExecuteWritesResult(const DbConnection::BatchResult &result);

private:
    void run(const QList<SqlWrite> &writes, const QString &refused);
};
