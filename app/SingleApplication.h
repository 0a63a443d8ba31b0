#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>

class SingleApplicationPrivate;

// The application object of the tool. Instances of one key (user, installation) share a
// shared-memory block: the first becomes the primary and listens on a local socket; a later
// start tells the primary (instanceStarted) and ends with status 0 inside the constructor.
// When no block can be used, the instance runs without the guard, as its own primary.
class SingleApplication : public QApplication
{
    Q_OBJECT
public:
    enum Mode {
        User = 0,
        PerUser = 1,
        NotifyOnSecondary = 4,
        SkipVersionInKey = 8,
        SkipPathInKey = 16,
    };
    Q_DECLARE_FLAGS(Options, Mode)

    SingleApplication(int &argc, char *argv[], bool allowSecondary = false, Options options = PerUser,
                      int timeout = 1000);
    ~SingleApplication() override;

    bool isPrimaryInstance() const;
    bool isSecondaryInstance() const;
    // 0 for the primary, the running count of secondaries for a secondary.
    quint32 instanceNumber() const;
    qint64 primaryProcessId() const;
    // The block's key and the primary's server name this start settled on; empty when it runs
    // unguarded.
    QString blockName() const;
    // Sends message to the primary; false in the primary or when it was not written in time.
    bool sendToPrimary(const QByteArray &message, int timeout);

signals:
    void instanceStarted();
    void receivedMessage(quint32 instanceId, QByteArray message);

private:
    SingleApplicationPrivate *d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SingleApplication::Options)
