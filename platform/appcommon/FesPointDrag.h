#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a drag of front-end points carries: under the MIME type below, one string per point,
// "table;tag;description", written one after another by a QDataStream of version 17 (no
// count in front). The search list writes it; pages that accept the drop read it.
namespace orv_fes_drag {

QString mimeType();

struct Point
{
    QString table;
    QString tag;
    QString description;
};

QString join(const QString &table, const QString &tag, const QString &description);
// The description may itself hold ';': only the first two split. False without both.
bool split(const QString &text, Point *point);

QByteArray encode(const QStringList &points);
// False when the payload is not a whole sequence of strings.
bool decode(const QByteArray &payload, QStringList *points);

} // namespace orv_fes_drag
