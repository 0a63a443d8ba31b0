#include "OrvPropertyPage.h"

#include "ColumnWidths.h"
#include "OrvEditMarksProxy.h"
#include "OrvMessage.h"
#include "OrvFesLinkDropFilter.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "OrvWaitPrgDlg.h"
#include "PageActions.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

OrvPropertyPage::OrvPropertyPage(const QStringList &definitions, QWidget *parent)
    : QWidget(parent)
{
    m_tabs = new QTabBar(this);
    m_tabs->setExpanding(false);
    for (const QString &name : definitions) {
        OrvTableModel *model = OrvTableDataMgr::getInstance()->createOwnModel(name.trimmed(), this);
        if (!model)
            continue;
        m_models.append(model);
        m_tabs->addTab(model->tableDescription().isEmpty() ? model->getTableName() : model->tableDescription());
        m_tabs->setTabToolTip(m_tabs->count() - 1, model->getTableName());
        connect(model, &QAbstractItemModel::dataChanged, this, &OrvPropertyPage::updateState);
        connect(model, &OrvTableModel::countsChanged, this, &OrvPropertyPage::updateState);
        // Said after the editor has closed, never from inside its commit.
        connect(model, &OrvTableModel::editRefused, this, &OrvPropertyPage::onEditRefused, Qt::QueuedConnection);
    }
    connect(OrvTableDataMgr::getInstance(), &OrvTableDataMgr::tablesChanged, this, &OrvPropertyPage::onTablesChanged);

    m_filterColumn = new QComboBox(this);
    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(tr("筛选(不区分大小写)"));
    m_filter->setClearButtonEnabled(true);
    auto *reload = new QPushButton(tr("刷新"), this);
    m_save = new QPushButton(tr("保存"), this);
    m_revert = new QPushButton(tr("撤销修改"), this);
    m_status = new QLabel(this);

    m_proxy = new OrvEditMarksProxy(this);
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(0);
    connect(m_filterTimer, &QTimer::timeout, this, &OrvPropertyPage::applyFilter);
    m_view = new QTableView(this);
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(0, Qt::AscendingOrder);
    m_view->setAlternatingRowColors(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->verticalHeader()->setDefaultSectionSize(24);
    for (OrvTableModel *model : qAsConst(m_models))
        connect(model, &OrvTableModel::reshaped, this, [this, model] {
            if (m_proxy->sourceModel() == model)
                m_view->scrollToTop();
        });

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("筛选列:"), this));
    bar->addWidget(m_filterColumn);
    bar->addWidget(m_filter, 1);
    bar->addWidget(reload);
    bar->addWidget(m_revert);
    bar->addWidget(m_save);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_tabs);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_status);

    connect(m_tabs, &QTabBar::currentChanged, this, &OrvPropertyPage::onTableChanged);
    connect(m_filter, &QLineEdit::textChanged, this, &OrvPropertyPage::onFilterChanged);
    connect(m_filterColumn, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &OrvPropertyPage::onFilterChanged);
    connect(reload, &QPushButton::clicked, this, &OrvPropertyPage::onReload);
    connect(m_save, &QPushButton::clicked, this, &OrvPropertyPage::onSave);
    connect(m_revert, &QPushButton::clicked, this, &OrvPropertyPage::onRevert);
    connect(m_view, &QTableView::doubleClicked, this, &OrvPropertyPage::onCellActivated);
    connect(new OrvFesLinkDropFilter(this), &OrvFesLinkDropFilter::sigLinked, this, &OrvPropertyPage::updateState);
    new PageActions(this, m_save, reload, m_filter);
    m_widths = new ColumnWidths(m_view);
    updateState();
}

OrvTableModel *OrvPropertyPage::currentModel() const
{
    const int index = m_tabs->currentIndex();
    return index >= 0 && index < m_models.size() ? m_models.at(index) : nullptr;
}

QString OrvPropertyPage::statusText() const
{
    return m_status->text();
}

bool OrvPropertyPage::hasUnsavedChanges() const
{
    return std::any_of(m_models.begin(), m_models.end(), [](OrvTableModel *m) { return m->hasPendingChanges(); });
}

QStringList OrvPropertyPage::unsavedTables() const
{
    QStringList tables;
    for (OrvTableModel *model : m_models)
        if (model->hasPendingChanges())
            tables.append(model->getTableName());
    return tables;
}

bool OrvPropertyPage::saveAllChanges()
{
    for (int i = 0; i < m_models.size(); ++i) {
        if (!m_models.at(i)->hasPendingChanges())
            continue;
        m_tabs->setCurrentIndex(i);
        onSave();
        if (m_models.at(i)->hasPendingChanges())
            return false;
    }
    return true;
}

void OrvPropertyPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Rows are read when the page is first seen, and again when others wrote meanwhile.
    OrvTableModel *model = currentModel();
    if (model && m_proxy->sourceModel() != model)
        showModel(model);
    else if (model)
        refreshIfStale(model);
    updateState();
}

void OrvPropertyPage::refreshIfStale(OrvTableModel *model)
{
    // A page reads what it shows: the first rows now, the count off the GUI thread.
    if (!model->isLoaded()
        || (!model->hasPendingChanges() && model->loadedGeneration() != OrvTableDataMgr::getInstance()->dataGeneration()))
        model->open();
}

