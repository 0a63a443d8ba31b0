// model_waiting_dlg: a frameless "connecting" indicator, shown until the process is closed.
#include "Common.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Common::installTranslators();
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    window.setObjectName(QStringLiteral("waitingIndicator"));
    window.setStyleSheet(QStringLiteral("#waitingIndicator { background: #1f3b57; border: 1px solid #5b86b0; }"
                                        "QLabel { color: white; }"));
    auto *label = new QLabel(QCoreApplication::translate("model_waiting_dlg", "正在连接数据库，请稍候..."), &window);
    QFont font = label->font();
    font.setPointSize(11);
    label->setFont(font);
    auto *bar = new QProgressBar(&window);
    bar->setRange(0, 0); // busy
    bar->setTextVisible(false);
    bar->setFixedHeight(8);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(label);
    layout->addWidget(bar);
    window.adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.move(screen->geometry().center() - window.rect().center());
    window.show();
    return app.exec();
}
