// The single-instance guard between real processes: the probe program constructs the
// application object as the tool does and reports what became of it.
#include "DebugSwitch.h"
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

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <unistd.h>

namespace {

using Block = SingleApplicationPrivate::InstanceBlock;

constexpr uid_t Nobody = 65534;

uid_t otherAccount()
{
    return geteuid() == Nobody ? Nobody - 1 : Nobody;
}

// An account the system's permission checks apply to; they let root pass.
uid_t checkedAccount()
{
    return geteuid() == 0 ? Nobody : geteuid();
}

// Runs its program as another account where asked, so that the system's checks apply to that
// account for real.
class AccountProcess : public QProcess
{
public:
    uid_t account = geteuid();

protected:
    void setupChildProcess() override
    {
        if (account != geteuid() && (setgroups(0, nullptr) != 0 || setgid(account) != 0 || setuid(account) != 0))
            _exit(127);
    }
};

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

    // Release builds print debug lines only behind the switch.
    void setDebugSwitch(bool on)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(orv_public::DebugVariable), on ? QStringLiteral("1") : QStringLiteral("0"));
        m_process.setProcessEnvironment(env);
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
    void runAs(uid_t account) { m_process.account = account; }
    void setEnvironment(const QProcessEnvironment &environment) { m_process.setProcessEnvironment(environment); }
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
    AccountProcess m_process;
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

// The usual block name of a start by this account.
QString probeKey(uid_t account = geteuid())
{
    Probe probe;
    probe.runAs(account);
    probe.start({QStringLiteral("--key")});
    return probe.waitFor(QStringLiteral("KEY ")).mid(4);
}

// Starting the probe as another account takes root, and a probe folder that account can reach.
bool canStartAs(uid_t account)
{
    return account == geteuid() || (geteuid() == 0 && !probeKey(account).isEmpty());
}

constexpr const char *OtherAccountNeeded = "needs root and a probe folder open to the other account the start is made as";

// The id of a process that has ended and been collected.
qint64 endedProcessId()
{
    Probe probe;
    if (!probe.start({QStringLiteral("--key")}))
        return -1;
    const qint64 id = probe.processId();
    return probe.ended() == 0 ? id : -1;
}

// The file a System V key is derived from, made when missing and then removed again.
class KeyFile
{
public:
    explicit KeyFile(const QString &path)
        : m_path(path)
    {
        QFile file(path);
        m_made = !file.exists() && file.open(QIODevice::WriteOnly);
    }
    ~KeyFile()
    {
        if (m_made)
            QFile::remove(m_path);
    }
    KeyFile(const KeyFile &) = delete;
    KeyFile &operator=(const KeyFile &) = delete;

    // As QSharedMemory derives it.
    key_t key() const { return ftok(QFile::encodeName(m_path).constData(), 'Q'); }

private:
    QString m_path;
    bool m_made = false;
};

// A segment under a block name's key, as another run would have left it; removed when the test
// ends, however it ends.
class LeftSegment
{
public:
    LeftSegment(const QString &blockName, int size)
        : m_keyFile(QSharedMemory(blockName).nativeKey())
        , m_id(shmget(m_keyFile.key(), size_t(size), IPC_CREAT | IPC_EXCL | 0600))
    {
    }
    ~LeftSegment()
    {
        detach();
        if (m_id != -1)
            shmctl(m_id, IPC_RMID, nullptr);
    }
    LeftSegment(const LeftSegment &) = delete;
    LeftSegment &operator=(const LeftSegment &) = delete;

