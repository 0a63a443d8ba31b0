// The single-instance guard between real processes: the probe program constructs the
// application object as the tool does and reports what became of it.
#include "SingleApplicationPrivate.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

namespace {

using Block = SingleApplicationPrivate::InstanceBlock;

class Probe
{
public:
    explicit Probe(const QString &program = QStringLiteral(SINGLEAPP_PROBE))
        : m_program(program)
    {
    }
    ~Probe()
    {
        // Quit rather than kill, so that a failed test leaves no stale block behind.
        if (m_process.state() != QProcess::NotRunning && quit() < 0)
            kill();
    }

    bool start(const QStringList &args = QStringList())
    {
        m_process.start(m_program, args);
        return m_process.waitForStarted(5000);
    }

    // The first output line starting with prefix, waiting up to timeoutMs for it.
    QString waitFor(const QString &prefix, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            collect();
            for (const QString &line : qAsConst(m_lines))
                if (line.startsWith(prefix))
                    return line;
            if (timer.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return QString();
            m_process.waitForReadyRead(50);
        }
    }
    int count(const QString &line)
    {
        collect();
        return m_lines.count(line);
    }
    QStringList lines()
    {
        collect();
        return m_lines;
    }
    // Exit code once the process ended by itself within timeoutMs, -1 otherwise.
    int ended(int timeoutMs = 5000)
    {
        if (!m_process.waitForFinished(timeoutMs) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        collect();
        return m_process.exitCode();
    }
    int quit()
    {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        return ended();
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    qint64 processId() const { return m_process.processId(); }
    QString errors()
    {
        collect();
        return m_errors;
    }

private:
    void collect()
    {
        const QString out = QString::fromUtf8(m_process.readAllStandardOutput());
        m_pending += out;
        const int end = m_pending.lastIndexOf(QLatin1Char('\n'));
        if (end >= 0) {
            m_lines += m_pending.left(end).split(QLatin1Char('\n'));
            m_pending.remove(0, end + 1);
        }
        m_errors += QString::fromUtf8(m_process.readAllStandardError());
    }

    QString m_program;
    QProcess m_process;
    QStringList m_lines;
    QString m_pending;
    QString m_errors;
};

// Starts a probe expected to become the primary; its block name, empty when it did not.
QString startPrimary(Probe &probe, const QStringList &args = QStringList())
{
    if (!probe.start(args))
        return QString();
    const QStringList fields = probe.waitFor(QStringLiteral("PRIMARY ")).split(QLatin1Char(' '));
    if (fields.size() != 3 || fields.at(1).toLongLong() != probe.processId())
        return QString();
    return fields.at(2);
}

QString probeKey(const QString &program = QStringLiteral(SINGLEAPP_PROBE))
{
    Probe probe(program);
    probe.start({QStringLiteral("--key")});
    return probe.waitFor(QStringLiteral("KEY ")).mid(4);
}

template <typename Write>
QByteArray streamed(Write write)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(17);
    write(out);
    return bytes;
}

// A start notice as another program would send it: header, then body.
QByteArray notice(const QString &name, quint8 type, quint32 instance, quint16 checksumOffset = 0)
{
    QByteArray body = streamed([&](QDataStream &out) { out << name.toLatin1() << type << instance; });
    const quint16 checksum = quint16(qChecksum(body.constData(), uint(body.size())) + checksumOffset);
    body += streamed([checksum](QDataStream &out) { out << checksum; });
    return streamed([&body](QDataStream &out) { out << quint64(body.size()); }) + body;
}

bool sendRaw(QLocalSocket &socket, const QByteArray &bytes)
{
    socket.write(bytes);
    return socket.waitForBytesWritten(2000);
}

// The state letter of a process, 0 when there is none.
char processState(qint64 processId)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QByteArray state = line.mid(line.lastIndexOf(')') + 2, 1);
    return state.isEmpty() ? 0 : state.at(0);
}

QString sha256Name(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toBase64().replace('/', '_'));
}

} // namespace

