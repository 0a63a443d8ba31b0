#include "Common.h"

#include "InstallRoot.h"
#include "ViewName.h"

#include <QDir>
#include <QFile>

namespace {

struct PathTable
{
    bool initialised = false;
    QString configDir;
    QString translationsDir;
    QString etcDir;
};

PathTable &paths()
{
    static PathTable table;
    return table;
}

} // namespace

void Common::initPath()
{
    PathTable &p = paths();
    p.configDir = InstallRoot::configDir();
    p.translationsDir = InstallRoot::translationsDir();
    p.etcDir = InstallRoot::userEtcDir();
    p.initialised = true;
}

QString Common::pathBelowRoot(const QString &dirName, const QString &fileName)
{
    return QDir::cleanPath(QDir(dirName).filePath(fileName));
}

QString Common::getStyleSheetPath(const QString &fileName)
{
    QFile file(pathBelowRoot(InstallRoot::styleDir(), fileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString Common::getTranslatePath(QString fileName)
{
    const PathTable &p = paths();
    return pathBelowRoot(p.initialised ? p.translationsDir : InstallRoot::translationsDir(), fileName);
}

QString Common::getTreePath(QString fileName)
{
    const PathTable &p = paths();
    return pathBelowRoot(p.initialised ? p.configDir : InstallRoot::configDir(), fileName);
}

QString Common::getModelConfigPath()
{
    const PathTable &p = paths();
    return p.initialised ? p.etcDir : InstallRoot::userEtcDir();
}

QString Common::getSoftwareVersion()
{
    return QStringLiteral(MODEL_VARNIX_VERSION);
}

QString Common::createViewName(const QString &definition, const QString &condition)
{
    return orv_view::make(definition, condition);
}