    bool isValid() const { return m_id != -1; }
    bool exists() const
    {
        shmid_ds info;
        return shmctl(m_id, IPC_STAT, &info) == 0;
    }
    bool isOwnedBy(uid_t account) const
    {
        shmid_ds info;
        return shmctl(m_id, IPC_STAT, &info) == 0 && info.shm_perm.uid == account;
    }
    bool giveTo(uid_t account, mode_t mode = 0600)
    {
        shmid_ds info;
        if (shmctl(m_id, IPC_STAT, &info) != 0)
            return false;
        info.shm_perm.uid = account;
        info.shm_perm.mode = mode;
        return shmctl(m_id, IPC_SET, &info) == 0;
    }
    // Stays attached until detach() or the end of the test.
    Block *attach()
    {
        void *address = shmat(m_id, nullptr, 0);
        m_address = address == reinterpret_cast<void *>(-1) ? nullptr : address;
        return static_cast<Block *>(m_address);
    }
    void detach()
    {
        if (m_address)
            shmdt(m_address);
        m_address = nullptr;
    }

private:
    KeyFile m_keyFile;
    int m_id;
    void *m_address = nullptr;
};

// The lock of a block name, a semaphore, as a run of this account would have left it.
class LeftLock
{
public:
    // QSharedMemory keeps its lock's key file beside its own, under another prefix.
    explicit LeftLock(const QString &blockName)
        : m_keyFile(QSharedMemory(blockName).nativeKey().replace(QStringLiteral("qipc_sharedmemory_"),
                                                                 QStringLiteral("qipc_systemsem_")))
        , m_id(semget(m_keyFile.key(), 1, IPC_CREAT | IPC_EXCL | 0600))
    {
    }
    ~LeftLock()
    {
        if (m_id != -1)
            semctl(m_id, 0, IPC_RMID);
    }
    LeftLock(const LeftLock &) = delete;
    LeftLock &operator=(const LeftLock &) = delete;

    bool isValid() const { return m_id != -1; }
    bool isOwnedBy(uid_t account) const
    {
        semid_ds info;
        return semctl(m_id, 0, IPC_STAT, &info) == 0 && info.sem_perm.uid == account;
    }

private:
    KeyFile m_keyFile;
    int m_id;
};

