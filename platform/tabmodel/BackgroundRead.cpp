#include "BackgroundRead.h"

#include "OrvDbDesign.h"

#include <QCoreApplication>
#include <QMutex>
#include <QPointer>
#include <QSet>
#include <QWaitCondition>

#include <optional>

namespace {

// Milliseconds a reader waits for its next read before it closes its connection.
constexpr unsigned long IdleCloseMs = 60000;

struct Request
{
    quint64 ticket = 0;
    DbLinkParams params;
    QString sql;
    QVariantList values;
};

} // namespace

struct BackgroundRead::Shared
{
    QMutex mutex;
    QWaitCondition wake;
    std::optional<Request> pending;
    quint64 wanted = 0;  // the ticket whose rows are to be delivered
    quint64 running = 0;
    quint64 cancels = 0; // statements stopped so far
    quint64 stopsSent = 0; // of those, the stops that went out (each may land on a later statement)
    std::function<void()> canceller;
    bool stopping = false;
};

namespace {

// Counts a stop that went out. Held by the stop alone: the shared state holds the canceller.
std::function<void()> noteStopSent(const std::shared_ptr<BackgroundRead::Shared> &shared)
{
    const std::weak_ptr<BackgroundRead::Shared> weak = shared;
    return [weak] {
        if (const std::shared_ptr<BackgroundRead::Shared> alive = weak.lock()) {
            QMutexLocker lock(&alive->mutex);
            ++alive->stopsSent;
        }
    };
}

// The reader thread's loop: takes the newest request, runs it, hands on its rows unless a newer
// request came meanwhile.
void serve(const std::shared_ptr<BackgroundRead::Shared> &shared, const QPointer<BackgroundRead> &owner)
{
    const QString name = DbConnection::uniqueName(QStringLiteral("orv_reader"));
    QString openLink;
    for (;;) {
        Request request;
        quint64 cancelsBefore = 0;
        quint64 stopsBefore = 0;
        {
            QMutexLocker lock(&shared->mutex);
            while (!shared->stopping && !shared->pending) {
                // Every table on screen has its readers: one idle a while gives its server
                // connection back, and opens another for its next read.
                if (!shared->wake.wait(&shared->mutex, IdleCloseMs) && !openLink.isEmpty()) {
                    shared->canceller = {};
                    DbConnection::close(name);
                    openLink.clear();
                }
            }
            if (shared->stopping)
                break;
            request = *shared->pending;
            shared->pending.reset();
            shared->running = request.ticket;
            cancelsBefore = shared->cancels;
            stopsBefore = shared->stopsSent;
        }
        DbRows rows;
        const auto openConnection = [&] {
            rows.error = DbConnection::open(request.params, name);
            openLink = rows.error.isEmpty() ? request.params.identity() : QString();
            QMutexLocker lock(&shared->mutex);
            shared->canceller = rows.error.isEmpty() ? DbConnection::statementCanceller(QSqlDatabase::database(name, false), request.params, noteStopSent(shared))
                                                     : std::function<void()>();
        };
        const bool opened = openLink != request.params.identity();
        if (opened)
            openConnection();
        OrvDbDesign design(name);
        if (rows.error.isEmpty())
            rows = design.rows(request.sql, request.values);
        // A server that restarted, or a failover, took the connection along: the read is asked
        // again once over a new one, as the link's reads are.
        if (!opened && !rows.ok() && design.lostConnection()) {
            bool retry = false;
            {
                QMutexLocker lock(&shared->mutex);
                retry = !shared->pending && shared->wanted == request.ticket && shared->cancels == cancelsBefore && shared->stopsSent == stopsBefore;
            }
            if (retry) {
                openConnection();
                if (rows.error.isEmpty())
                    rows = design.rows(request.sql, request.values);
            }
        }
        bool deliver = false;
        {
            QMutexLocker lock(&shared->mutex);
            shared->running = 0;
            deliver = !shared->pending && shared->wanted == request.ticket;
            // A stop meant for an earlier read may have hit this one: asked for while it ran, or,
            // where the read failed on a connection that lives on (a stop leaves it so), asked
            // for before and gone out since or still out. It is asked again.
            const bool connectionLives = !openLink.isEmpty() && !design.lostConnection() && !design.timedOut();
            const bool stopped = shared->cancels != cancelsBefore
                || (connectionLives && (shared->stopsSent != stopsBefore || cancelsBefore != stopsBefore));
            if (deliver && !rows.ok() && stopped) {
                shared->pending = request;
                deliver = false;
            }
            // A link that failed otherwise is opened again for the next read.
            if (!rows.ok() && !stopped)
                openLink.clear();
        }
        if (deliver)
            QMetaObject::invokeMethod(QCoreApplication::instance(), [owner, request, rows] {
                if (owner)
                    emit owner->arrived(request.ticket, rows);
            }, Qt::QueuedConnection);
    }
    DbConnection::close(name);
}

// Reader threads whose table went while they still read. A read hung on a server that stopped
// answering ends at the response limit: the window does not wait for it, and the application
// does, before the database drivers go.
QSet<QThread *> &retired()
{
    static QSet<QThread *> threads;
    return threads;
}

void reapRetired()
{
    for (QThread *thread : qAsConst(retired())) {
        thread->wait();
        delete thread;
    }
    retired().clear();
}

void retire(QThread *thread)
{
    if (!QCoreApplication::instance()) {
        thread->wait();
        delete thread;
        return;
    }
    static const bool reaped = (qAddPostRoutine(reapRetired), true);
    Q_UNUSED(reaped)
    const auto reap = [thread] {
        if (retired().remove(thread)) {
            thread->wait();
            delete thread;
        }
    };
    retired().insert(thread);
    // Connected before the look at its state: a thread that ends in between is reaped once.
    QObject::connect(thread, &QThread::finished, QCoreApplication::instance(), reap);
    if (thread->isFinished())
        reap();
}

} // namespace

BackgroundRead::BackgroundRead(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    qRegisterMetaType<DbRows>("DbRows");
    const std::shared_ptr<Shared> shared = m_shared;
    const QPointer<BackgroundRead> owner(this);
    m_thread = QThread::create([shared, owner] { serve(shared, owner); });
    m_thread->start();
}

BackgroundRead::~BackgroundRead()
{
    drop();
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->stopping = true;
        m_shared->wake.wakeAll();
    }
    retire(m_thread);
}

void BackgroundRead::read(quint64 ticket, const DbLinkParams &params, const QString &sql, const QVariantList &values)
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->pending = Request{ticket, params, sql, values};
        m_shared->wanted = ticket;
        m_shared->wake.wakeAll();
    }
    cancelRunning();
}

void BackgroundRead::drop()
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->pending.reset();
        m_shared->wanted = 0;
    }
    cancelRunning();
}

void BackgroundRead::cancelRunning()
{
    std::function<void()> cancel;
    {
        QMutexLocker lock(&m_shared->mutex);
        if (m_shared->running == 0 || !m_shared->canceller)
            return;
        ++m_shared->cancels;
        cancel = m_shared->canceller;
    }
    cancel();
}
