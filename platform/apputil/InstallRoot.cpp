#include "InstallRoot.h"

#include "CFileUtil.h"

#include <QDir>

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
