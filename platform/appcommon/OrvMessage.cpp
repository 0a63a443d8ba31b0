#include "OrvMessage.h"

namespace orv_ui {

QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons)
{
    return QMessageBox::information(parent, title, text, buttons, QMessageBox::NoButton);
}

} // namespace orv_ui
