#pragma once

#include <QString>

// Every file the tool reads lives below one root directory: <root>/bin next to which the
// executables sit, unless MODEL_VARNIX_ROOT names another. The files it writes (connection
// settings, logs, the demo database) live beside what it reads only in a build tree; an installed
// tree or a read-only root keeps them in a folder of the user's own, the platform's standard
// application-data location. MODEL_VARNIX_PER_USER=1 asks for that folder in any case.
class InstallRoot
{
public:
    static constexpr const char *EnvironmentVariable = "MODEL_VARNIX_ROOT";
    static constexpr const char *PerUserVariable = "MODEL_VARNIX_PER_USER";
    // Left by the install (packaging/CMakeLists.txt), never by the build.
    static constexpr const char *InstalledMark = "share/model_varnix/installed";

    static QString path();
    // A path below the root; relative names are resolved against it, absolute ones kept.
    static QString filePath(const QString &relative);

    static QString configDir() { return filePath(QStringLiteral("config")); }
    static QString tablesDir() { return filePath(QStringLiteral("tables")); }
    // The administrator's configuration (database.ini, log4cplus.properties, the defaults of
    // ModelConfig.ini): <root>/etc, or /etc/opt/<name> for a tree in /opt/<name>, as the FHS keeps it.
    static QString etcDir() { return etcDirOf(path()); }
    static QString etcDirOf(const QString &root);
    static QString styleDir() { return filePath(QStringLiteral("style")); }
    static QString translationsDir() { return filePath(QStringLiteral("translations")); }

    // Where written files go: the root itself, or the user's folder. An installed tree is the
    // package's, however writable: one user's logs there would outlive a purge and mix with others'.
    static bool isPerUser();
    static QString userPath();
    static QString userFilePath(const QString &relative);
    static QString userEtcDir() { return userFilePath(QStringLiteral("etc")); }
    static QString logDir() { return userFilePath(QStringLiteral("log")); }
    static QString dataDir() { return userFilePath(QStringLiteral("data")); }

    // A file of the user's folder, copied there on first use from the same place below the root
    // (the shipped demo database). Its path; an error text when the copy failed.
    static QString provideUserFile(const QString &relative, QString *error);

private:
    static bool isInstalledTree();
};
