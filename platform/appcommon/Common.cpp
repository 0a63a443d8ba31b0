#include "Common.h"

#include "InstallRoot.h"
#include "ViewName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

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

orv_public::IniSettings Common::modelConfig()
{
    const QString name = QStringLiteral("/ModelConfig.ini");
    return orv_public::IniSettings(getModelConfigPath() + name, InstallRoot::etcDir() + name);
}

namespace {

bool isEnglish(const QString &language)
{
    return language.startsWith(QLatin1String("en"), Qt::CaseInsensitive);
}

QString localeLanguage()
{
    // The order in which the C library picks the language of messages.
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

} // namespace

QString Common::uiLanguage()
{
    QString chosen = modelConfig().value(QStringLiteral("ui/language")).trimmed();
    if (chosen.isEmpty() || chosen.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        chosen = localeLanguage();
    return isEnglish(chosen) ? QStringLiteral("en") : QStringLiteral("zh");
}

void Common::installTranslators()
{
    const QString file = uiLanguage() == QLatin1String("en") ? QStringLiteral("model_varnix_EN.qm")
                                                             : QStringLiteral("qt_zh_CN.qm");
    // Lives until the process ends, loaded or not.
    auto *translator = new QTranslator;
    translator->load(getTranslatePath(file), QString(), QString(), QString());
    QCoreApplication::installTranslator(translator);
}

QString Common::getSoftwareVersion()
{
    return QStringLiteral(MODEL_VARNIX_VERSION);
}

QString Common::createViewName(const QString &definition, const QString &condition)
{
    return orv_view::make(definition, condition);
}
