#include "Common.h"

#include "InstallRoot.h"
#include "OrvPropertyPage.h"
#include "ViewName.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QVariant>

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

QHash<QString, Common::PluginFactory> &plugins()
{
    // The library's own pages are there from the first use on.
    static QHash<QString, Common::PluginFactory> registry{
        {QLatin1String(OrvPropertyPage::PluginName),
         [](QWidget *parent, const QStringList &params) -> QWidget * { return new OrvPropertyPage(params, parent); }},
    };
    return registry;
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

QWidget *Common::createPluginWidget(QWidget *parent, QString pluginName, QVector<void *> params)
{
    const auto it = plugins().constFind(pluginName);
    if (it == plugins().constEnd())
        return nullptr;
    QStringList texts;
    for (void *p : params)
        texts.append(p ? static_cast<const QVariant *>(p)->toString() : QString());
    return it.value()(parent, texts);
}

void Common::registerPlugin(const QString &pluginName, PluginFactory factory)
{
    plugins().insert(pluginName, std::move(factory));
}

QStringList Common::pluginNames()
{
    QStringList names = plugins().keys();
    names.sort();
    return names;
}

QString Common::createViewName(const QString &definition, const QString &condition)
{
    return orv_view::make(definition, condition);
}
