#pragma once

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
