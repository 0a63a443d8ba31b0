#pragma once

#include <QApplication>
#include <QByteArray>

// The application object of the tool. Instances of one user share it: a later start hands
// over to the running one (instanceStarted) and ends.
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

signals:
    void instanceStarted();
    void receivedMessage(quint32 instanceId, QByteArray message);

private:
    bool m_allowSecondary;
    Options m_options;
    int m_timeout;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SingleApplication::Options)
