#pragma once

#include <QCoreApplication>
#include <QString>

namespace orv_public {

// A text of a definition file (tool bar, check groups, table definitions) as shown: written in
// Chinese like the program's own texts, translated under the file's name as context
// ("mainWindow.xml", "configcheck.xml", "tables"); tools/update-translations.sh collects them.
inline QString definitionText(const char *file, const QString &text)
{
    return QCoreApplication::translate(file, text.toUtf8().constData());
}

} // namespace orv_public
