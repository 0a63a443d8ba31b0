#pragma once

#include <log4cplus/logger.h>

namespace orv_public {

// Configures log4cplus from <root>/etc/log4cplus.properties, or with a rolling file
// <root>/log/<process>.log when there is none. Throws std::runtime_error with a reason
// the user can act on when logging cannot start.
void StartLogSystem(const char *systemName, const char *processName);
// ok comes back true when the returned logger may be used.
log4cplus::Logger &getLogger(bool &ok);
void StopLogSystem();

// The logger of the audit trail (every committed or rolled-back write), configured in the same
// properties file under this name; ok as for getLogger. Safe to call from any thread.
constexpr const char *AuditLoggerName = "AUDIT";
log4cplus::Logger getAuditLogger(bool &ok);

} // namespace orv_public
