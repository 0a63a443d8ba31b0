#pragma once

#include "AppLog.h"

#include <QString>
#include <log4cplus/loggingmacros.h>

// The one way the tool writes a log record: only when the logger is usable and the level
// enabled, the text formatted with "%s" from UTF-8, with file, line and function signature.
#define ORV_LOG(level, text)                                                                    \
    do {                                                                                        \
        bool orvLogOk_ = false;                                                                 \
        log4cplus::Logger &orvLogger_ = orv_public::getLogger(orvLogOk_);                       \
        if (orvLogOk_ && orvLogger_.isEnabledFor(level)) {                                      \
            LOG4CPLUS_MACRO_INSTANTIATE_SNPRINTF_BUF(orvLogBuf_);                               \
            const QByteArray orvLogText_ = QString(text).toUtf8();                              \
            orvLogger_.forcedLog(level, orvLogBuf_.print("%s", orvLogText_.constData()),        \
                                 __FILE__, __LINE__, LOG4CPLUS_MACRO_FUNCTION());               \
        }                                                                                       \
    } while (false)

#define ORV_LOG_DEBUG(text) ORV_LOG(log4cplus::DEBUG_LOG_LEVEL, text)
#define ORV_LOG_WARN(text) ORV_LOG(log4cplus::WARN_LOG_LEVEL, text)
#define ORV_LOG_ERROR(text) ORV_LOG(log4cplus::ERROR_LOG_LEVEL, text)
