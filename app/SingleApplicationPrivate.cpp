#include "SingleApplicationPrivate.h"

#include "DebugSwitch.h"
#include "ProcessInfo.h"
#include "SharedSegment.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRandomGenerator>
#include <QThread>

#include <cstddef>

static_assert(SingleApplicationPrivate::StreamVersion == 17, "start notices are read by other builds");
static_assert(sizeof(SingleApplicationPrivate::InstanceBlock) == SingleApplicationPrivate::BlockSize,
              "the block layout is shared between builds");
static_assert(offsetof(SingleApplicationPrivate::InstanceBlock, secondaryCount) == 4
                  && offsetof(SingleApplicationPrivate::InstanceBlock, primaryProcessId) == 8
                  && offsetof(SingleApplicationPrivate::InstanceBlock, checksum) == 16,
              "the block layout is shared between builds");

namespace {

SingleApplicationPrivate::ConsistencyWaits &consistencyWaits()
{
    static SingleApplicationPrivate::ConsistencyWaits waits;
    return waits;
}

// Sleep between two looks at an inconsistent block, spread so that waiting starts do not
// look again in step.
unsigned long consistencyPause()
{
    const SingleApplicationPrivate::ConsistencyWaits &waits = consistencyWaits();
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch() % 4294967295LL));
    const int k = int(float(random.bounded(32768)) / 32767.0f * 10);
    return static_cast<unsigned long>(waits.baseMs + k * waits.stepMs);
}

// A name of this user's own for when the usual block is someone else's; every later start of
// the user arrives at the same one.
QString alternativeName(const QString &usual)
{
    const QByteArray user = QCryptographicHash::hash(orv_public::ProcessInfo::userName(), QCryptographicHash::Sha256);
    return usual + QLatin1Char('-') + QString::fromLatin1(user.toHex().left(8));
}

template <typename Write>
QByteArray streamed(Write write)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(SingleApplicationPrivate::StreamVersion);
    write(out);
    return bytes;
}

} // namespace

quint16 SingleApplicationPrivate::InstanceBlock::computeChecksum() const
{
    return qChecksum(reinterpret_cast<const char *>(this), offsetof(InstanceBlock, checksum));
}

void SingleApplicationPrivate::InstanceBlock::reset()
{
    primaryRunning = false;
    secondaryCount = 0;
    primaryProcessId = -1;
    seal();
}

QString SingleApplicationPrivate::blockName(SingleApplication::Options options, const QByteArray &userName)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData("SingleApplication", 17);
    hash.addData(QCoreApplication::applicationName().toUtf8());
    hash.addData(QCoreApplication::organizationName().toUtf8());
    hash.addData(QCoreApplication::organizationDomain().toUtf8());
    if (!options.testFlag(SingleApplication::SkipVersionInKey))
        hash.addData(QCoreApplication::applicationVersion().toUtf8());
    if (!options.testFlag(SingleApplication::SkipPathInKey))
        hash.addData(QCoreApplication::applicationFilePath().toLower().toUtf8());
    if (options.testFlag(SingleApplication::PerUser))
        hash.addData(userName);
    return QString::fromLatin1(hash.result().toBase64().replace('/', '_'));
}

void SingleApplicationPrivate::setConsistencyWaits(const ConsistencyWaits &waits)
{
    consistencyWaits() = waits;
}

SingleApplicationPrivate::SingleApplicationPrivate(SingleApplication *application, SingleApplication::Options options)
    : QObject(nullptr)
    , q(application)
    , m_name(blockName(options, orv_public::ProcessInfo::userName()))
    , m_options(options)
    , m_memory(m_name)
{
}

SingleApplicationPrivate::~SingleApplicationPrivate()
{
    if (m_socket) {
        m_socket->close();
        delete m_socket;
    }
    if (!m_memory.isAttached())
        return;
    m_memory.lock();
    if (m_server) {
        for (QLocalSocket *peer : m_peers.keys())
            peer->disconnect(this);
        m_server->close();
        delete m_server;
        m_server = nullptr;
        InstanceBlock *b = block();
        b->primaryRunning = false;
        b->primaryProcessId = -1;
        b->seal();
    }
    m_memory.unlock();
}

