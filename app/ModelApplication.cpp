#include "ModelApplication.h"

#include "AppLog.h"
#include "CModelVarnixlogin.h"
#include "Common.h"
#include "MainWindow.h"
#include "MsgBus.h"
#include "OrvLog.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"
#include "SingleApplication.h"

#include <QFont>
#include <QIcon>
#include <QTextCodec>
#include <QTranslator>

#include <exception>
#include <memory>

namespace {

void installTranslator(SingleApplication &app, const QString &file)
{
    // Lives until the process ends, loaded or not.
    auto *translator = new QTranslator;
    translator->load(Common::getTranslatePath(file), QString(), QString(), QString());
    app.installTranslator(translator);
}

void shutDownServices()
{
    if (OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance())
        delete mgr;
    orv_net::releaseMsgBus();
    orv_public::StopLogSystem();
}

} // namespace

int runModelVarnix(SingleApplication &app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Varnix Rail Systems"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("varnix-rail.example"));
    // Titles of windows that have none of their own read as the tool, not as its file name.
    QGuiApplication::setApplicationDisplayName(QObject::tr("设备建模"));
    app.setStyleSheet(Common::getStyleSheetPath(QStringLiteral("modelVarnix.qss")));
    QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei"), 10, -1, false));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/icons/varnix.ico")));
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf8"));

    try {
        orv_public::StartLogSystem("MODEL", "model_varnix");
    } catch (const std::exception &e) {
        orv_ui::information(nullptr, QObject::tr("消息"), QObject::tr("启动日志服务失败:") + QString::fromUtf8(e.what()));
        return 0;
    }
    Common::initPath();
    orv_net::initMsgBus("model", "varnix", true);
    ORV_LOG_DEBUG(QObject::tr("model_varnix begin run...."));
    installTranslator(app, QStringLiteral("model_varnix_EN.qm"));
    installTranslator(app, QStringLiteral("qt_zh_CN.qm"));

    auto login = std::make_unique<CModelVarnixlogin>();
    int exitCode = 0;
    if (login->login()) {
        auto window = std::make_unique<MainWindow>(nullptr);
        window->showMaximized();
        window->setPrimaryKeyEditable(login->isDirectLink());
        MainWindow *raised = window.get();
        QObject::connect(&app, &SingleApplication::instanceStarted, raised, [raised] {
            raised->show();
            raised->showMaximized();
            raised->activateWindow();
        }, Qt::DirectConnection);
        exitCode = app.exec();
    }
    shutDownServices();
    return exitCode;
}
