#include "InstallRoot.h"

#include "CFileUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString InstallRoot::path()
{
    const QString fromEnv = qEnvironmentVariable(EnvironmentVariable);
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(QDir(fromEnv).absolutePath());
    return QDir::cleanPath(QString::fromStdString(orv_public::CFileUtil::getBinDir()) + QStringLiteral("/.."));
}

QString InstallRoot::filePath(const QString &relative)
{
    return QDir::cleanPath(QDir(path()).filePath(relative));
}

QString InstallRoot::etcDirOf(const QString &root)
{
    const QFileInfo info(QDir::cleanPath(root));
    if (info.path() == QLatin1String("/opt"))
        return QStringLiteral("/etc/opt/") + info.fileName();
    return QDir::cleanPath(root + QStringLiteral("/etc"));
}

bool InstallRoot::isInstalledTree()
{
    return QFileInfo::exists(filePath(QLatin1String(InstalledMark)));
}

bool InstallRoot::isPerUser()
{
    return qEnvironmentVariableIntValue(PerUserVariable) == 1 || isInstalledTree() || !QFileInfo(path()).isWritable();
}

QString InstallRoot::userPath()
{
    if (!isPerUser())
        return path();
    // Shared by the tool's programs, whatever their own names.
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                           + QStringLiteral("/model_varnix"));
}

QString InstallRoot::userFilePath(const QString &relative)
{
    return QDir::cleanPath(QDir(userPath()).filePath(relative));
}

QString InstallRoot::provideUserFile(const QString &relative, QString *error)
{
    const QString target = userFilePath(relative);
    const QString shipped = filePath(relative);
    if (target == shipped || QFileInfo::exists(target) || !QFileInfo(shipped).isFile())
        return target;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile source(shipped);
    if (!source.copy(target)) {
        if (error)
            *error = QCoreApplication::translate("InstallRoot", "无法把 %1 复制到 %2: %3").arg(shipped, target, source.errorString());
        return target;
    }
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return target;
}
