#pragma once

#include "DbConnection.h"

// Sends the statements that stop other sessions' statements (KILL QUERY, pg_cancel_backend) from
// a thread and a connection of its own, in the order asked: the caller, the window's thread, never
// waits on a server that may have stopped answering.
namespace StatementStopper {

// Sends sql over a connection opened with params, only while that connection is on server: a
// session's number names another client's session on any other. Returns at once.
void send(const DbLinkParams &params, const QString &server, const QString &sql);

// Waits until every stop asked for so far was sent or given up (for tests).
void waitUntilSent();

} // namespace StatementStopper
