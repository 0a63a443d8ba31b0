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

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QTextCodec>

#include <exception>
#include <memory>

namespace {

void shutDownServices()
{
    if (OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance())
        delete mgr;
    orv_net::releaseMsgBus();
    orv_public::StopLogSystem();
}

} // namespace

void answerCommandLine(int argc, char *argv[])
{
    const QStringList asks{QStringLiteral("-h"), QStringLiteral("--help"), QStringLiteral("-v"),
                           QStringLiteral("--version")};
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || asks.contains(QString::fromLocal8Bit(argv[i]));
    if (!asked)
        return;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("model_varnix"));
    QCoreApplication::setApplicationVersion(Common::getSoftwareVersion());
    Common::installTranslators();
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "model_varnix", "设备建模：查看、批量修改和检查综合监控系统的配置数据库。启动后先显示平台登录对话框。"));
    parser.addHelpOption();
    parser.addVersionOption();
    // Prints and ends the process; the window system's options are left to the application object.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    parser.showHelp(0);
}

int runModelVarnix(SingleApplication &app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Varnix Rail Systems"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("varnix-rail.example"));
    // The window's Wayland app id and X11 class name match the desktop entry's.
    QGuiApplication::setDesktopFileName(QStringLiteral("model-varnix"));
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
    Common::installTranslators();
    // Titles of windows that have none of their own read as the tool, not as its file name.
    QGuiApplication::setApplicationDisplayName(QObject::tr("设备建模"));

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
