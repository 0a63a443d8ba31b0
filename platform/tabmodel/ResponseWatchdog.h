#pragma once

#include <memory>

class QSqlDatabase;

// Bounds the time a blocking call may wait for a database server. A server that stopped
// answering (frozen, or cut off without the connection being closed) would otherwise hold the
// caller for as long as the operating system keeps the socket: when the limit passes, the
// watchdog shuts the connection's socket, the call fails at once, and the guard says why.
class ResponseGuard
{
public:
    // Watches the connection until the guard goes; connections without a socket (SQLite) are
    // not watched.
    ResponseGuard(const QSqlDatabase &db, int limitSeconds);
    // The same for the connection's socket, looked up once for many calls (-1: not watched).
    ResponseGuard(int socket, int limitSeconds);
    static int socketOf(const QSqlDatabase &db);
    ~ResponseGuard();
    ResponseGuard(const ResponseGuard &) = delete;
    ResponseGuard &operator=(const ResponseGuard &) = delete;

    // True once the watchdog had to cut the connection.
    bool timedOut() const;

private:
    int m_slot = -1;
};

// Watches a long read row by row: each stretch of rows gets the limit anew, so that a server that
// stops answering in the middle of the rows (PostgreSQL sends them one by one) holds the reader
// no longer than before the first. Re-arming for every row would cost more than the row.
class RowStretchGuard
{
public:
    RowStretchGuard(int socket, int limitSeconds);
    void rowRead();
    // True once the watchdog had to cut the connection in any stretch.
    bool timedOut() const;

private:
    static constexpr int StretchRows = 4096;
    int m_socket;
    int m_limitSeconds;
    int m_rows = 0;
    bool m_timedOut = false;
    std::unique_ptr<ResponseGuard> m_guard;
};
