#include "orvDevPointWidget.h"

#include "PointQuery.h"
#include "RowCountLabel.h"

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

using PointType = PointCatalogue::PointType;

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
    for (const PointType *type : PointCatalogue::backTypes())
        m_type->addItem(PointCatalogue::name(*type), type->number);
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

    // The tree's one column starts wide enough for its title, in either language.
    m_tree->setMinimumWidth(m_tree->header()->sectionSizeHint(0) + 2 * m_tree->frameWidth());
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
    auto *counts = new RowCountLabel(this);
    counts->watch(m_points);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(counts);
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
    connect(m_type, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &orvDevPointWidget::onTypeChanged);
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
    for (int row : rows) {
        const PointType *type = PointCatalogue::find(m_points->item(row, TypeColumn)->data(Qt::UserRole).toInt());
        points.append(QLatin1String(type->backTable) + QLatin1Char(';') + m_points->item(row, TagColumn)->text()
                      + QLatin1Char(';') + m_points->item(row, DescColumn)->text());
    }
    return points;
}

void orvDevPointWidget::loadLocations()
{
    const DbRows locations = PointQuery::locations();
    for (const QVariantList &row : locations.rows)
        m_tree->addTopLevelItem(makeNode(row.at(0).toString(), row.at(1).toString(), LocationLevel));
    sayFailure(locations);
}

bool orvDevPointWidget::sayFailure(const DbRows &rows)
{
    if (rows.ok())
        return false;
    m_summary->setText(tr("读取失败: %1").arg(rows.error.simplified()));
    m_summary->setToolTip(rows.sql);
    return true;
}

void orvDevPointWidget::onItemExpanded(QTreeWidgetItem *item)
{
    if (item->data(0, LoadedRole).toBool())
        return;
    const QString key = item->data(0, Qt::UserRole).toString();
    const bool location = item->data(0, LevelRole).toInt() == LocationLevel;
    const DbRows children = location ? PointQuery::deviceGroups(key) : PointQuery::devices(key);
    // A failed read is tried again at the next expansion.
    if (sayFailure(children))
        return;
    item->setData(0, LoadedRole, true);
    for (const QVariantList &row : children.rows) {
        const QString tag = row.at(1).toString();
        const QString desc = row.at(0).toString();
        item->addChild(makeNode(desc.isEmpty() ? tag : desc, tag, location ? GroupLevel : DeviceLevel));
    }
    if (children.rows.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void orvDevPointWidget::onDeviceChanged()
{
    m_searched = false;
    const QTreeWidgetItem *item = m_tree->currentItem();
    if (!item || item->data(0, LevelRole).toInt() != DeviceLevel) {
        m_points->setRowCount(0);
        onSelectionChanged();
        return;
    }
    const QString device = item->data(0, Qt::UserRole).toString();
    showPoints([&device](const PointType &type, int limit) { return PointQuery::devicePoints(type, device, limit); });
}

void orvDevPointWidget::onSearch()
{
    const QString text = m_search->text().trimmed();
    if (text.isEmpty()) {
        onDeviceChanged();
        return;
    }
    m_searched = true;
    showPoints([&text](const PointType &type, int limit) { return PointQuery::matchingPoints(type, text, limit); });
}

void orvDevPointWidget::onTypeChanged()
{
    if (m_searched)
        onSearch();
    else
        onDeviceChanged();
}

void orvDevPointWidget::showPoints(const std::function<DbRows(const PointType &, int)> &read)
{
    m_points->setSortingEnabled(false);
    m_points->setRowCount(0);
    const int wanted = m_type->currentData().toInt();
    int shown = 0;
    bool truncated = false;
    DbRows failed;
    for (const PointType *type : PointCatalogue::backTypes()) {
        if ((wanted >= 0 && wanted != type->number) || truncated)
            continue;
        const DbRows points = read(*type, SearchLimit + 1);
        if (!points.ok()) {
            failed = points;
            break;
        }
        for (const QVariantList &point : points.rows) {
            if (shown == SearchLimit) {
                truncated = true;
                break;
            }
            const int row = m_points->rowCount();
            m_points->insertRow(row);
            auto *typeItem = new QTableWidgetItem(PointCatalogue::name(*type));
            typeItem->setData(Qt::UserRole, type->number);
            m_points->setItem(row, TypeColumn, typeItem);
            m_points->setItem(row, TagColumn, new QTableWidgetItem(point.at(0).toString()));
            m_points->setItem(row, DescColumn, new QTableWidgetItem(point.at(1).toString()));
            m_points->setItem(row, ValueColumn, new QTableWidgetItem);
            ++shown;
        }
    }
    if (failed.ok() && m_showValues)
        fillValueSources();
    m_points->setSortingEnabled(true);
    m_points->resizeColumnToContents(TypeColumn);
    m_points->resizeColumnToContents(TagColumn);
    if (!sayFailure(failed))
        m_summary->setText(truncated ? tr("仅显示前 %1 个测点，请缩小搜索范围").arg(SearchLimit) : QString());
    onSelectionChanged();
}

void orvDevPointWidget::fillValueSources()
{
    // One query per point table for all shown points of it; rows must not move meanwhile.
    const bool sorting = m_points->isSortingEnabled();
    m_points->setSortingEnabled(false);
    QHash<int, QList<int>> rowsByType;
    for (int row = 0; row < m_points->rowCount(); ++row)
        if (m_points->item(row, ValueColumn)->text().isEmpty())
            rowsByType[m_points->item(row, TypeColumn)->data(Qt::UserRole).toInt()].append(row);
    for (auto it = rowsByType.constBegin(); it != rowsByType.constEnd(); ++it) {
        const PointType *type = PointCatalogue::find(it.key());
        QStringList keys;
        for (int row : it.value())
            keys.append(QLatin1String(type->backTable) + QLatin1Char('.') + m_points->item(row, TagColumn)->text());
        const DbRows links = PointQuery::linkedFesPoints(*type, keys);
        if (sayFailure(links))
            break;
        QHash<QString, QString> sources;
        for (const QVariantList &link : links.rows)
            sources.insert(link.at(0).toString(), link.at(1).toString());
        for (int i = 0; i < it.value().size(); ++i)
            m_points->item(it.value().at(i), ValueColumn)->setText(sources.value(keys.at(i), QStringLiteral("-")));
    }
    m_points->setSortingEnabled(sorting);
}

void orvDevPointWidget::onSelectionChanged()
{
    m_ok->setEnabled(!m_points->selectionModel()->selectedRows().isEmpty());
}
