// Starts the way the tool starts and reports on stdout, one line each, what became of it:
//   KEY <name>                   with --key: only the block name, no guard
//   PRIMARY <primary pid> <name>  name: the block name it settled on
//   SECONDARY <number> <primary pid>
//   UNGUARDED <pid>              runs without the guard
//   STARTED                      the primary was told of a later start
//   MESSAGE <instance> <text>
//   SENT <0|1>                   with --send TEXT: what sendToPrimary returned
// A start that hands over ends inside the constructor and prints nothing.
// Options: --secondary (secondaries allowed), --notify, --waits LIMIT,BASE,STEP (ms).
// Ends on "quit" or end of input on stdin, or by itself after 30 s.
#include "ProcessInfo.h"
#include "SingleApplication.h"
#include "SingleApplicationPrivate.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

QString argAfter(const QStringList &args, const QString &option)
{
    const int i = args.indexOf(option);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
}

void quitOnInputEnd()
{
    std::thread([] {
        std::string line;
        while (std::getline(std::cin, line) && line != "quit") {
        }
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }).detach();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    SingleApplication::Options options = SingleApplication::PerUser;
    if (args.contains(QStringLiteral("--notify")))
        options |= SingleApplication::NotifyOnSecondary;
    if (args.contains(QStringLiteral("--key"))) {
        QCoreApplication app(argc, argv);
        say(QStringLiteral("KEY ") + SingleApplicationPrivate::blockName(options, orv_public::ProcessInfo::userName()));
        return 0;
    }
    const QStringList waits = argAfter(args, QStringLiteral("--waits")).split(QLatin1Char(','));
    if (waits.size() == 3)
        SingleApplicationPrivate::setConsistencyWaits({waits.at(0).toInt(), waits.at(1).toInt(), waits.at(2).toInt()});

    SingleApplication app(argc, argv, args.contains(QStringLiteral("--secondary")), options, 1000);
    if (app.blockName().isEmpty())
        say(QStringLiteral("UNGUARDED %1").arg(app.primaryProcessId()));
    else if (app.isPrimaryInstance())
        say(QStringLiteral("PRIMARY %1 %2").arg(app.primaryProcessId()).arg(app.blockName()));
    else
        say(QStringLiteral("SECONDARY %1 %2").arg(app.instanceNumber()).arg(app.primaryProcessId()));
    QObject::connect(&app, &SingleApplication::instanceStarted, [] { say(QStringLiteral("STARTED")); });
    QObject::connect(&app, &SingleApplication::receivedMessage, [](quint32 instance, const QByteArray &message) {
        say(QStringLiteral("MESSAGE %1 %2").arg(instance).arg(QString::fromUtf8(message)));
    });
    const QString message = argAfter(args, QStringLiteral("--send"));
    if (!message.isEmpty())
        say(QStringLiteral("SENT %1").arg(int(app.sendToPrimary(message.toUtf8(), 1000))));

    quitOnInputEnd();
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return app.exec();
}
