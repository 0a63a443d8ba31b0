#include "AppLog.h"

#include "DebugSwitch.h"
#include "InstallRoot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <log4cplus/configurator.h>
#include <log4cplus/hierarchy.h>
#include <log4cplus/helpers/property.h>
#include <log4cplus/initializer.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace orv_public {
namespace {

std::atomic<bool> g_started{false};
std::string g_loggerName = "MODEL";

log4cplus::helpers::Properties defaultProperties(const QString &processName)
{
    const std::string level = debugOutputEnabled() ? "DEBUG" : "INFO";
    std::istringstream text(
        "log4cplus.rootLogger=" + level + ", FILE\n"
        "log4cplus.appender.FILE=log4cplus::RollingFileAppender\n"
        "log4cplus.appender.FILE.File=" + processName.toStdString() + ".log\n"
        "log4cplus.appender.FILE.MaxFileSize=10MB\n"
        "log4cplus.appender.FILE.MaxBackupIndex=5\n"
        "log4cplus.appender.FILE.Append=true\n"
        "log4cplus.appender.FILE.layout=log4cplus::PatternLayout\n"
        "log4cplus.appender.FILE.layout.ConversionPattern=%D{%Y-%m-%d %H:%M:%S.%q} %-5p [%c] %m (%b:%L %M)%n\n"
        // The audit trail: one JSON record a line, in a file of its own.
        "log4cplus.logger." + std::string(AuditLoggerName) + "=INFO, AUDIT\n"
        "log4cplus.additivity." + std::string(AuditLoggerName) + "=false\n"
        "log4cplus.appender.AUDIT=log4cplus::RollingFileAppender\n"
        "log4cplus.appender.AUDIT.File=audit.log\n"
        "log4cplus.appender.AUDIT.MaxFileSize=10MB\n"
        "log4cplus.appender.AUDIT.MaxBackupIndex=20\n"
        "log4cplus.appender.AUDIT.Append=true\n"
        "log4cplus.appender.AUDIT.layout=log4cplus::PatternLayout\n"
        "log4cplus.appender.AUDIT.layout.ConversionPattern=%m%n\n");
    return log4cplus::helpers::Properties(text);
}

// The logs name accounts, tables and the values they held: only their owner reads them. A file
// the appender has yet to create is made now, as it would otherwise take the process's umask.
void keepPrivate(const QString &path)
{
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Appender file names in the properties are taken relative to the log directory.
void placeFilesInLogDir(log4cplus::helpers::Properties &props, const QDir &logDir)
{
    for (const auto &key : props.propertyNames()) {
        const QString name = QString::fromStdString(key);
        if (!name.startsWith(QLatin1String("log4cplus.appender.")) || !name.endsWith(QLatin1String(".File")))
            continue;
        QString file = QString::fromStdString(props.getProperty(key));
        if (QFileInfo(file).isRelative()) {
            file = logDir.filePath(file);
            props.setProperty(key, QDir::toNativeSeparators(file).toStdString());
        }
        keepPrivate(file);
    }
}

void ensureWritableLogDir(const QString &path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error(QCoreApplication::translate("AppLog", "无法创建日志目录 %1").arg(path).toStdString());
    // Files the appenders make later (a rolled-over log) are out of other users' reach too.
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile probe(QDir(path).filePath(QStringLiteral(".write_test")));
    if (!probe.open(QIODevice::WriteOnly))
        throw std::runtime_error(
            QCoreApplication::translate("AppLog", "日志目录 %1 不可写: %2").arg(path, probe.errorString()).toStdString());
    probe.close();
    probe.remove();
}

} // namespace

void StartLogSystem(const char *systemName, const char *processName)
{
    static log4cplus::Initializer initializer;
    const QString logDirPath = InstallRoot::logDir();
    ensureWritableLogDir(logDirPath);

    const QString configPath = QDir(InstallRoot::etcDir()).filePath(QStringLiteral("log4cplus.properties"));
    log4cplus::helpers::Properties props = QFileInfo(configPath).isFile()
        ? log4cplus::helpers::Properties(configPath.toStdString())
        : defaultProperties(QString::fromUtf8(processName));
    placeFilesInLogDir(props, QDir(logDirPath));

    log4cplus::Logger::getDefaultHierarchy().resetConfiguration();
    log4cplus::PropertyConfigurator(props).configure();
    g_loggerName = std::string(systemName) + "." + processName;
    g_started = true;
}

log4cplus::Logger &getLogger(bool &ok)
{
    static log4cplus::Logger logger;
    ok = g_started;
    if (g_started)
        logger = log4cplus::Logger::getInstance(g_loggerName);
    return logger;
}

log4cplus::Logger getAuditLogger(bool &ok)
{
    ok = g_started;
    return log4cplus::Logger::getInstance(AuditLoggerName);
}

void StopLogSystem()
{
    if (!g_started)
        return;
    g_started = false;
    log4cplus::Logger::getDefaultHierarchy().resetConfiguration();
}

} // namespace orv_public
