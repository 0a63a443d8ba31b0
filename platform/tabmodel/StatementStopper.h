#pragma once

#include "DbConnection.h"

#include <functional>

// Sends the statements that stop other sessions' statements (KILL QUERY, pg_cancel_backend) from
// a thread and a connection of its own, in the order asked: the caller, the window's thread, never
// waits on a server that may have stopped answering.
namespace StatementStopper {

// Sends sql over a connection opened with params, only while that connection is on server: a
// session's number names another client's session on any other. Returns at once; sent is called
// on the stopper's thread once the stop went out or was given up (it may land on a statement that
// the session began after the one it was meant for).
void send(const DbLinkParams &params, const QString &server, const QString &sql, const std::function<void()> &sent);

// Waits until every stop asked for so far was sent or given up (for tests).
void waitUntilSent();

} // namespace StatementStopper
