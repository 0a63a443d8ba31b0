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

} // namespace orv_public
