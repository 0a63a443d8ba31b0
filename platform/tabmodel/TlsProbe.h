#pragma once

#include <QString>

struct DbServer;

// Looks at a server's TLS before anything of a login is sent: whether the server offers TLS at
// all, and whether its certificate passes a check against trusted CA certificates and, if
// asked, the address it was reached by. The SQL driver's own handshake follows separately.
namespace TlsProbe {

enum class Protocol { MariaDb, Postgres };

struct Result
{
    bool reached = false; // the server answered its protocol's greeting
    bool offered = false; // it offers TLS
    bool silent = false;  // not reached: no connection or no greeting within the time-out
    QString failure;      // why its certificate failed the check; empty when it passed or was not checked
};

// caFile empty: only whether TLS is offered. checkHost: the certificate must name server.host.
Result examine(Protocol protocol, const DbServer &server, const QString &caFile, bool checkHost, int timeoutSeconds);

} // namespace TlsProbe
