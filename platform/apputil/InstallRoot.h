#pragma once

#include <QString>

// Every file the tool reads or writes lives below one root directory:
// <root>/bin next to which the executables sit, unless MODEL_VARNIX_ROOT names another.
class InstallRoot
{
public:
    static constexpr const char *EnvironmentVariable = "MODEL_VARNIX_ROOT";

    static QString path();
    // A path below the root; relative names are resolved against it, absolute ones kept.
    static QString filePath(const QString &relative);

    static QString configDir() { return filePath(QStringLiteral("config")); }
    static QString tablesDir() { return filePath(QStringLiteral("tables")); }
    static QString etcDir() { return filePath(QStringLiteral("etc")); }
    static QString styleDir() { return filePath(QStringLiteral("style")); }
    static QString translationsDir() { return filePath(QStringLiteral("translations")); }
    static QString logDir() { return filePath(QStringLiteral("log")); }
    static QString dataDir() { return filePath(QStringLiteral("data")); }
};
