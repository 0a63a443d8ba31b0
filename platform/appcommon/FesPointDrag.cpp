#include "FesPointDrag.h"

#include <QDataStream>

namespace orv_fes_drag {

namespace {

// Fixed rather than the toolkit's default, so that a newer toolkit keeps writing the same bytes.
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_5_6;
static_assert(StreamVersion == 17, "the drag payload is a version-17 stream");

QChar separator()
{
    return QLatin1Char(';');
}

} // namespace

QString mimeType()
{
    return QStringLiteral("MyFesPointListWidget/data");
}

QString join(const QString &table, const QString &tag, const QString &description)
{
    return table + separator() + tag + separator() + description;
}

bool split(const QString &text, Point *point)
{
    const int first = text.indexOf(separator());
    const int second = first < 0 ? -1 : text.indexOf(separator(), first + 1);
    if (second < 0)
        return false;
    point->table = text.left(first);
    point->tag = text.mid(first + 1, second - first - 1);
    point->description = text.mid(second + 1);
    return true;
}

QByteArray encode(const QStringList &points)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    for (const QString &p : points)
        out << p;
    return payload;
}

bool decode(const QByteArray &payload, QStringList *points)
{
    QDataStream in(payload);
    in.setVersion(StreamVersion);
    QStringList read;
    while (!in.atEnd()) {
        QString p;
        in >> p;
        if (in.status() != QDataStream::Ok)
            return false;
        read.append(p);
    }
    *points = read;
    return true;
}

} // namespace orv_fes_drag
