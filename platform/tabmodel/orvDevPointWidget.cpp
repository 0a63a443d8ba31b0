#include "orvDevPointWidget.h"

#include "OrvDbDesign.h"
#include "SqlText.h"

#include <QComboBox>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Level { LocationLevel, GroupLevel, DeviceLevel };
enum Column { TypeColumn, TagColumn, DescColumn, ValueColumn };
constexpr int LevelRole = Qt::UserRole + 1;
constexpr int LoadedRole = Qt::UserRole + 2;

struct PointTable
{
    const char *table;
    const char *name;
};
const PointTable kTables[] = {{"analog", "模拟量"}, {"digital", "数字量"}, {"accuml", "累积量"}, {"mix", "混合量"}};

QTreeWidgetItem *makeNode(const QString &text, const QString &key, Level level)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, Qt::UserRole, key);
    item->setData(0, LevelRole, int(level));
    item->setToolTip(0, key);
    if (level != DeviceLevel)
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

} // namespace

orvDevPointWidget::orvDevPointWidget(QWidget *parent)
    : QWidget(parent)
{
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(tr("输入标签名或描述的一部分，回车搜索"));
    m_search->setClearButtonEnabled(true);
    m_type = new QComboBox(this);
    m_type->addItem(tr("全部类型"), -1);
    for (int i = 0; i < 4; ++i)
        m_type->addItem(tr(kTables[i].name), i);
    auto *searchButton = new QPushButton(tr("搜索"), this);

    m_tree = new QTreeWidget(this);
    m_tree->setHeaderLabel(tr("位置 / 设备组 / 设备"));
    m_points = new QTableWidget(0, 4, this);
    m_points->setHorizontalHeaderLabels({tr("类型"), tr("标签名"), tr("描述"), tr("前置测点")});
    m_points->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_points->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_points->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_points->setAlternatingRowColors(true);
    m_points->verticalHeader()->hide();
    m_points->horizontalHeader()->setStretchLastSection(true);
    m_points->setSortingEnabled(true);
    m_points->sortByColumn(TagColumn, Qt::AscendingOrder);
    m_points->verticalHeader()->setDefaultSectionSize(24);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_points);
    splitter->setStretchFactor(1, 2);

    m_summary = new QLabel(this);
    m_ok = new QPushButton(tr("确定"), this);
    m_ok->setEnabled(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_search, 1);
    top->addWidget(m_type);
    top->addWidget(searchButton);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_summary, 1);
    bottom->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    connect(m_search, &QLineEdit::returnPressed, this, &orvDevPointWidget::onSearch);
    connect(searchButton, &QPushButton::clicked, this, &orvDevPointWidget::onSearch);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &orvDevPointWidget::onItemExpanded);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &orvDevPointWidget::onDeviceChanged);
    connect(m_type, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &orvDevPointWidget::onDeviceChanged);
    connect(m_points, &QTableWidget::itemSelectionChanged, this, &orvDevPointWidget::onSelectionChanged);
    connect(m_points, &QTableWidget::itemDoubleClicked, this, &orvDevPointWidget::sigOk);
    connect(m_ok, &QPushButton::clicked, this, &orvDevPointWidget::sigOk);

    loadLocations();
}

void orvDevPointWidget::setPointValueEnable(bool enable)
{
    m_showValues = enable;
    m_points->setColumnHidden(ValueColumn, !enable);
    if (enable)
        fillValueSources();
}

