#include "ResponseWatchdog.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>
#include <mysql.h>

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A few calls at a time are watched (the link, a worker's connection, a login): each takes a slot.
class Watchdog
{
public:
    static constexpr int Slots = 16;

    static Watchdog &instance()
    {
        static Watchdog dog;
        return dog;
    }

    int arm(int socket, int limitSeconds)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < Slots; ++i) {
            Slot &s = m_slots[i];
            if (s.socket < 0) {
                s.socket = socket;
                s.deadline = Clock::now() + std::chrono::seconds(limitSeconds);
                s.timedOut = false;
                startOnce();
                return i;
            }
        }
        return -1; // more calls than slots: the call runs unwatched
    }

    bool disarm(int slot)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool timedOut = m_slots[slot].timedOut;
        m_slots[slot].socket = -1;
        return timedOut;
    }

    bool timedOut(int slot)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_slots[slot].timedOut;
    }

private:
    struct Slot
    {
        int socket = -1;
        Clock::time_point deadline;
        bool timedOut = false;
    };

    Watchdog() = default;
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void startOnce()
    {
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }

    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            // A quarter of a second is precise enough for limits of many seconds.
            m_wake.wait_for(lock, std::chrono::milliseconds(250));
            const Clock::time_point now = Clock::now();
            for (Slot &s : m_slots) {
                if (s.socket >= 0 && !s.timedOut && now >= s.deadline) {
                    s.timedOut = true;
                    ::shutdown(s.socket, SHUT_RDWR);
                }
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    Slot m_slots[Slots];
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace

int ResponseGuard::socketOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid())
        return -1;
    if (qstrcmp(handle.typeName(), "PGconn*") == 0)
        return PQsocket(*static_cast<PGconn *const *>(handle.data()));
    if (qstrcmp(handle.typeName(), "MYSQL*") == 0)
        return int(mysql_get_socket(*static_cast<MYSQL *const *>(handle.data())));
    return -1;
}

ResponseGuard::ResponseGuard(const QSqlDatabase &db, int limitSeconds)
    : ResponseGuard(socketOf(db), limitSeconds)
{
}

ResponseGuard::ResponseGuard(int socket, int limitSeconds)
{
    if (socket >= 0 && limitSeconds > 0)
        m_slot = Watchdog::instance().arm(socket, limitSeconds);
}

ResponseGuard::~ResponseGuard()
{
    if (m_slot >= 0)
        Watchdog::instance().disarm(m_slot);
}

bool ResponseGuard::timedOut() const
{
    return m_slot >= 0 && Watchdog::instance().timedOut(m_slot);
}

RowStretchGuard::RowStretchGuard(int socket, int limitSeconds)
    : m_socket(socket)
    , m_limitSeconds(limitSeconds)
    , m_guard(std::make_unique<ResponseGuard>(socket, limitSeconds))
{
}

void RowStretchGuard::rowRead()
{
    if (++m_rows < StretchRows)
        return;
    m_timedOut = m_timedOut || m_guard->timedOut();
    m_guard = std::make_unique<ResponseGuard>(m_socket, m_limitSeconds);
    m_rows = 0;
}

bool RowStretchGuard::timedOut() const
{
    return m_timedOut || m_guard->timedOut();
}
