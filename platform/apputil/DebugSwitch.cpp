#include "DebugSwitch.h"

namespace orv_public {

bool debugOutputEnabled()
{
#ifdef NDEBUG
    return qEnvironmentVariableIntValue(DebugVariable) == 1;
#else
    return true;
#endif
}

const QLoggingCategory &lcTool()
{
    static const QLoggingCategory category("model_varnix", debugOutputEnabled() ? QtDebugMsg : QtInfoMsg);
    return category;
}

} // namespace orv_public
