#include "CFileUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orv_public {

const char *CFileUtil::getProcSuffix()
{
#ifdef Q_OS_WIN
    return ".exe";
#else
    return "";
#endif
}

std::string CFileUtil::getBinDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath().toStdString();
#ifdef Q_OS_LINUX
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2).toStdString();
#else
    return QDir::currentPath().toStdString();
#endif
}

std::string CFileUtil::getPathOfBinFile(const std::string &fileName, std::string *error)
{
    const QString path = QDir(QString::fromStdString(getBinDir())).filePath(QString::fromStdString(fileName));
    if (QFileInfo(path).isFile())
        return QDir::toNativeSeparators(path).toStdString();
    if (error)
        *error = "file not found: " + path.toStdString();
    return std::string();
}

} // namespace orv_public
