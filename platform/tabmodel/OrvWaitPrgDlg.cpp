#include "OrvWaitPrgDlg.h"

#include "Worker.h"

#include <boost/bind/bind.hpp>

#include <QCloseEvent>
#include <QCoreApplication>
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

DbConnection::BatchResult OrvWaitPrgDlg::runWrites(const QList<SqlWrite> &writes, QWidget *parent)
{
    DbConnection::BatchResult result;
    result.error = tr("修改没有返回结果，数据库未确认修改。");
    Worker worker(nullptr);
    OrvWaitPrgDlg wait(boost::bind(&Worker::executeWrites, &worker, writes), parent);
    wait.setRange(0, writes.size());
    // The worker never waits for the window: progress is posted, and the result taken on the
    // worker's thread, read here once the thread has ended.
    connect(&worker, &Worker::sigExecuteSqlsProcess, &wait, &QProgressDialog::setValue, Qt::QueuedConnection);
    connect(&worker, &Worker::sigExecuteWritesResult, &wait,
            [&result](const DbConnection::BatchResult &r) { result = r; }, Qt::DirectConnection);
    wait.exec();
    return result;
}

int OrvWaitPrgDlg::exec()
{
    if (!m_job)
        return QDialog::Rejected;
    std::unique_ptr<QThread> thread(QThread::create(m_job));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    m_running = true;
    // The dialog shows itself ShowDelayMs after its first value, which a job that reports no
    // progress never sets: it would wait for Qt's own four seconds.
    if (value() < minimum())
        setValue(minimum());
    // Input is delivered to the filter and dropped, rather than held back until the job ends.
    qApp->installEventFilter(this);
    thread->start();
    loop.exec();
    thread->wait();
    // What the window system queued in the job's last moments is dropped as well.
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
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

bool OrvWaitPrgDlg::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    case QEvent::Close:
        // The window manager's close button on a window whose job is still running.
        return event->spontaneous() && watched != this;
    default:
        return QProgressDialog::eventFilter(watched, event);
    }
}
