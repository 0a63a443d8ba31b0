#pragma once

#include "DbConnection.h"
#include "SqlWrite.h"

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

    // Runs the writes through a Worker under a wait dialog of the parent: off the GUI thread,
    // so the window keeps painting while a server is slow. The runner's whole outcome; a
    // worker that never reports counts as a failure.
    static DbConnection::BatchResult runWrites(const QList<SqlWrite> &writes, QWidget *parent);

    int exec() override;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    boost::function<void()> m_job;
    bool m_running = false;
};
