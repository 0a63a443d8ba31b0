#include "OrvMessage.h"

#include <QGridLayout>
#include <QSpacerItem>

namespace orv_ui {

namespace {

// Narrow boxes ("修复成功") lose their title to the window manager's buttons; long texts still wrap.
constexpr int MinimumBoxWidth = 320;

} // namespace

QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Information, title, text, buttons, parent);
    box.setDefaultButton(QMessageBox::NoButton);
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(MinimumBoxWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    return QMessageBox::StandardButton(box.exec());
}

} // namespace orv_ui
