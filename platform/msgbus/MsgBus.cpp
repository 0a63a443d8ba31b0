#include "MsgBus.h"

#include <QMap>
#include <QMutex>
#include <QMutexLocker>

namespace orv_net {
namespace {

struct Subscription
{
    QString topic;
    MsgHandler handler;
};

struct Bus
{
    QMutex mutex;
    bool running = false;
    QString identity;
    int nextId = 1;
    QMap<int, Subscription> subscriptions;
};

Bus &bus()
{
    static Bus instance;
    return instance;
}

} // namespace

bool initMsgBus(const char *systemName, const char *processName, bool)
{
    Bus &b = bus();
    QMutexLocker lock(&b.mutex);
    b.identity = QString::fromUtf8(systemName) + QLatin1Char('.') + QString::fromUtf8(processName);
    b.running = true;
    return true;
}

bool releaseMsgBus()
{
    Bus &b = bus();
    QMutexLocker lock(&b.mutex);
    const bool wasRunning = b.running;
    b.running = false;
    b.subscriptions.clear();
    return wasRunning;
}

bool isMsgBusRunning()
{
    Bus &b = bus();
    QMutexLocker lock(&b.mutex);
    return b.running;
}

QString msgBusIdentity()
{
    Bus &b = bus();
    QMutexLocker lock(&b.mutex);
    return b.running ? b.identity : QString();
}

int subscribe(const QString &topic, MsgHandler handler)
{
    Bus &b = bus();
    QMutexLocker lock(&b.mutex);
    if (!b.running || !handler)
        return 0;
    const int id = b.nextId++;
    b.subscriptions.insert(id, Subscription{topic, std::move(handler)});
    return id;
}

void unsubscribe(int subscriptionId)
{
    Bus &b = bus();
    QMutexLocker lock(&b.mutex);
    b.subscriptions.remove(subscriptionId);
}

int publish(const QString &topic, const QByteArray &payload)
{
    QList<MsgHandler> receivers;
    {
        Bus &b = bus();
        QMutexLocker lock(&b.mutex);
        if (!b.running)
            return 0;
        for (const Subscription &s : qAsConst(b.subscriptions))
            if (s.topic == topic)
                receivers.append(s.handler);
    }
    // Handlers run unlocked so that they may publish or subscribe themselves.
    for (const MsgHandler &handler : qAsConst(receivers))
        handler(payload);
    return receivers.size();
}

} // namespace orv_net
