#include "QuitQuestion.h"

#include "OrvMessage.h"

#include <QCoreApplication>
#include <QPushButton>

namespace QuitQuestion {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QuitQuestion", text);
}

} // namespace

Answer ask(QWidget *parent, const QStringList &unsavedTables)
{
    if (unsavedTables.isEmpty())
        return orv_ui::information(parent, tr("消息"), tr("确定退出软件"), QMessageBox::Yes | QMessageBox::No) == QMessageBox::No
            ? Stay
            : Quit;
    QMessageBox box(QMessageBox::Question, tr("消息"),
                    tr("表 %1 有未保存的修改。退出前保存吗？").arg(unsavedTables.join(tr("、"))), QMessageBox::NoButton, parent);
    QPushButton *save = box.addButton(tr("保存并退出"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(tr("放弃修改并退出"), QMessageBox::DestructiveRole);
    QPushButton *stay = box.addButton(tr("取消"), QMessageBox::RejectRole);
    save->setObjectName(QStringLiteral("saveAndQuit"));
    discard->setObjectName(QStringLiteral("discardAndQuit"));
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAndQuit;
    return box.clickedButton() == discard ? Quit : Stay;
}

} // namespace QuitQuestion
