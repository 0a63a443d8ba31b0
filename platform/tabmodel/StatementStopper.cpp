#include "StatementStopper.h"

#include "ResponseWatchdog.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace StatementStopper {

namespace {

// An idle stopper gives its server connection back, and opens another for its next stop.
constexpr std::chrono::seconds IdleClose(60);

struct Stop
{
    DbLinkParams params;
    QString server;
    QString sql;
    std::function<void()> sent;
};

class Stopper
{
public:
    Stopper() : m_thread([this] { run(); }) {}

    void send(const Stop &stop)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stops.push_back(stop);
        m_wake.notify_all();
    }

    void waitUntilSent()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_stops.empty() && !m_sending; });
    }

    // Stops asked for and not yet sent are given up: their statements end with the application.
    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finishing = true;
            m_wake.notify_all();
        }
        m_thread.join();
        for (const Stop &stop : m_stops)
            stop.sent();
        m_stops.clear();
    }

private:
    void run()
    {
        const QString name = DbConnection::uniqueName(QStringLiteral("orv_stopper"));
        QString opened; // the identity of the parameters the connection was opened with
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_finishing) {
            if (m_stops.empty()) {
                if (!m_wake.wait_for(lock, IdleClose, [this] { return m_finishing || !m_stops.empty(); }) && !opened.isEmpty()) {
                    DbConnection::close(name);
                    opened.clear();
                }
                continue;
            }
            const Stop stop = m_stops.front();
            m_stops.pop_front();
            m_sending = true;
            lock.unlock();
            sendOne(name, stop, &opened);
            stop.sent();
            lock.lock();
            m_sending = false;
            m_idle.notify_all();
        }
        lock.unlock();
        DbConnection::close(name);
    }

    // Over the connection as it stands, else once over a new one: it may be on a server that
    // went, or on another than the reader's after a failover.
    static void sendOne(const QString &name, const Stop &stop, QString *opened)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (*opened != stop.params.identity()) {
                if (!DbConnection::open(stop.params, name).isEmpty()) {
                    opened->clear();
                    return;
                }
                *opened = stop.params.identity();
            }
            const QSqlDatabase db = QSqlDatabase::database(name, false);
            if (DbConnection::serverInUse(db) != stop.server) {
                opened->clear();
                continue;
            }
            ResponseGuard guard(db, DbConnection::responseLimitSeconds());
            QSqlQuery query(db);
            if (query.exec(stop.sql))
                return;
            const bool lost = guard.timedOut() || DbConnection::isLinkLost(db, query.lastError());
            if (lost)
                opened->clear();
            // A statement that ended meanwhile has nothing to stop: not sent again.
            if (!lost || guard.timedOut())
                return;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Stop> m_stops;
    bool m_sending = false;
    bool m_finishing = false;
    std::thread m_thread;
};

std::mutex g_mutex;
Stopper *g_stopper = nullptr;
bool g_finished = false;

void finishStopper()
{
    Stopper *ending = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        ending = g_stopper;
        g_stopper = nullptr;
        g_finished = true;
    }
    ending->finish();
    delete ending;
}

// None once the application ended: a stop asked for then has no statement left to stop.
Stopper *stopper()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_stopper && !g_finished) {
        g_stopper = new Stopper;
        // Ended with the application, while the database drivers are still there.
        qAddPostRoutine(finishStopper);
    }
    return g_stopper;
}

} // namespace

void send(const DbLinkParams &params, const QString &server, const QString &sql, const std::function<void()> &sent)
{
    if (Stopper *s = stopper())
        s->send({params, server, sql, sent});
    else
        sent();
}

void waitUntilSent()
{
    if (Stopper *s = stopper())
        s->waitUntilSent();
}

} // namespace StatementStopper
