#pragma once

#include "IniSettings.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QWidget;

// Paths, version and view names need no screen; the page plug-ins are defined in the library's
// widgets part (CommonPlugins.cpp).
class Common
{
public:
    // Makes a page widget for the main window from its parameter texts.
    using PluginFactory = std::function<QWidget *(QWidget *parent, const QStringList &params)>;

    static void initPath();

    // The style sheet text itself (empty when the sheet is missing), for QApplication::setStyleSheet.
    static QString getStyleSheetPath(const QString &fileName);
    static QString getTranslatePath(QString fileName);
    // A file relative to the definition-file directory <root>/config.
    static QString getTreePath(QString fileName);
    static QString getModelConfigPath();
    // ModelConfig.ini as the tool reads it: the user's file, then the administrator's defaults in
    // the system configuration directory, then the caller's built-in default.
    static orv_public::IniSettings modelConfig();
    // "en" or "zh": [ui] language= of ModelConfig.ini, else the locale's message language;
    // Chinese unless that is English.
    static QString uiLanguage();
    // English: the tool's English catalogue; Chinese: the texts as written, Qt's own in Chinese.
    static void installTranslators();
    static QString getSoftwareVersion();

    // A new page whose parent is the given window, or null when no plug-in has that name.
    // params holds addresses of QVariant values, one text each.
    static QWidget *createPluginWidget(QWidget *parent, QString pluginName, QVector<void *> params);
    static void registerPlugin(const QString &pluginName, PluginFactory factory);
    static QStringList pluginNames();

    // A view name that the table-model manager accepts: the definition's rows meeting the condition.
    static QString createViewName(const QString &definition, const QString &condition);

private:
    static QString pathBelowRoot(const QString &dirName, const QString &fileName);
};
