#pragma once

#include "DbRows.h"

#include <QMap>
#include <QPointer>
#include <QString>

class QLabel;

// A dialog's line for failed reads: each list or table the dialog reads is said there while its
// last read failed, with the database's reason, so that an empty list is never taken for "none".
class OrvReadStatus
{
public:
    OrvReadStatus() = default;
    explicit OrvReadStatus(QLabel *line);

    // Notes the read of what (e.g. "位置"); true when it succeeded.
    bool report(const QString &what, const DbRows &rows);
    QString text() const;

private:
    void show();

    QPointer<QLabel> m_line;
    QMap<QString, DbRows> m_failed;
};
