#include "OrvWaitPrgDlg.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QThread>

#include <memory>

OrvWaitPrgDlg::OrvWaitPrgDlg(boost::function<void()> job, QWidget *parent)
    : QProgressDialog(parent)
    , m_job(std::move(job))
{
    setWindowTitle(tr("请稍候"));
    setLabelText(tr("正在执行，请稍候..."));
    setCancelButton(nullptr);
    // Reaching the maximum must not hide the dialog before the job has returned.
    setAutoClose(false);
    setAutoReset(false);
    // A batch that ends at once flashes no dialog.
    setMinimumDuration(ShowDelayMs);
    setWindowModality(Qt::ApplicationModal);
}

int OrvWaitPrgDlg::exec()
{
    if (!m_job)
        return QDialog::Rejected;
    std::unique_ptr<QThread> thread(QThread::create(m_job));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    m_running = true;
    thread->start();
    // Until the dialog shows (and blocks the other windows itself), input waits for the job.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    m_running = false;
    hide();
    setResult(QDialog::Accepted);
    return QDialog::Accepted;
}

void OrvWaitPrgDlg::reject()
{
    if (!m_running)
        QProgressDialog::reject();
}

void OrvWaitPrgDlg::closeEvent(QCloseEvent *event)
{
    if (m_running)
        event->ignore();
    else
        QProgressDialog::closeEvent(event);
}
