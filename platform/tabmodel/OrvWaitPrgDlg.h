#pragma once

#include "SqlWrite.h"

#include <QList>
#include <QProgressDialog>

#include <boost/function.hpp>

// A modal progress dialog that runs its job on a thread of its own. exec() keeps the GUI
// event loop turning (so blocking queued signals from the job are served) and returns only
// after the job has ended. Input the user makes meanwhile is dropped, never replayed after
// the job: a second click must not start a second batch.
class OrvWaitPrgDlg : public QProgressDialog
{
    Q_OBJECT
public:
    static constexpr int ShowDelayMs = 300;

    OrvWaitPrgDlg(boost::function<void()> job, QWidget *parent);

    int exec() override;

    // Runs the writes through the Worker under a wait dialog; empty text when the database took
    // them all, else why nothing was applied.
    static QString executeWrites(const QList<SqlWrite> &writes, QWidget *parent);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    boost::function<void()> m_job;
    bool m_running = false;
};
