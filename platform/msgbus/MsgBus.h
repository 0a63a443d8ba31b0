#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace orv_net {

// An in-process bus: the tool talks to no peer process, but components of one process may
// publish to topics. Every call is safe in any order; calls after release are ignored.
bool initMsgBus(const char *systemName, const char *processName, bool autoReconnect);
bool releaseMsgBus();

bool isMsgBusRunning();
QString msgBusIdentity();

using MsgHandler = std::function<void(const QByteArray &)>;
// Returns a subscription id, or 0 when the bus is not running.
int subscribe(const QString &topic, MsgHandler handler);
void unsubscribe(int subscriptionId);
// Delivers to the topic's subscribers; the number reached.
int publish(const QString &topic, const QByteArray &payload);

} // namespace orv_net
