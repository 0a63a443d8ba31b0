#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The one way the tool tells the user something: an information box without a default button.
namespace orv_ui {

QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

} // namespace orv_ui
