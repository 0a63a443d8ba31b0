#include "SheetExport.h"

#include "CsvWriter.h"
#include "XlsxSheetWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace SheetExport {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SheetExport", text);
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return tr("无法写入文件 %1: %2").arg(path, reason);
}

QString commit(QSaveFile &file, const QString &path)
{
    if (!file.commit())
        return cannotWrite(path, file.errorString());
    return QString();
}

QString writeCsv(const SheetData &data, const QString &path, bool namesOnly)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(path, file.errorString());
    const QString error = CsvWriter::write(data, namesOnly, &file);
    if (!error.isEmpty()) {
        file.cancelWriting();
        return cannotWrite(path, error);
    }
    return commit(file, path);
}

// The library writes a file of its own; it is built aside and copied in whole.
QString writeXlsx(const SheetData &data, const QString &path, const Options &options)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return cannotWrite(path, scratch.errorString());
    const QString built = scratch.filePath(QStringLiteral("sheet.xlsx"));
    const QString error = XlsxSheetWriter::write(data, options.namesOnly, options.sheetName, built, path);
    if (!error.isEmpty())
        return error;
    QFile source(built);
    QSaveFile file(path);
    if (!source.open(QIODevice::ReadOnly))
        return cannotWrite(path, source.errorString());
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(path, file.errorString());
    const QByteArray bytes = source.readAll();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return cannotWrite(path, file.errorString());
    }
    return commit(file, path);
}

} // namespace

bool formatFromName(const QString &name, Format *format)
{
    if (name.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        *format = Format::Csv;
    else if (name.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        *format = Format::Xlsx;
    else
        return false;
    return true;
}

QString suffix(Format format)
{
    return format == Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
}

Format formatOfPath(const QString &path, Format fallback)
{
    Format format = fallback;
    return formatFromName(QFileInfo(path).suffix(), &format) ? format : fallback;
}

QString writeFile(const SheetData &data, const QString &path, const Options &options)
{
    if (path.isEmpty())
        return tr("没有指定文件");
    if (QFileInfo(path).isDir())
        return cannotWrite(path, tr("这是一个文件夹"));
    return options.format == Format::Xlsx ? writeXlsx(data, path, options) : writeCsv(data, path, options.namesOnly);
}

} // namespace SheetExport