qint64 SingleApplicationPrivate::primaryProcessId()
{
    if (!m_memory.isAttached())
        return QCoreApplication::applicationPid();
    m_memory.lock();
    const qint64 id = block()->primaryProcessId;
    m_memory.unlock();
    return id;
}

SingleApplicationPrivate::StartOutcome SingleApplicationPrivate::start(bool allowSecondary, int timeout)
{
    const Claim claim = claimBlock();
    if (claim != Claim::Attached)
        return startWithoutBlock(claim);
    lockConsistentBlock();
    InstanceBlock *b = block();
    if (!b->primaryRunning || recordedPrimaryIsGone()) {
        becomePrimary();
        m_memory.unlock();
        return StartOutcome::Continue;
    }
    if (!allowSecondary) {
        m_memory.unlock();
        connectToPrimary(timeout, ConnNewStart);
        return StartOutcome::EndSuccess;
    }
    b->secondaryCount += 1;
    b->seal();
    m_instanceNumber = int(b->secondaryCount);
    if (m_options.testFlag(SingleApplication::NotifyOnSecondary))
        connectToPrimary(timeout, ConnSecondaryStart);
    m_memory.unlock();
    return StartOutcome::Continue;
}

// Only a block of this user's own that cannot be used ends the start. Anything else leaves the
// guard out: a second copy may then run, which is better than none.
SingleApplicationPrivate::StartOutcome SingleApplicationPrivate::startWithoutBlock(Claim claim)
{
    if (claim == Claim::OwnUnusable) {
        qCritical("SingleApplication: Unable to attach to shared memory block.");
        qCritical("%s", qUtf8Printable(m_memory.errorString()));
        return StartOutcome::EndFailure;
    }
    qWarning("SingleApplication: no shared memory block can be used (%s); this instance runs without the"
             " single-instance guard.",
             qUtf8Printable(m_memory.errorString()));
    m_instanceNumber = 0;
    return StartOutcome::Continue;
}

// System V keys come from the key file's inode and collide between users and installations;
// a block of someone else is left alone and this user moves to a name of its own.
SingleApplicationPrivate::Claim SingleApplicationPrivate::claimBlock()
{
    const Claim claim = claimUnderName();
    if (claim != Claim::SomeoneElses)
        return claim;
    const QString usual = m_name;
    m_name = alternativeName(usual);
    m_memory.setKey(m_name);
    qWarning("SingleApplication: shared memory block %s belongs to another user or program; this instance uses %s.",
             qUtf8Printable(usual), qUtf8Printable(m_name));
    return claimUnderName();
}

SingleApplicationPrivate::Claim SingleApplicationPrivate::claimUnderName()
{
    // A replaced stale block takes a second look; a third covers a block that went away
    // between two looks.
    for (int look = 0; look < 3; ++look) {
        const Claim claim = claimOnce();
        if (claim != Claim::LookAgain)
            return claim;
    }
    return Claim::Failed;
}

SingleApplicationPrivate::Claim SingleApplicationPrivate::claimOnce()
{
    using orv_public::SharedSegment::Owner;
    if (m_memory.create(BlockSize, QSharedMemory::ReadWrite)) {
        m_memory.lock();
        block()->reset();
        m_memory.unlock();
        return Claim::Attached;
    }
    // Denied before any segment was looked at: the block's lock is another user's.
    if (m_memory.error() == QSharedMemory::PermissionDenied)
        return Claim::SomeoneElses;
    if (m_memory.error() != QSharedMemory::AlreadyExists)
        return Claim::Failed;
    // Judged before attaching: detaching from a segment nobody else holds removes it.
    const orv_public::SharedSegment::Status segment = orv_public::SharedSegment::inspect(m_memory.nativeKey());
    if (segment.owner == Owner::None)
        return Claim::LookAgain;
    if (segment.owner == Owner::OtherUser || (segment.owner == Owner::ThisUser && segment.size != BlockSize))
        return Claim::SomeoneElses;
    if (!m_memory.attach(QSharedMemory::ReadWrite))
        return attachFailure(segment.owner == Owner::ThisUser);
    return replacedStaleBlock() ? Claim::LookAgain : Claim::Attached;
}

