#pragma once

#include <QByteArray>
#include <QString>

class QCommandLineParser;
class QTextStream;

// What the command-line tools share: the link options and how the link opens, messages on
// standard error, the question before a write and the audit trail every write needs.
namespace ModelCli {

// Exit status 2: something could not be done (a wrong command line, the link, a file, a write).
constexpr int Trouble = 2;

// Standard error, in UTF-8 whatever the locale.
QTextStream &err();
// One line on standard error, behind the program's name.
void say(const QString &line);

// --type, --host, --port, --user, --password, --database and the encryption options.
void addLinkOptions(QCommandLineParser &parser);
// Parses the command line; false after saying what is wrong. Positional arguments beyond
// `positional` are wrong.
bool parse(QCommandLineParser &parser, int positional);
// A direct link with --type, else the platform's database configuration read-only (no platform
// user logs in); the database must hold a modelled system. Empty text on success.
QString openLink(const QCommandLineParser &args);
// Closes the link and stops logging, before the program ends.
void closeLink();

// Asks on standard error; only "y" or "yes" on standard input agrees.
bool confirmed(const QString &question);
// Starts logging, so that writes are audited; why it could not, else empty.
QString startAudit(const char *program);
// A value kept on its line: line breaks and control characters become escapes, and with tsv
// tabs and backslashes too, so that every row can be split back into its fields.
QString oneLine(const QString &value, bool tsv = false);
// False when standard output did not take all of it (a full disk, a closed pipe).
bool writeOutput(const QByteArray &bytes);

} // namespace ModelCli
