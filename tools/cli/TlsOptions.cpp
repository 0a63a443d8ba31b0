#include "TlsOptions.h"

#include "DbConnection.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace ModelCli {

namespace {

const char *const kFileOptions[] = {"tls-ca", "tls-cert", "tls-key"};

QString absoluteFile(const QCommandLineParser &args, const char *option)
{
    const QString name = args.value(QLatin1String(option));
    return name.isEmpty() ? name : QFileInfo(name).absoluteFilePath();
}

} // namespace

void addTlsOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("tls"),
         QStringLiteral("Encryption of a server link: off, preferred (encrypted when the server offers it), required, "
                        "or verify (certificate chain and host name checked). Default preferred."),
         QStringLiteral("mode"), DbTls::modeName(DbTls::Preferred)},
        {QStringLiteral("tls-ca"), QStringLiteral("Trusted CA certificates (PEM) for required and verify; verify without it "
                                                  "trusts the system's."),
         QStringLiteral("file")},
        {QStringLiteral("tls-cert"), QStringLiteral("Client certificate (PEM), for servers that authenticate by it."), QStringLiteral("file")},
        {QStringLiteral("tls-key"), QStringLiteral("Private key of the client certificate (PEM)."), QStringLiteral("file")},
    });
}

bool tlsOptionsSet(const QCommandLineParser &args)
{
    if (args.isSet(QStringLiteral("tls")))
        return true;
    for (const char *option : kFileOptions)
        if (args.isSet(QLatin1String(option)))
            return true;
    return false;
}

QString readTlsOptions(const QCommandLineParser &args, DbTls *tls)
{
    bool known = false;
    tls->mode = DbTls::modeFromName(args.value(QStringLiteral("tls")), &known);
    if (!known)
        return QStringLiteral("--tls takes %1, not %2").arg(DbTls::acceptedModeNames(), args.value(QStringLiteral("tls")));
    tls->caFile = absoluteFile(args, "tls-ca");
    tls->certFile = absoluteFile(args, "tls-cert");
    tls->keyFile = absoluteFile(args, "tls-key");
    return QString();
}

} // namespace ModelCli
