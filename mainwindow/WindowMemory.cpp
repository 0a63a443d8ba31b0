#include "WindowMemory.h"

#include "ColumnWidths.h"
#include "Common.h"
#include "IniSettings.h"

#include <QMainWindow>
#include <QStackedWidget>

namespace WindowMemory {
namespace {

const QString kGeometry = QStringLiteral("window/geometry");
const QString kPage = QStringLiteral("window/page");

} // namespace

void restoreGeometry(QMainWindow *window)
{
    const QByteArray geometry = QByteArray::fromBase64(Common::modelConfig().value(kGeometry).toLatin1());
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
}

int lastPage(const QStackedWidget *pages)
{
    bool ok = false;
    const int page = Common::modelConfig().value(kPage).toInt(&ok);
    return ok && page >= 0 && page < pages->count() ? page : -1;
}

QString save(const QMainWindow *window, const QStackedWidget *pages)
{
    QString error = ColumnWidths::save();
    orv_public::IniSettings settings(Common::getModelConfigPath() + QStringLiteral("/ModelConfig.ini"));
    settings.setValue(kGeometry, QString::fromLatin1(window->saveGeometry().toBase64()));
    settings.setValue(kPage, QString::number(pages->currentIndex()));
    const QString written = settings.save();
    return error.isEmpty() ? written : error;
}

} // namespace WindowMemory
