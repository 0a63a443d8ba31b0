// The page plug-ins of Common, in the library's widgets part: the path functions need no screen.
#include "Common.h"

#include "OrvPropertyPage.h"

#include <QHash>
#include <QVariant>

namespace {

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
