#pragma once

#include "DbConnection.h"
#include "DemoGenerator.h"

#include <QCoreApplication>
#include <QHash>
#include <QMetaType>
#include <QModelIndex>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <QWidget>

#include <functional>

// A temporary installation root holding the shipped data files; MODEL_VARNIX_ROOT points at it
// while the object lives.
class TestRoot
{
public:
    TestRoot();
    ~TestRoot();
    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const;
    void writeFile(const QString &relative, const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

enum class Backend { SQLite, MariaDB, PostgreSQL };

Q_DECLARE_METATYPE(Backend)

QString backendName(Backend backend);
// The backends the test bed offers: SQLite always, the servers once they are started.
QList<Backend> availableBackends();
// The data rows of a test function that runs once per available backend (column "backend").
void addBackendRows();

// The backends a benchmark measures; says so on standard output when the servers are missing.
QList<Backend> benchBackends();

// The throwaway servers started by tests/servers/testservers.sh.
class TestServers
{
public:
    static bool available();
    // False when the run asks for the servers (MODEL_TEST_REQUIRE_SERVERS) and they are not running.
    static bool availableWhereRequired();
    static QString value(const QString &key);
    // port: another server of the backend than the first (0: the first).
    static DbLinkParams params(Backend backend, const QString &database, const TestRoot &root, int port = 0);
    // Drops and creates the database (for SQLite: an empty file). Empty text on success.
    static QString createDatabase(Backend backend, const QString &database, const TestRoot &root, int port = 0);
};

// Runs a script of tests/servers with the arguments and the state folder; the script's output
// when it failed, empty on success.
QString serverScript(const QString &script, QStringList args, const QString &stateDir);
// replicaservers.sh: the servers of the lost-link and failover tests.
QString replicaServers(const QStringList &args, const QString &stateDir);
// The variables of the servers.env file such a script writes.
QHash<QString, QString> serversEnv(const QString &path);

// A fresh demo database of the backend; empty text on success.
QString createDemoDatabase(Backend backend, const QString &database, const TestRoot &root,
                           const DemoOptions &options, DbLinkParams *params, QList<SeededDefect> *defects = nullptr,
                           int port = 0);
// A demo database for a benchmark. With MODEL_BENCH_DEMO_DIR set it is kept for the next run (an
// SQLite file in that folder; a server's database on its server, a file in the folder saying it is
// complete) and made only when missing: large systems take minutes to make.
QString benchDemoDatabase(Backend backend, const QString &database, const TestRoot &root, const DemoOptions &options,
                          DbLinkParams *params);
// A fresh demo database of the backend, opened as the table-model manager's link; empty text on success.
QString openDemo(Backend backend, const QString &database, const TestRoot &root, const DemoOptions &options = DemoOptions(),
                 DbLinkParams *params = nullptr);
// Opens params as the table-model manager's link; empty text on success.
QString openLink(const DbLinkParams &params);
// Runs statements on the link's connection past the library's checks (test set-up: triggers,
// defects); empty text on success.
QString runOnLink(const QStringList &sqls);

// Runs the statements in one transaction with the database's own command-line client (sqlite3,
// mariadb, psql -1), through a script written to scratch; the wall time in seconds, error set
// when the client failed; cpu, when given, the client's CPU time.
double clientSeconds(Backend backend, const DbLinkParams &params, const QStringList &sqls, const QString &scratch,
                     QString *error, double *cpu = nullptr);

// Programs of the test bed run headless unless QT_QPA_PLATFORM says otherwise; call before the
// application object exists.
void useOffscreenPlatformByDefault();

// An integer command-line option of a benchmark: name, help text, default.
struct IntOption
{
    const char *name;
    const char *help;
    int value;
};
// Parses the program's options (and --help); the values in the order of the options.
QVector<int> parseIntOptions(const QCoreApplication &app, const QList<IntOption> &options);
// The process's peak resident memory in MB, -1 where it cannot be read.
double peakMegabytes();
// The CPU time this process has used so far (user and system), in seconds.
double cpuSeconds();

// What a view shows in the cell once its row has been read (a table on screen reads rows off
// the GUI thread); the cell's display data.
QVariant shownData(const QModelIndex &index);

// Calls answer on the next modal widget that becomes active within timeoutMs.
void answerNextModal(const std::function<void(QWidget *)> &answer, int timeoutMs = 10000);
// The same for the next active modal widget of type T.
template <typename T>
void answerModal(const std::function<void(T *)> &answer, int timeoutMs = 10000)
{
    answerModalMatching([](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
                        [answer](QWidget *w) { answer(qobject_cast<T *>(w)); }, timeoutMs);
}
void answerModalMatching(const std::function<bool(QWidget *)> &matches, const std::function<void(QWidget *)> &answer,
                         int timeoutMs = 10000);
// Answers the next message box with OK (or Yes); "title|text" goes to *text.
void answerMessageBox(QString *text, int timeoutMs = 10000);
// Answers the next export dialog: writes the whole table or the rows shown to path, in the format
// its suffix names; the closing message's "title|text" goes to *message.
void answerExportDialog(const QString &path, bool whole, QString *message);