SingleApplicationPrivate::Claim SingleApplicationPrivate::attachFailure(bool ownBlock) const
{
    if (m_memory.error() == QSharedMemory::NotFound)
        return Claim::LookAgain;
    if (ownBlock)
        return Claim::OwnUnusable;
    return m_memory.error() == QSharedMemory::PermissionDenied ? Claim::SomeoneElses : Claim::Failed;
}

// A killed primary leaves its block behind until the machine restarts. When nothing else is
// attached, a fresh block replaces it, so that nothing of the dead run carries over.
bool SingleApplicationPrivate::replacedStaleBlock()
{
    m_memory.lock();
    const InstanceBlock *b = block();
    const qint64 primary = b->primaryProcessId;
    const bool stale = b->isConsistent() && b->primaryRunning && !orv_public::ProcessInfo::isAlive(primary)
        && orv_public::SharedSegment::inspect(m_memory.nativeKey()).attachments == 1;
    m_memory.unlock();
    if (!stale)
        return false;
    qWarning("SingleApplication: primary instance (process %lld) is gone and left its block behind; the block is"
             " made anew.",
             static_cast<long long>(primary));
    // The last detach removes the segment.
    m_memory.detach();
    return true;
}

// Returns with the block locked.
void SingleApplicationPrivate::lockConsistentBlock()
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        m_memory.lock();
        if (block()->isConsistent())
            return;
        if (timer.elapsed() > consistencyWaits().limitMs) {
            qWarning("SingleApplication: Shared memory block has been in an inconsistent state from more than 5s."
                     " Assuming primary instance failure.");
            block()->reset();
        }
        m_memory.unlock();
        QThread::msleep(consistencyPause());
    }
}

// A primary that was killed leaves its block (and socket file) behind; waiting on it would
// end every later start silently.
bool SingleApplicationPrivate::recordedPrimaryIsGone()
{
    const qint64 primary = block()->primaryProcessId;
    if (orv_public::ProcessInfo::isAlive(primary))
        return false;
    qWarning("SingleApplication: primary instance (process %lld) is gone; this instance takes over.",
             static_cast<long long>(primary));
    return true;
}

void SingleApplicationPrivate::becomePrimary()
{
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer;
    m_server->setSocketOptions(m_options.testFlag(SingleApplication::PerUser) ? QLocalServer::UserAccessOption
                                                                             : QLocalServer::WorldAccessOption);
    if (!m_server->listen(m_name))
        qWarning("SingleApplication: cannot listen for later starts: %s", qUtf8Printable(m_server->errorString()));
    connect(m_server, &QLocalServer::newConnection, this, &SingleApplicationPrivate::slotConnectionEstablished);
    InstanceBlock *b = block();
    b->primaryRunning = true;
    b->primaryProcessId = QCoreApplication::applicationPid();
    b->seal();
    m_instanceNumber = 0;
}

QByteArray SingleApplicationPrivate::noticeBody(ConnectionType type) const
{
    QByteArray body = streamed([&](QDataStream &out) {
        out << m_name.toLatin1() << quint8(type) << quint32(m_instanceNumber);
    });
    const quint16 checksum = qChecksum(body.constData(), uint(body.size()));
    body += streamed([checksum](QDataStream &out) { out << checksum; });
    return body;
}