// A later start of the account ends at once, having told the primary.
bool laterStartHandsOver(Probe &primary, uid_t account = geteuid())
{
    Probe later;
    later.runAs(account);
    return later.start() && later.ended() == 0 && !primary.waitFor(QStringLiteral("STARTED")).isEmpty();
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
            const bool debug = n == 1;
            Probe later;
            later.setDebugSwitch(debug);
            QVERIFY(later.start());
            QCOMPARE(later.ended(), 0);
            QVERIFY2(later.lines().isEmpty(), qPrintable(later.lines().join(QLatin1Char('|'))));
#ifdef NDEBUG
            QCOMPARE(later.errors().contains(QStringLiteral("111111111111111111111111111111")), debug);
#else
            QVERIFY(later.errors().contains(QStringLiteral("111111111111111111111111111111")));
#endif
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

    void staleBlockOfThisUserIsMadeAnew_data()
    {
        QTest::addColumn<bool>("stillAttached");
        QTest::newRow("nothing attached") << false;
        QTest::newRow("still attached elsewhere") << true;
    }

    void staleBlockOfThisUserIsMadeAnew()
    {
        QFETCH(bool, stillAttached);
        const QString usual = probeKey();
        const qint64 dead = endedProcessId();
        QVERIFY(!usual.isEmpty() && dead > 0);
        LeftSegment left(usual, SingleApplicationPrivate::BlockSize);
        QVERIFY2(left.isValid(), std::strerror(errno));
        Block *stale = left.attach();
        QVERIFY(stale);
        stale->reset();
        stale->primaryRunning = true;
        stale->secondaryCount = 5;
        stale->primaryProcessId = dead;
        stale->seal();
        if (!stillAttached)
            left.detach();

        Probe primary;
        QCOMPARE(startPrimary(primary), usual);
        QVERIFY2(primary.errors().contains(QStringLiteral("(process %1) is gone").arg(dead)), qPrintable(primary.errors()));
        QCOMPARE(left.exists(), stillAttached);
        QSharedMemory memory(usual);
        QVERIFY2(memory.attach(), qPrintable(memory.errorString()));
        memory.lock();
        const Block seen = *static_cast<const Block *>(memory.constData());
        memory.unlock();
        QCOMPARE(seen.primaryProcessId, primary.processId());
        // A block made anew counts from nothing; one still in use keeps its count.
        QCOMPARE(seen.secondaryCount, stillAttached ? 5u : 0u);
        QVERIFY(laterStartHandsOver(primary));
        QCOMPARE(primary.quit(), 0);
    }

    void blockOfSomeoneElseIsLeftAlone_data()
    {
        QTest::addColumn<uint>("account");
        QTest::addColumn<uint>("owner");
        QTest::addColumn<int>("size");
        const uint self = geteuid();
        const uint other = otherAccount();
        const int size = SingleApplicationPrivate::BlockSize;
        QTest::newRow("block owned by another user") << self << other << size;
        QTest::newRow("block unreadable to the user starting") << other << self << size;
        QTest::newRow("block of another program's size") << self << self << 64;
        // Size 0: only the block's lock is left, as another user's run leaves it.
        QTest::newRow("lock of another user") << other << self << 0;
    }

    void blockOfSomeoneElseIsLeftAlone()
    {
        QFETCH(uint, account);
        QFETCH(uint, owner);
        QFETCH(int, size);
        if (owner != geteuid() && geteuid() != 0)
            QSKIP("needs root: the leftover is handed to another account");
        if (!canStartAs(account))
            QSKIP(OtherAccountNeeded);
        const QString usual = probeKey(account);
        QVERIFY(!usual.isEmpty());
        QScopedPointer<LeftSegment> segment(size > 0 ? new LeftSegment(usual, size) : nullptr);
        QScopedPointer<LeftLock> lock(size > 0 ? nullptr : new LeftLock(usual));
        QVERIFY2(segment ? segment->isValid() && segment->giveTo(owner) : lock->isValid(), std::strerror(errno));

        Probe primary;
        primary.runAs(account);
        const QString name = startPrimary(primary);
        QVERIFY2(name.startsWith(usual + QLatin1Char('-')), qPrintable(name + QLatin1Char(' ') + primary.errors()));
        QVERIFY2(primary.errors().contains(QStringLiteral("belongs to another user or program; this instance uses %1").arg(name)),
                 qPrintable(primary.errors()));
        QVERIFY(segment ? segment->isOwnedBy(owner) : lock->isOwnedBy(owner));
        // Later starts of the user arrive at the same name.
        QVERIFY(laterStartHandsOver(primary, account));
        QCOMPARE(primary.quit(), 0);
    }

    void ownBlockThatCannotBeAttachedEndsWithOne()
    {
        const uid_t account = checkedAccount();
        if (!canStartAs(account))
            QSKIP(OtherAccountNeeded);
        const QString usual = probeKey(account);
        QVERIFY(!usual.isEmpty());
        LeftSegment own(usual, SingleApplicationPrivate::BlockSize);
        QVERIFY2(own.isValid(), std::strerror(errno));
        QVERIFY(own.giveTo(account, 0400));

        Probe probe;
        probe.runAs(account);
        QVERIFY(probe.start());
        QCOMPARE(probe.ended(), 1);
        QVERIFY(probe.lines().isEmpty());
        QVERIFY2(probe.errors().contains(QStringLiteral("SingleApplication: Unable to attach to shared memory block.")),
                 qPrintable(probe.errors()));
    }

    void guardThatCannotWorkIsLeftOut()
    {
        // A temp folder the user may not write keeps the guard from making its key files.
        const uid_t account = checkedAccount();
        if (!canStartAs(account))
            QSKIP(OtherAccountNeeded);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), dir.path());
        // Both copies run: without a guard nothing tells them of each other.
        Probe first;
        Probe second;
        for (Probe *probe : {&first, &second}) {
            probe->setEnvironment(environment);
            probe->runAs(account);
            QVERIFY(probe->start());
            QCOMPARE(probe->waitFor(QStringLiteral("UNGUARDED ")), QStringLiteral("UNGUARDED %1").arg(probe->processId()));
            QVERIFY2(probe->errors().contains(QStringLiteral("runs without the single-instance guard")),
                     qPrintable(probe->errors()));
        }
        QCOMPARE(first.quit(), 0);
        QCOMPARE(second.quit(), 0);
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
