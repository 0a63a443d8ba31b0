#include "TlsProbe.h"

#include "DbConnection.h"

#include <QObject>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <memory>

namespace {

class Socket
{
public:
    Socket() = default;
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    bool connectTo(const DbServer &server, int timeoutSeconds)
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        if (getaddrinfo(server.host.toUtf8().constData(), QByteArray::number(server.port).constData(), &hints, &found) != 0)
            return false;
        for (addrinfo *a = found; a && m_fd < 0; a = a->ai_next)
            tryAddress(a, timeoutSeconds);
        freeaddrinfo(found);
        return m_fd >= 0;
    }

    bool read(unsigned char *buffer, size_t size)
    {
        for (size_t done = 0; done < size;) {
            const ssize_t n = ::recv(m_fd, buffer + done, size - done, 0);
            if (n <= 0) {
                m_timedOut = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
                return false;
            }
            done += size_t(n);
        }
        return true;
    }

    bool write(const unsigned char *buffer, size_t size)
    {
        return ::send(m_fd, buffer, size, MSG_NOSIGNAL) == ssize_t(size);
    }

    int fd() const { return m_fd; }
    bool timedOut() const { return m_timedOut; }

private:
    void tryAddress(const addrinfo *a, int timeoutSeconds)
    {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            return;
        // Connected without blocking, so that an address that swallows packets costs the time-out only.
        const int flags = fcntl(fd, F_GETFL);
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
        bool ok = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        if (!ok && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = 0;
            socklen_t length = sizeof error;
            const int ready = poll(&p, 1, timeoutSeconds * 1000);
            m_timedOut = ready == 0;
            ok = ready == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
        if (!ok) {
            ::close(fd);
            return;
        }
        fcntl(fd, F_SETFL, flags);
        const timeval limit{timeoutSeconds, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        m_fd = fd;
    }

    int m_fd = -1;
    bool m_timedOut = false;
};

// MariaDB: the server speaks first; TLS is a capability of its greeting, asked for by a short
// request before the handshake.
bool startMariaDb(Socket &socket, bool *offered)
{
    unsigned char header[4];
    if (!socket.read(header, sizeof header))
        return false;
    const size_t length = header[0] | header[1] << 8 | header[2] << 16;
    QByteArray greeting(int(length), '\0');
    auto *g = reinterpret_cast<unsigned char *>(greeting.data());
    // An error packet instead of a greeting (too many connections, a blocked host): the driver says it.
    if (length < 2 || !socket.read(g, length) || g[0] == 0xFF)
        return false;
    const int versionEnd = greeting.indexOf('\0', 1);
    const int capabilities = versionEnd + 1 + 4 + 8 + 1; // past version, thread id, scramble, filler
    if (versionEnd < 0 || capabilities + 2 > int(length))
        return false;
    constexpr unsigned ClientSsl = 0x0800;
    *offered = ((g[capabilities] | g[capabilities + 1] << 8) & ClientSsl) != 0;
    if (!*offered)
        return true;
    constexpr unsigned Capabilities = 0x0001 | 0x0200 | ClientSsl | 0x8000; // long password, 4.1 protocol, TLS, secure auth
    unsigned char request[4 + 32] = {32, 0, 0, 1};
    for (int i = 0; i < 4; ++i)
        request[4 + i] = (Capabilities >> (8 * i)) & 0xFF;
    request[4 + 7] = 0x01; // largest packet 16 MiB
    request[4 + 8] = 45;   // utf8mb4
    return socket.write(request, sizeof request);
}

// PostgreSQL: the client asks, the server answers with one byte.
bool startPostgres(Socket &socket, bool *offered)
{
    const unsigned char request[8] = {0, 0, 0, 8, 0x04, 0xD2, 0x16, 0x2F}; // length, SSLRequest code 80877103
    unsigned char answer = 0;
    if (!socket.write(request, sizeof request) || !socket.read(&answer, 1) || (answer != 'S' && answer != 'N'))
        return false;
    *offered = answer == 'S';
    return true;
}

QString certificateFailure(long code, const QString &host)
{
    switch (code) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QObject::tr("证书已过期");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QObject::tr("证书尚未生效");
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return QObject::tr("证书上的主机名与连接地址 %1 不符").arg(host);
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_CERT_UNTRUSTED:
        return QObject::tr("证书不是由所信任的CA签发（未知的CA）");
    default:
        return QObject::tr("证书无效（%1）").arg(QString::fromUtf8(X509_verify_cert_error_string(code)));
    }
}

QString openSslError()
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return QString::fromUtf8(text);
}

// The handshake, and the check of the certificate it brought.
QString checkCertificate(int fd, const QString &host, const QString &caFile, bool checkHost)
{
    ERR_clear_error();
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    if (!context)
        return openSslError();
    if (SSL_CTX_load_verify_locations(context.get(), caFile.toLocal8Bit().constData(), nullptr) != 1)
        return QObject::tr("无法读取CA证书文件 %1").arg(caFile);
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context.get()), SSL_free);
    if (!ssl || SSL_set_fd(ssl.get(), fd) != 1)
        return openSslError();
    // The handshake runs to its end whatever the verdict, which is read afterwards with its reason.
    SSL_set_verify(ssl.get(), SSL_VERIFY_NONE, nullptr);
    const QByteArray name = host.toUtf8();
    X509_VERIFY_PARAM *param = SSL_get0_param(ssl.get());
    if (checkHost && X509_VERIFY_PARAM_set1_ip_asc(param, name.constData()) != 1)
        X509_VERIFY_PARAM_set1_host(param, name.constData(), size_t(name.size()));
    if (SSL_connect(ssl.get()) != 1)
        return QObject::tr("TLS握手失败（%1）").arg(openSslError());
    if (!SSL_get0_peer_certificate(ssl.get()))
        return QObject::tr("服务器没有出示证书");
    const long code = SSL_get_verify_result(ssl.get());
    return code == X509_V_OK ? QString() : certificateFailure(code, host);
}

} // namespace

namespace TlsProbe {

Result examine(Protocol protocol, const DbServer &server, const QString &caFile, bool checkHost, int timeoutSeconds)
{
    Result result;
    Socket socket;
    if (!socket.connectTo(server, timeoutSeconds)) {
        result.silent = socket.timedOut();
        return result;
    }
    result.reached = protocol == Protocol::MariaDb ? startMariaDb(socket, &result.offered) : startPostgres(socket, &result.offered);
    result.silent = !result.reached && socket.timedOut();
    if (result.reached && result.offered && !caFile.isEmpty())
        result.failure = checkCertificate(socket.fd(), server.host, caFile, checkHost);
    return result;
}

} // namespace TlsProbe
