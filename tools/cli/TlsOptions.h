#pragma once

#include <QString>

class QCommandLineParser;
struct DbTls;

// The encryption options every command-line tool takes for a direct link.
namespace ModelCli {

// --tls, --tls-ca, --tls-cert, --tls-key.
void addTlsOptions(QCommandLineParser &parser);
// Whether any of them was given.
bool tlsOptionsSet(const QCommandLineParser &args);
// The encryption they ask for; why not, else empty.
QString readTlsOptions(const QCommandLineParser &args, DbTls *tls);

} // namespace ModelCli