void SingleApplicationPrivate::connectToPrimary(int timeout, ConnectionType type)
{
    if (!m_socket)
        m_socket = new QLocalSocket;
    if (m_socket->state() == QLocalSocket::ConnectedState)
        return;
    if (m_socket->state() == QLocalSocket::UnconnectedState || m_socket->state() == QLocalSocket::ClosingState)
        m_socket->connectToServer(m_name, QIODevice::ReadWrite);
    if (m_socket->state() == QLocalSocket::ConnectingState)
        m_socket->waitForConnected(timeout);
    if (m_socket->state() != QLocalSocket::ConnectedState)
        return;

    const QByteArray body = noticeBody(type);
    m_socket->write(streamed([&body](QDataStream &out) { out << quint64(body.size()); }));
    m_socket->write(body);
    m_socket->flush();
    m_socket->waitForBytesWritten(timeout);
    qCDebug(orv_public::lcTool, "111111111111111111111111111111");
}

void SingleApplicationPrivate::slotConnectionEstablished()
{
    while (QLocalSocket *peer = m_server->nextPendingConnection()) {
        m_peers.insert(peer, PeerState{0, 0, HeaderExpected});
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { onPeerReadyRead(peer); });
        connect(peer, &QLocalSocket::aboutToClose, this, [this, peer] {
            // Bytes of a peer that never identified itself are no message.
            const auto it = m_peers.constFind(peer);
            if (it != m_peers.cend() && it->stage == Connected)
                slotClientConnectionClosed(peer, it->peerInstance);
        });
        connect(peer, &QLocalSocket::disconnected, this, [this, peer] {
            m_peers.remove(peer);
            peer->deleteLater();
        });
    }
}

void SingleApplicationPrivate::onPeerReadyRead(QLocalSocket *peer)
{
    const auto it = m_peers.constFind(peer);
    if (it == m_peers.cend())
        return;
    switch (it->stage) {
    case HeaderExpected:
        readHeader(peer);
        break;
    case BodyExpected:
        readBody(peer);
        break;
    case Connected:
        slotDataAvailable(peer, it->peerInstance);
        break;
    }
}

void SingleApplicationPrivate::readHeader(QLocalSocket *peer)
{
    const auto it = m_peers.find(peer);
    if (it == m_peers.end() || peer->bytesAvailable() < qint64(sizeof(quint64)))
        return;
    QDataStream in(peer);
    in.setVersion(StreamVersion);
    quint64 length = 0;
    in >> length;
    if (length > MaxNoticeLength) {
        peer->close();
        return;
    }
    it->bodyLength = length;
    it->stage = BodyExpected;
    if (peer->bytesAvailable() >= qint64(length))
        readBody(peer);
}

void SingleApplicationPrivate::readBody(QLocalSocket *peer)
{
    const auto it = m_peers.find(peer);
    if (it == m_peers.end() || peer->bytesAvailable() < qint64(it->bodyLength))
        return;
    const QByteArray body = peer->read(qint64(it->bodyLength));
    quint8 type = ConnUnknown;
    quint32 instance = 0;
    if (!parseNotice(body, &type, &instance)) {
        peer->close();
        return;
    }
    it->peerInstance = instance;
    it->stage = Connected;

    QPointer<QLocalSocket> alive(peer);
    if (type == ConnNewStart || (type == ConnSecondaryStart && m_options.testFlag(SingleApplication::NotifyOnSecondary)))
        emit q->instanceStarted();
    if (alive && alive->bytesAvailable() > 0)
        emit q->receivedMessage(instance, alive->readAll());
}

bool SingleApplicationPrivate::parseNotice(const QByteArray &body, quint8 *type, quint32 *instance) const
{
    if (body.size() < 2)
        return false;
    QDataStream in(body);
    in.setVersion(StreamVersion);
    QByteArray peerName;
    quint16 checksum = 0;
    in >> peerName >> *type >> *instance >> checksum;
    return in.status() == QDataStream::Ok && peerName == m_name.toLatin1()
        && checksum == qChecksum(body.constData(), uint(body.size() - 2));
}

void SingleApplicationPrivate::slotDataAvailable(QLocalSocket *socket, quint32 instanceId)
{
    emit q->receivedMessage(instanceId, socket->readAll());
}

void SingleApplicationPrivate::slotClientConnectionClosed(QLocalSocket *socket, quint32 instanceId)
{
    if (socket->bytesAvailable() > 0)
        emit q->receivedMessage(instanceId, socket->readAll());
}