void orvDevPointWidget::setMultiSelectPointEnable(bool enable)
{
    m_points->setSelectionMode(enable ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QStringList orvDevPointWidget::selectedPoints() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_points->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList points;
    for (int row : rows)
        points.append(m_points->item(row, TypeColumn)->data(Qt::UserRole).toString() + QLatin1Char(';')
                      + m_points->item(row, TagColumn)->text() + QLatin1Char(';') + m_points->item(row, DescColumn)->text());
    return points;
}

void orvDevPointWidget::loadLocations()
{
    QStringList ids, descs;
    OrvDbDesign().getTwoColumnResult(QStringLiteral("SELECT LOCATION_ID,DESCRIPTION FROM SYS_MODEL_LOCATION_INFO ORDER BY LOCATION_ID;"),
                                     ids, descs);
    for (int i = 0; i < ids.size(); ++i)
        m_tree->addTopLevelItem(makeNode(descs.at(i), ids.at(i), LocationLevel));
}

void orvDevPointWidget::onItemExpanded(QTreeWidgetItem *item)
{
    if (item->data(0, LoadedRole).toBool())
        return;
    item->setData(0, LoadedRole, true);
    const QString key = item->data(0, Qt::UserRole).toString();
    const bool location = item->data(0, LevelRole).toInt() == LocationLevel;
    const QString sql = location
        ? QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_group WHERE LOCATION_ID = ? ORDER BY TAG_NAME")
        : QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_info WHERE GROUP_TAG_NAME = ? ORDER BY TAG_NAME");
    QStringList tags, descs;
    OrvDbDesign().getTwoColumnResult(sql, {key}, tags, descs);
    for (int i = 0; i < tags.size(); ++i)
        item->addChild(makeNode(descs.at(i).isEmpty() ? tags.at(i) : descs.at(i), tags.at(i), location ? GroupLevel : DeviceLevel));
    if (tags.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void orvDevPointWidget::onDeviceChanged()
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    if (!item || item->data(0, LevelRole).toInt() != DeviceLevel) {
        m_points->setRowCount(0);
        onSelectionChanged();
        return;
    }
    showPoints(QStringLiteral("DEVICE = ?"), {item->data(0, Qt::UserRole).toString()});
}

void orvDevPointWidget::onSearch()
{
    const QString text = m_search->text().trimmed();
    if (text.isEmpty()) {
        onDeviceChanged();
        return;
    }
    const QString pattern = orv_sql::likePattern(text);
    showPoints(QStringLiteral("(TAG_NAME LIKE ? ESCAPE '%1' OR DESCRIPTION LIKE ? ESCAPE '%1')").arg(QLatin1Char(orv_sql::LikeEscape)),
               {pattern, pattern});
}

void orvDevPointWidget::showPoints(const QString &condition, const QVariantList &values)
{
    m_points->setSortingEnabled(false);
    m_points->setRowCount(0);
    const int wanted = m_type->currentData().toInt();
    int shown = 0;
    bool truncated = false;
    for (int t = 0; t < 4 && !truncated; ++t) {
        if (wanted >= 0 && wanted != t)
            continue;
        QStringList tags, descs;
        // The condition goes in last: a user's text never reaches a further arg().
        OrvDbDesign().getTwoColumnResult(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM %1 WHERE %3 ORDER BY TAG_NAME LIMIT %2")
                                             .arg(QLatin1String(kTables[t].table))
                                             .arg(SearchLimit + 1)
                                             .arg(condition),
                                         values, tags, descs);
        for (int i = 0; i < tags.size(); ++i) {
            if (shown == SearchLimit) {
                truncated = true;
                break;
            }
            const int row = m_points->rowCount();
            m_points->insertRow(row);
            auto *type = new QTableWidgetItem(tr(kTables[t].name));
            type->setData(Qt::UserRole, QLatin1String(kTables[t].table));
            m_points->setItem(row, TypeColumn, type);
            m_points->setItem(row, TagColumn, new QTableWidgetItem(tags.at(i)));
            m_points->setItem(row, DescColumn, new QTableWidgetItem(descs.at(i)));
            m_points->setItem(row, ValueColumn, new QTableWidgetItem);
            ++shown;
        }
    }
    if (m_showValues)
        fillValueSources();
    m_points->setSortingEnabled(true);
    m_points->resizeColumnToContents(TypeColumn);
    m_points->resizeColumnToContents(TagColumn);
    m_summary->setText(truncated ? tr("仅显示前 %1 个测点，请缩小搜索范围").arg(SearchLimit) : tr("共 %1 个测点").arg(shown));
    onSelectionChanged();
}

void orvDevPointWidget::fillValueSources()
{
    // One query per point table for all shown points of it; rows must not move meanwhile.
    const bool sorting = m_points->isSortingEnabled();
    m_points->setSortingEnabled(false);
    QHash<QString, QList<int>> rowsByTable;
    for (int row = 0; row < m_points->rowCount(); ++row)
        if (m_points->item(row, ValueColumn)->text().isEmpty())
            rowsByTable[m_points->item(row, TypeColumn)->data(Qt::UserRole).toString()].append(row);
    for (auto it = rowsByTable.constBegin(); it != rowsByTable.constEnd(); ++it) {
        const QString &table = it.key();
        QVariantList keys;
        QStringList marks;
        for (int row : it.value()) {
            keys.append(table + QLatin1Char('.') + m_points->item(row, TagColumn)->text());
            marks.append(QStringLiteral("?"));
        }
        QStringList found, fes;
        OrvDbDesign().getTwoColumnResult(QStringLiteral("SELECT KEY_ID_TAG,FES_TAG FROM %1_map_to_fes WHERE KEY_ID_TAG IN (%2)")
                                             .arg(table, marks.join(QLatin1Char(','))),
                                         keys, found, fes);
        QHash<QString, QString> sources;
        for (int i = 0; i < found.size(); ++i)
            sources.insert(found.at(i), fes.at(i));
        for (int i = 0; i < it.value().size(); ++i)
            m_points->item(it.value().at(i), ValueColumn)->setText(sources.value(keys.at(i).toString(), QStringLiteral("-")));
    }
    m_points->setSortingEnabled(sorting);
}

void orvDevPointWidget::onSelectionChanged()
{
    m_ok->setEnabled(!m_points->selectionModel()->selectedRows().isEmpty());
}
