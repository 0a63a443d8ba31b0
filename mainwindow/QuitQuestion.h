#pragma once

#include <QStringList>

class QWidget;

// The one question before the window closes: plain when nothing is unsaved, else whether to save
// the edits of the named tables, throw them away, or stay.
namespace QuitQuestion {

enum Answer { Stay, Quit, SaveAndQuit };

Answer ask(QWidget *parent, const QStringList &unsavedTables);

} // namespace QuitQuestion
