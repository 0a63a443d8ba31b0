#pragma once

#include "SingleApplication.h"

#include <QDataStream>
#include <QMap>
#include <QObject>
#include <QSharedMemory>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The shared memory, the primary's server or the client socket, and the peers that connected.
class SingleApplicationPrivate : public QObject
{
    Q_OBJECT
public:
    enum ConnectionType : quint8 {
        ConnUnknown = 0,
        ConnNewStart = 1,
        ConnSecondaryStart = 2,
        ConnMessage = 3,
    };

    // Shared by every instance of one key, native byte order. The checksum covers the first
    // 16 bytes, unwritten padding included.
    struct InstanceBlock
    {
        bool primaryRunning;
        quint32 secondaryCount;
        qint64 primaryProcessId;
        quint16 checksum;

        quint16 computeChecksum() const;
        bool isConsistent() const { return checksum == computeChecksum(); }
        void seal() { checksum = computeChecksum(); }
        void reset();
    };

    enum Stage : quint8 { HeaderExpected = 0, BodyExpected = 1, Connected = 2 };
    struct PeerState
    {
        quint64 bodyLength;
        quint32 peerInstance;
        quint8 stage;
    };

    // How long an inconsistent block is borne, and the sleep between looks:
    // baseMs + k * stepMs with k drawn from 0 to 10.
    struct ConsistencyWaits
    {
        int limitMs = 5000;
        int baseMs = 8000;
        int stepMs = 1000;
    };

    enum class StartOutcome { Continue, EndSuccess, EndFailure };

    // The start notice streams are pinned to this version whatever Qt runs.
    static constexpr int StreamVersion = QDataStream::Qt_5_6;
    static constexpr int BlockSize = 24;
    // A real notice body is 55 bytes; anything far longer is not a notice.
    static constexpr quint64 MaxNoticeLength = 1024;

    // The usual shared-memory key and local server name of this application object.
    static QString blockName(SingleApplication::Options options, const QByteArray &userName);
    // Lets tests shorten the waits; the product keeps the defaults.
    static void setConsistencyWaits(const ConsistencyWaits &waits);

    SingleApplicationPrivate(SingleApplication *q, SingleApplication::Options options);
    ~SingleApplicationPrivate() override;

    StartOutcome start(bool allowSecondary, int timeout);
    void connectToPrimary(int timeout, ConnectionType type);

    // Empty when this instance runs without the guard.
    QString guardName() const { return m_memory.isAttached() ? m_name : QString(); }
    QLocalSocket *socket() const { return m_socket; }
    // Without the guard an instance is the only one it knows of, so its own primary.
    bool isPrimary() const { return m_server || !m_memory.isAttached(); }
    int instanceNumber() const { return m_instanceNumber; }
    qint64 primaryProcessId();

public slots:
    void slotConnectionEstablished();
    void slotDataAvailable(QLocalSocket *socket, quint32 instanceId);
    void slotClientConnectionClosed(QLocalSocket *socket, quint32 instanceId);

private:
    // What a look for the block under the current name found.
    enum class Claim { Attached, LookAgain, SomeoneElses, OwnUnusable, Failed };

    InstanceBlock *block() { return static_cast<InstanceBlock *>(m_memory.data()); }
    StartOutcome startWithoutBlock(Claim claim);
    Claim claimBlock();
    Claim claimUnderName();
    Claim claimOnce();
    Claim attachFailure(bool ownBlock) const;
    bool replacedStaleBlock();
    void lockConsistentBlock();
    bool recordedPrimaryIsGone();
    void becomePrimary();
    QByteArray noticeBody(ConnectionType type) const;
    void onPeerReadyRead(QLocalSocket *peer);
    void readHeader(QLocalSocket *peer);
    void readBody(QLocalSocket *peer);
    bool parseNotice(const QByteArray &body, quint8 *type, quint32 *instance) const;

    SingleApplication *q;
    QString m_name;
    const SingleApplication::Options m_options;
    QSharedMemory m_memory;
    QLocalSocket *m_socket = nullptr;
    QLocalServer *m_server = nullptr;
    int m_instanceNumber = -1;
    QMap<QLocalSocket *, PeerState> m_peers;
};