class SingleAppTest : public QObject
{
    Q_OBJECT

private slots:
    void blockNameCoversUserVersionAndPath()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
        QCoreApplication::setOrganizationName(QStringLiteral("Org"));
        const QByteArray head = "SingleApplication" + QCoreApplication::applicationName().toUtf8() + "Org" + "1.0";
        const QByteArray path = QCoreApplication::applicationFilePath().toLower().toUtf8();
        const auto name = [](SingleApplication::Options options, const QByteArray &user) {
            return SingleApplicationPrivate::blockName(options, user);
        };
        const QString alice = name(SingleApplication::PerUser, "alice");
        QCOMPARE(alice.size(), 44);
        QVERIFY(!alice.contains(QLatin1Char('/')));
        QCOMPARE(alice, sha256Name(head + path + "alice"));
        QCOMPARE(name(SingleApplication::User, "alice"), sha256Name(head + path));
        QCOMPARE(name(SingleApplication::PerUser | SingleApplication::SkipPathInKey, "alice"),
                 sha256Name(head + "alice"));
        QVERIFY(name(SingleApplication::PerUser, "bob") != alice);
        QCOMPARE(name(SingleApplication::User, "bob"), name(SingleApplication::User, "alice"));

        const QString skipVersion = name(SingleApplication::PerUser | SingleApplication::SkipVersionInKey, "alice");
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
        QVERIFY(name(SingleApplication::PerUser, "alice") != alice);
        QCOMPARE(name(SingleApplication::PerUser | SingleApplication::SkipVersionInKey, "alice"), skipVersion);
        QCoreApplication::setApplicationVersion(QString());
        QCoreApplication::setOrganizationName(QString());
    }

    void secondStartHandsOverAndEndsWithZero()
    {
        Probe primary;
        const QString name = startPrimary(primary);
        QVERIFY2(!name.isEmpty(), qPrintable(primary.lines().join(QLatin1Char('|')) + primary.errors()));
        for (int n = 1; n <= 2; ++n) {
            Probe later;
            QVERIFY(later.start());
            QCOMPARE(later.ended(), 0);
            QVERIFY2(later.lines().isEmpty(), qPrintable(later.lines().join(QLatin1Char('|'))));
            QVERIFY(later.errors().contains(QStringLiteral("111111111111111111111111111111")));
            QVERIFY(!primary.waitFor(QStringLiteral("STARTED")).isEmpty());
            QTRY_COMPARE(primary.count(QStringLiteral("STARTED")), n);
        }
        QCOMPARE(primary.quit(), 0);
    }

    void otherInstallationIsIndependentLetterCaseIgnored()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto install = [&dir](const QString &folder) {
            QDir(dir.path()).mkpath(folder);
            const QString program = dir.filePath(folder + QStringLiteral("/singleapp_probe"));
            return QFile::copy(QStringLiteral(SINGLEAPP_PROBE), program) ? program : QString();
        };
        const QString upper = install(QStringLiteral("Inst"));
        const QString lower = install(QStringLiteral("inst"));
        const QString other = install(QStringLiteral("other"));
        QVERIFY(!upper.isEmpty() && !lower.isEmpty() && !other.isEmpty());

        Probe first(upper);
        const QString name = startPrimary(first);
        QVERIFY(!name.isEmpty());
        Probe sameButCase(lower);
        QVERIFY(sameButCase.start());
        QCOMPARE(sameButCase.ended(), 0);
        QVERIFY(!first.waitFor(QStringLiteral("STARTED")).isEmpty());

        Probe elsewhere(other);
        const QString otherName = startPrimary(elsewhere);
        QVERIFY(!otherName.isEmpty());
        QVERIFY(otherName != name);
        QCOMPARE(elsewhere.count(QStringLiteral("STARTED")), 0);
        QCOMPARE(first.quit(), 0);
        QCOMPARE(elsewhere.quit(), 0);
    }

    void inconsistentBlockIsResetAfterLimit()
    {
        const QString key = probeKey();
        QVERIFY(!key.isEmpty());
        QSharedMemory memory(key);
        QVERIFY2(memory.create(SingleApplicationPrivate::BlockSize) || memory.attach(), qPrintable(memory.errorString()));
        auto *block = static_cast<Block *>(memory.data());
        memory.lock();
        block->reset();
        block->primaryRunning = true;
        block->primaryProcessId = QCoreApplication::applicationPid();
        block->checksum = quint16(block->computeChecksum() + 1);
        memory.unlock();

        QElapsedTimer timer;
        timer.start();
        Probe probe;
        QVERIFY(!startPrimary(probe, {QStringLiteral("--waits"), QStringLiteral("400,50,10")}).isEmpty());
        QVERIFY2(timer.elapsed() >= 400, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(probe.errors().contains(QStringLiteral(
            "SingleApplication: Shared memory block has been in an inconsistent state from more than 5s."
            " Assuming primary instance failure.")));
        memory.lock();
        const Block seen = *block;
        memory.unlock();
        QVERIFY(seen.isConsistent());
        QVERIFY(seen.primaryRunning);
        QCOMPARE(seen.primaryProcessId, probe.processId());
        QCOMPARE(seen.secondaryCount, 0u);

        // A normal end leaves the block saying that no primary runs.
        QCOMPARE(probe.quit(), 0);
        memory.lock();
        const Block after = *block;
        memory.unlock();
        QVERIFY(after.isConsistent());
        QVERIFY(!after.primaryRunning);
        QCOMPARE(after.primaryProcessId, qint64(-1));
    }

    void invalidNoticeClosesItsConnection_data()
    {
        QTest::addColumn<int>("defect");
        QTest::newRow("other name") << 0;
        QTest::newRow("wrong checksum") << 1;
        QTest::newRow("body far too long") << 2;
        QTest::newRow("truncated body") << 3;
    }

    void invalidNoticeClosesItsConnection()
    {
        QFETCH(int, defect);
        Probe primary;
        const QString name = startPrimary(primary);
        QVERIFY(!name.isEmpty());

        QByteArray bad;
        if (defect == 0)
            bad = notice(QString(name).replace(0, 1, name.at(0) == QLatin1Char('A') ? QStringLiteral("B") : QStringLiteral("A")),
                         SingleApplicationPrivate::ConnNewStart, 0xffffffffu);
        else if (defect == 1)
            bad = notice(name, SingleApplicationPrivate::ConnNewStart, 0xffffffffu, 1);
        else if (defect == 2)
            bad = streamed([](QDataStream &out) { out << (quint64(1) << 40); });
        else
            bad = streamed([](QDataStream &out) { out << quint64(4); }) + QByteArray(4, '\0');
        QLocalSocket intruder;
        intruder.connectToServer(name);
        QVERIFY(intruder.waitForConnected(2000));
        QVERIFY(sendRaw(intruder, bad + "left over"));
        QVERIFY(intruder.state() == QLocalSocket::UnconnectedState || intruder.waitForDisconnected(3000));

        // The primary still listens and counts only the valid start that follows.
        QLocalSocket valid;
        valid.connectToServer(name);
        QVERIFY(valid.waitForConnected(2000));
        QVERIFY(sendRaw(valid, notice(name, SingleApplicationPrivate::ConnNewStart, 0xffffffffu)));
        QVERIFY(!primary.waitFor(QStringLiteral("STARTED")).isEmpty());
        QCOMPARE(primary.count(QStringLiteral("STARTED")), 1);
        QVERIFY2(primary.waitFor(QStringLiteral("MESSAGE"), 200).isEmpty(), qPrintable(primary.lines().join(QLatin1Char('|'))));
        QCOMPARE(primary.quit(), 0);
    }

    void noticeArrivingInPiecesIsRead()
    {
        Probe primary;
        const QString name = startPrimary(primary);
        QVERIFY(!name.isEmpty());
        const QByteArray bytes = notice(name, SingleApplicationPrivate::ConnNewStart, 0xffffffffu) + "hello";
        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(2000));
        // Three bytes of the header, then the rest of it with part of the body, then the rest.
        for (const auto &piece : {bytes.left(3), bytes.mid(3, 15)}) {
            QVERIFY(sendRaw(socket, piece));
            QVERIFY(primary.waitFor(QStringLiteral("STARTED"), 300).isEmpty());
        }
        QVERIFY(sendRaw(socket, bytes.mid(18)));
        QVERIFY(!primary.waitFor(QStringLiteral("STARTED")).isEmpty());
        QCOMPARE(primary.waitFor(QStringLiteral("MESSAGE")), QStringLiteral("MESSAGE 4294967295 hello"));
        QCOMPARE(primary.quit(), 0);
    }

    void nextStartAfterNormalEndIsPrimary()
    {
        Probe first;
        QVERIFY(!startPrimary(first).isEmpty());
        QCOMPARE(first.quit(), 0);
        Probe next;
        QVERIFY(!startPrimary(next).isEmpty());
        QVERIFY(!next.errors().contains(QStringLiteral("is gone")));
        QCOMPARE(next.quit(), 0);
    }

    void killedPrimaryDoesNotBlockLaterStarts_data()
    {
        QTest::addColumn<bool>("collected");
        QTest::newRow("collected by its parent") << true;
#ifdef Q_OS_LINUX
        QTest::newRow("left a zombie") << false;
#endif
    }

    void killedPrimaryDoesNotBlockLaterStarts()
    {
        QFETCH(bool, collected);
        // Under a parent that never waits, a killed primary stays a zombie whose id still exists.
        Probe killed(collected ? QStringLiteral(SINGLEAPP_PROBE) : QStringLiteral("/bin/sh"));
        const QStringList uncollecting{QStringLiteral("-c"), QStringLiteral("exec 3<&0; \"$0\" <&3 & exec sleep 20"),
                                       QStringLiteral(SINGLEAPP_PROBE)};
        QVERIFY(killed.start(collected ? QStringList() : uncollecting));
        const qint64 killedId = killed.waitFor(QStringLiteral("PRIMARY ")).section(QLatin1Char(' '), 1, 1).toLongLong();
        QVERIFY(killedId > 0);
        QCOMPARE(::kill(pid_t(killedId), SIGKILL), 0);
        if (collected) {
            QCOMPARE(killed.ended(), -1);
        } else {
            QTRY_VERIFY(processState(killedId) == 'Z');
        }

        QElapsedTimer timer;
        timer.start();
        Probe next;
        QVERIFY2(!startPrimary(next).isEmpty(), qPrintable(next.errors()));
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(next.errors().contains(QStringLiteral("(process %1) is gone").arg(killedId)), qPrintable(next.errors()));

        Probe later;
        QVERIFY(later.start());
        QCOMPARE(later.ended(), 0);
        QVERIFY(!next.waitFor(QStringLiteral("STARTED")).isEmpty());
        QCOMPARE(next.quit(), 0);
        killed.kill();
    }

    void secondariesAreNumberedAndReachThePrimary()
    {
        const QStringList notify{QStringLiteral("--secondary"), QStringLiteral("--notify")};
        Probe primary;
        QVERIFY(!startPrimary(primary, notify + QStringList{QStringLiteral("--send"), QStringLiteral("x")}).isEmpty());
        QCOMPARE(primary.waitFor(QStringLiteral("SENT")), QStringLiteral("SENT 0"));

        Probe first;
        QVERIFY(first.start(notify + QStringList{QStringLiteral("--send"), QStringLiteral("hello")}));
        QCOMPARE(first.waitFor(QStringLiteral("SECONDARY")), QStringLiteral("SECONDARY 1 %1").arg(primary.processId()));
        QCOMPARE(first.waitFor(QStringLiteral("SENT")), QStringLiteral("SENT 1"));
        QVERIFY(!primary.waitFor(QStringLiteral("STARTED")).isEmpty());
        QCOMPARE(primary.waitFor(QStringLiteral("MESSAGE")), QStringLiteral("MESSAGE 1 hello"));

        Probe second;
        QVERIFY(second.start({QStringLiteral("--secondary")}));
        QCOMPARE(second.waitFor(QStringLiteral("SECONDARY")), QStringLiteral("SECONDARY 2 %1").arg(primary.processId()));
        QCOMPARE(first.quit(), 0);
        QCOMPARE(second.quit(), 0);
        QCOMPARE(primary.quit(), 0);
    }
};

QTEST_GUILESS_MAIN(SingleAppTest)

#include "tst_singleapp.moc"