void OrvPropertyPage::onTablesChanged(const QStringList &tables)
{
    for (OrvTableModel *model : qAsConst(m_models)) {
        const bool affected = std::any_of(tables.begin(), tables.end(), [model](const QString &t) {
            return t == QLatin1String("*") || t.compare(model->getTableName(), Qt::CaseInsensitive) == 0;
        });
        if (!affected || !model->isLoaded()
            || model->loadedGeneration() == OrvTableDataMgr::getInstance()->dataGeneration())
            continue;
        if (model->hasPendingChanges())
            m_message = tr("表 %1 已被其他操作修改，保存前请核对或刷新").arg(model->getTableName());
        else if (isVisible() && model == currentModel())
            model->open();
        // Other tables are read again when they are shown.
    }
    updateState();
}

void OrvPropertyPage::onEditRefused(const QString &reason)
{
    orv_ui::information(this, tr("消息"), reason);
}

void OrvPropertyPage::onTableChanged(int index)
{
    if (isVisible() && index >= 0 && index < m_models.size())
        showModel(m_models.at(index));
}

void OrvPropertyPage::showModel(OrvTableModel *model)
{
    // The page's filter is the query's: set before the rows are read (on every column, as the
    // column box starts anew).
    model->setFilter(m_filter->text(), -1);
    refreshIfStale(model);
    m_proxy->setSourceModel(model);
    {
        // The header shows this table's order; setting it must not sort again.
        const QSignalBlocker quiet(m_view->horizontalHeader());
        m_view->horizontalHeader()->setSortIndicator(model->sortColumn(), model->sortOrder());
    }
    const QList<int> shown = model->getShowCol(false);
    m_filterColumn->blockSignals(true);
    m_filterColumn->clear();
    m_filterColumn->addItem(tr("全部列"), -1);
    for (int col = 0; col < model->columnCount(); ++col) {
        m_view->setColumnHidden(col, !shown.contains(col));
        if (shown.contains(col))
            m_filterColumn->addItem(model->getHeadCols().at(col).description, col);
    }
    m_filterColumn->blockSignals(false);
    m_view->resizeColumnsToContents();
    m_widths->apply(model->getTableName());
    m_message.clear();
    applyFilter();
}

void OrvPropertyPage::onFilterChanged()
{
    m_filterTimer->start();
}

void OrvPropertyPage::applyFilter()
{
    if (OrvTableModel *model = currentModel())
        model->setFilter(m_filter->text(), m_filterColumn->currentData().isValid() ? m_filterColumn->currentData().toInt() : -1);
    updateState();
}

void OrvPropertyPage::onCellActivated(const QModelIndex &index)
{
    OrvTableModel *model = currentModel();
    if (!model || !index.isValid())
        return;
    m_message = model->editRefusal(m_proxy->mapToSource(index).column());
    updateState();
    // A read-only user is told once in a box; afterwards the status line says it.
    static bool toldReadOnly = false;
    if (!toldReadOnly && OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY) {
        toldReadOnly = true;
        orv_ui::information(this, tr("只读"), m_message);
    }
}

void OrvPropertyPage::onSave()
{
    OrvTableModel *model = currentModel();
    if (!model)
        return;
    // Off the GUI thread: a slow or frozen server leaves the window painting, with a wait dialog.
    const QString error = model->saveChanges([this](const QList<SqlWrite> &writes) { return OrvWaitPrgDlg::runWrites(writes, this); });
    m_message = error.isEmpty() ? tr("已保存") : tr("保存失败，修改仍在，改正后可再次保存");
    updateState();
    if (error.isEmpty())
        return;
    showFailedCell(model);
    orv_ui::information(this, tr("保存失败"), error);
}

void OrvPropertyPage::showFailedCell(OrvTableModel *model)
{
    const QPair<int, int> cell = model->failedCell();
    if (cell.first < 0)
        return;
    const QModelIndex shown = m_proxy->mapFromSource(model->index(cell.first, cell.second));
    if (!shown.isValid())
        return;
    m_message += QLatin1Char(' ') + tr("（第 %1 行“%2”）").arg(shown.row() + 1).arg(model->getHeadCols().at(cell.second).description);
    m_view->setCurrentIndex(shown);
    m_view->scrollTo(shown);
    updateState();
}

void OrvPropertyPage::onRevert()
{
    if (OrvTableModel *model = currentModel())
        model->revertChanges();
    m_message.clear();
    updateState();
}

void OrvPropertyPage::onReload()
{
    OrvTableModel *model = currentModel();
    if (!model)
        return;
    if (model->hasPendingChanges()
        && orv_ui::information(this, tr("消息"), tr("表 %1 有未保存的修改，刷新将放弃这些修改。确定刷新吗？").arg(model->getTableName()),
                               QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    model->open();
    if (m_proxy->sourceModel() != model)
        showModel(model);
    m_message.clear();
    updateState();
}

void OrvPropertyPage::updateState()
{
    OrvTableModel *model = currentModel();
    const bool pending = model && model->hasPendingChanges();
    m_save->setEnabled(pending);
    m_revert->setEnabled(pending);
    QString text;
    if (model && m_proxy->sourceModel() == model) {
        // Until counted, the server's estimate where it keeps one; without a filter it stands for both.
        const auto count = [this](int rows, int estimate) {
            return rows >= 0 ? QString::number(rows) : estimate >= 0 ? tr("约 %1").arg(estimate) : tr("…");
        };
        const int estimate = model->estimatedRows();
        text = tr("%1: 共 %2 条记录，显示 %3 条")
                   .arg(model->getTableName(), count(model->totalRows(), estimate),
                        count(model->matchingRows(), model->filterText().isEmpty() ? estimate : -1));
        if (model->isReading())
            text += tr("；正在读取…");
        if (pending)
            text += tr("；有未保存的修改");
        if (!model->lastError().isEmpty())
            text += tr("；读取失败: %1").arg(model->lastError());
    }
    if (!m_message.isEmpty())
        text += QStringLiteral("  ") + m_message;
    m_status->setText(text);
}
