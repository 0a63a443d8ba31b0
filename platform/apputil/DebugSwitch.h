#pragma once

#include <QLoggingCategory>

namespace orv_public {

// Debug output (the log's DEBUG records, debug lines on standard error) is on in debug builds
// and, in release builds, only when MODEL_VARNIX_DEBUG=1: an engineer's switch, not the users' noise.
constexpr const char *DebugVariable = "MODEL_VARNIX_DEBUG";
bool debugOutputEnabled();

// The category of the tool's own lines on standard error; its debug lines follow the switch.
const QLoggingCategory &lcTool();

} // namespace orv_public
