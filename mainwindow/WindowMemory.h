#pragma once

#include <QString>

class QMainWindow;
class QStackedWidget;

// What the main window takes from one start to the next, in the user's ModelConfig.ini ([window]):
// its size and position, and the page shown last.
namespace WindowMemory {

void restoreGeometry(QMainWindow *window);
// The page shown last; -1 when none was kept or it is no longer there.
int lastPage(const QStackedWidget *pages);
// Writes geometry, page and the pages' column widths; empty text, or why not.
QString save(const QMainWindow *window, const QStackedWidget *pages);

} // namespace WindowMemory
