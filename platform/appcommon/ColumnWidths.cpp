#include "ColumnWidths.h"

#include "Common.h"
#include "IniSettings.h"

#include <QHash>
#include <QHeaderView>
#include <QTableView>

namespace {

// Table (lower case) -> "w0,w1,..." by column, for the tables whose widths the user changed.
QHash<QString, QString> &given()
{
    static QHash<QString, QString> widths;
    return widths;
}

QString keyOf(const QString &table)
{
    return QStringLiteral("columns/") + table;
}

} // namespace

ColumnWidths::ColumnWidths(QTableView *view)
    : QObject(view)
    , m_view(view)
{
    connect(view->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_applying)
            record();
    });
}

void ColumnWidths::apply(const QString &table)
{
    m_table = table.toLower();
    const QString saved = given().value(m_table, Common::modelConfig().value(keyOf(m_table)));
    const QStringList widths = saved.split(QLatin1Char(','), Qt::SkipEmptyParts);
    m_applying = true;
    for (int column = 0; column < widths.size() && column < m_view->horizontalHeader()->count(); ++column) {
        const int width = widths.at(column).toInt();
        if (width > 0)
            m_view->setColumnWidth(column, width);
    }
    m_applying = false;
}

void ColumnWidths::record()
{
    if (m_table.isEmpty())
        return;
    QStringList widths;
    const QHeaderView *header = m_view->horizontalHeader();
    for (int column = 0; column < header->count(); ++column)
        widths.append(QString::number(header->isSectionHidden(column) ? 0 : header->sectionSize(column)));
    given().insert(m_table, widths.join(QLatin1Char(',')));
}

QString ColumnWidths::save()
{
    if (given().isEmpty())
        return QString();
    orv_public::IniSettings settings(Common::getModelConfigPath() + QStringLiteral("/ModelConfig.ini"));
    for (auto it = given().constBegin(); it != given().constEnd(); ++it)
        settings.setValue(keyOf(it.key()), it.value());
    return settings.save();
}
