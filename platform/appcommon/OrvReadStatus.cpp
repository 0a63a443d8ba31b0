#include "OrvReadStatus.h"

#include <QCoreApplication>
#include <QLabel>

OrvReadStatus::OrvReadStatus(QLabel *line)
    : m_line(line)
{
    m_line->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_line->setWordWrap(true);
    m_line->hide();
}

bool OrvReadStatus::report(const QString &what, const DbRows &rows)
{
    const bool changed = rows.ok() ? m_failed.remove(what) > 0 : true;
    if (!rows.ok())
        m_failed.insert(what, rows);
    if (changed)
        show();
    return rows.ok();
}

QString OrvReadStatus::text() const
{
    QStringList lines;
    for (auto it = m_failed.constBegin(); it != m_failed.constEnd(); ++it)
        lines.append(QCoreApplication::translate("OrvReadStatus", "读取%1失败: %2").arg(it.key(), it.value().error.simplified()));
    return lines.join(QLatin1Char('\n'));
}

void OrvReadStatus::show()
{
    if (!m_line)
        return;
    QStringList statements;
    for (const DbRows &rows : qAsConst(m_failed))
        statements.append(rows.sql);
    m_line->setText(text());
    m_line->setToolTip(statements.join(QLatin1Char('\n')));
    m_line->setVisible(!m_failed.isEmpty());
}
