#pragma once

#include <QObject>
#include <QStringList>

// Runs a statement batch on the calling thread, over a connection of its own cloned from the
// link, in one transaction, checked and audited like every write of the library. Meant to run
// as an OrvWaitPrgDlg job, off the GUI thread.
class Worker : public QObject
{
    Q_OBJECT
public:
    explicit Worker(QObject *parent = nullptr);

    void executeSqls(QStringList sqls);

signals:
    // Statements done so far, 0 to sqls.size(); sent at most about a hundred times a batch.
    void sigExecuteSqlsProcess(int value);
    // Empty on success, else the reason; nothing is applied on failure.
    void sigExecuteSqlsResult(const QString &error);
};
