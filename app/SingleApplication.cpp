#include "SingleApplication.h"

#include "SingleApplicationPrivate.h"

#include <QLocalSocket>

#include <cstdlib>

SingleApplication::SingleApplication(int &argc, char *argv[], bool allowSecondary, Options options, int timeout)
    : QApplication(argc, argv)
    , d(new SingleApplicationPrivate(this, options))
{
    const SingleApplicationPrivate::StartOutcome outcome = d->start(allowSecondary, timeout);
    if (outcome == SingleApplicationPrivate::StartOutcome::Continue)
        return;
    // This start ends here, before anything of the tool has run.
    delete d;
    d = nullptr;
    std::exit(outcome == SingleApplicationPrivate::StartOutcome::EndSuccess ? EXIT_SUCCESS : EXIT_FAILURE);
}

SingleApplication::~SingleApplication()
{
    delete d;
}

bool SingleApplication::isPrimaryInstance() const
{
    return d->isPrimary();
}

bool SingleApplication::isSecondaryInstance() const
{
    return !d->isPrimary();
}

quint32 SingleApplication::instanceNumber() const
{
    return quint32(d->instanceNumber());
}

qint64 SingleApplication::primaryProcessId() const
{
    return d->primaryProcessId();
}

QString SingleApplication::blockName() const
{
    return d->guardName();
}

bool SingleApplication::sendToPrimary(const QByteArray &message, int timeout)
{
    if (isPrimaryInstance())
        return false;
    d->connectToPrimary(timeout, SingleApplicationPrivate::ConnMessage);
    QLocalSocket *socket = d->socket();
    if (socket->state() != QLocalSocket::ConnectedState)
        return false;
    socket->write(message);
    const bool written = socket->waitForBytesWritten(timeout);
    socket->flush();
    return written;
}
