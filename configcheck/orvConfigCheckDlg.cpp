#include "orvConfigCheckDlg.h"

#include "OrvMessage.h"
#include "OrvTableDataMgr.h"
#include "checkListItem.h"
#include "orvConfigCheck.h"
#include "orvErrorListDlg.h"
#include "treeCheckWidget.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

orvConfigCheckDlg::orvConfigCheckDlg(QWidget *parent)
    : QDialog(parent)
    , m_engine(new orvConfigCheck(nullptr))
{
    setWindowTitle(tr("配置检查"));
    resize(650, 410);

    auto *icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/icons/cfgcheck.png")));
    icon->setScaledContents(true);
    icon->setFixedSize(40, 40);
    auto *title = new QLabel(tr("配置检查"), this);
    QFont titleFont = title->font();
    titleFont.setPointSize(25);
    titleFont.setBold(true);
    title->setFont(titleFont);
    m_mainButton = new QPushButton(tr("开始检查"), this);
    auto *header = new QHBoxLayout;
    header->addSpacing(10);
    header->addWidget(icon);
    header->addWidget(title);
    header->addStretch();
    header->addWidget(m_mainButton);
    header->addSpacing(10);

    m_progress = new QProgressBar(this);
    m_progress->setMaximumHeight(3);
    m_progress->setTextVisible(false);
    m_progress->setValue(0);
    auto *progressRow = new QHBoxLayout;
    progressRow->addSpacing(8);
    progressRow->addWidget(m_progress);
    progressRow->addSpacing(8);

    m_checkList = new QListWidget(this);
    m_runList = new QListWidget(this);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderLabels({tr("检查项目"), tr("异常数量"), tr("异常详情"), tr("是否修复")});
    m_tree->header()->setDefaultAlignment(Qt::AlignCenter);
    m_tree->setSelectionMode(QAbstractItemView::NoSelection);
    m_tree->setColumnWidth(0, 200);
    auto *done = new QLabel(this);
    done->setPixmap(QPixmap(QStringLiteral(":/icons/icons/finish.png")));
    done->setScaledContents(true);
    done->setFixedSize(100, 100);
    auto *donePage = new QWidget(this);
    auto *doneLayout = new QHBoxLayout(donePage);
    doneLayout->addWidget(done, 0, Qt::AlignCenter);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_checkList);
    m_pages->addWidget(m_runList);
    m_pages->addWidget(m_tree);
    m_pages->addWidget(donePage);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addSpacing(10);
    layout->addLayout(progressRow);
    layout->addWidget(m_pages, 1);

    for (ST_CfgCheckType &type : m_engine->lstTypes)
        addRow(m_checkList, &type, checkListItem::CheckBoxMode);

    connect(m_mainButton, &QPushButton::clicked, this, &orvConfigCheckDlg::onCheckStatusChange);
    for (QListWidget *list : {m_checkList, m_runList})
        connect(list, &QListWidget::itemClicked, list, [list] { list->setCurrentItem(nullptr); });
    enterState(StateReady, tr("开始检查"), CheckListPage);
}

orvConfigCheckDlg::~orvConfigCheckDlg()
{
    // Error lists point into the engine's items: they go first.
    for (const QPointer<orvErrorListDlg> &dlg : qAsConst(m_errorLists))
        delete dlg.data();
    delete m_engine;
}

void orvConfigCheckDlg::addRow(QListWidget *list, ST_CfgCheckType *type, int mode)
{
    auto *row = new QListWidgetItem(list);
    row->setSizeHint(QSize(20, 40));
    auto *widget = new checkListItem(list);
    widget->setCheckType(type);
    widget->setDisplayMode(checkListItem::DisplayMode(mode));
    list->setItemWidget(row, widget);
}

checkListItem *orvConfigCheckDlg::rowWidget(QListWidget *list, int row) const
{
    return qobject_cast<checkListItem *>(list->itemWidget(list->item(row)));
}

QList<orvErrorListDlg *> orvConfigCheckDlg::openErrorLists() const
{
    QList<orvErrorListDlg *> open;
    for (const QPointer<orvErrorListDlg> &dlg : m_errorLists)
        if (dlg)
            open.append(dlg.data());
    return open;
}

void orvConfigCheckDlg::enterState(State state, const QString &buttonText, Page page)
{
    m_state = state;
    m_mainButton->setText(buttonText);
    m_pages->setCurrentIndex(page);
}

void orvConfigCheckDlg::onCheckStatusChange()
{
    switch (m_state) {
    case StateReady:
        m_runList->clear();
        for (int i = 0; i < m_checkList->count(); ++i) {
            checkListItem *row = rowWidget(m_checkList, i);
            if (row && row->isChecked())
                addRow(m_runList, row->checkType(), checkListItem::StatusMode);
        }
        if (m_runList->count() == 0) {
            onMsg(tr("未选择检查项目"));
            return;
        }
        runChecks();
        break;
    case StateRepairable:
        repairTicked();
        break;
    default:
        enterState(StateReady, tr("开始检查"), CheckListPage);
        break;
    }
}

void orvConfigCheckDlg::runChecks()
{
    QList<ST_CfgCheckType *> groups;
    for (int i = 0; i < m_runList->count(); ++i)
        groups.append(rowWidget(m_runList, i)->checkType());
    closeErrorLists([&groups](ST_CfgCheckItem *item) {
        for (ST_CfgCheckType *g : groups)
            for (ST_CfgCheckItem &i : g->lstItems)
                if (&i == item)
                    return true;
        return false;
    });

    m_progress->setRange(0, m_runList->count());
    for (int i = 0; i < m_runList->count(); ++i) {
        checkListItem *row = rowWidget(m_runList, i);
        const QMetaObject::Connection c = connect(m_engine, &orvConfigCheck::sigCheckProgress, row, &checkListItem::onCheckProgress);
        m_engine->checkType(row->checkType());
        disconnect(c);
        m_progress->setValue(i + 1);
    }
    showResults();
    m_progress->setValue(0);
}

void orvConfigCheckDlg::showResults()
{
    m_tree->clear();
    m_treeChecks.clear();
    const bool readOnly = OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY;
    bool anyError = false;
    for (int i = 0; i < m_runList->count(); ++i) {
        ST_CfgCheckType *group = rowWidget(m_runList, i)->checkType();
        if (!group->bHasError)
            continue;
        anyError = true;
        auto *groupNode = new QTreeWidgetItem(m_tree, QStringList{group->strName});
        for (ST_CfgCheckItem &item : group->lstItems) {
            if (item.lstErrors.isEmpty())
                continue;
            auto *node = new QTreeWidgetItem(groupNode, QStringList{item.strDes, QString::number(item.lstErrors.size())});
            node->setTextAlignment(1, Qt::AlignCenter);
            node->setData(2, Qt::UserRole, QVariant::fromValue(&item));

            auto *cell = new QWidget(m_tree);
            auto *cellLayout = new QHBoxLayout(cell);
            cellLayout->setContentsMargins(2, 2, 2, 2);
            auto *details = new QPushButton(tr("查看详情"), cell);
            details->setFixedSize(60, 20);
            cellLayout->addWidget(details);
            connect(details, &QPushButton::clicked, this, &orvConfigCheckDlg::onItemButtonClick);
            m_tree->setItemWidget(node, 2, cell);

            if (item.bCanRepair) {
                auto *tick = new treeCheckWidget(m_tree);
                tick->setCheckItem(&item);
                m_tree->setItemWidget(node, 3, tick);
                if (readOnly)
                    tick->setReadOnly(tr("当前用户没有修改权限"));
                else
                    m_treeChecks.append(tick);
            } else {
                node->setText(3, tr("    需手动修复"));
            }
        }
    }
    m_tree->expandAll();
    if (!anyError)
        enterState(StateFinished, tr("完成"), DonePage);
    else if (m_treeChecks.isEmpty())
        enterState(StateFinished, tr("完成"), ResultsPage);
    else
        enterState(StateRepairable, tr("修复勾选项"), ResultsPage);
}

void orvConfigCheckDlg::repairTicked()
{
    QList<ST_CfgCheckItem *> ticked;
    for (treeCheckWidget *tick : qAsConst(m_treeChecks))
        if (tick->isChecked())
            ticked.append(tick->checkItem());
    closeErrorLists([&ticked](ST_CfgCheckItem *item) { return ticked.contains(item); });
    bool failed = false;
    for (ST_CfgCheckItem *item : qAsConst(ticked)) {
        for (ST_CfgCheckError &e : item->lstErrors)
            e.bSelected = true;
        if (!m_engine->repairItem(item)) {
            failed = true;
            for (ST_CfgCheckError &e : item->lstErrors)
                e.bSelected = false;
        }
    }
    if (failed) {
        // What could not be deleted stays listed.
        showResults();
        onMsg(tr("修复失败，未能删除的记录仍在列表中") + QLatin1Char('\n') + m_engine->repairError());
        return;
    }
    enterState(StateFinished, tr("完成"), DonePage);
}

void orvConfigCheckDlg::onMsg(QString msg)
{
    orv_ui::information(this, tr("消息"), msg);
}

void orvConfigCheckDlg::onItemButtonClick()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button || !button->parentWidget())
        return;
    const QPoint at = button->parentWidget()->frameGeometry().topLeft();
    QTreeWidgetItem *node = m_tree->itemAt(at);
    if (!node)
        return;
    auto *item = node->data(2, Qt::UserRole).value<ST_CfgCheckItem *>();
    auto *dlg = new orvErrorListDlg(item, this);
    connect(dlg, &orvErrorListDlg::sigRepair, this, &orvConfigCheckDlg::OnRepairItem);
    m_errorLists.append(dlg);
    dlg->show();
}

void orvConfigCheckDlg::OnRepairItem(ST_CfgCheckItem *pCheckData)
{
    auto *from = qobject_cast<orvErrorListDlg *>(sender());
    closeErrorLists([pCheckData](ST_CfgCheckItem *item) { return item == pCheckData; }, from);
    const bool ok = m_engine->repairItem(pCheckData);
    if (!ok && pCheckData)
        for (ST_CfgCheckError &e : pCheckData->lstErrors)
            e.bSelected = false;
    // On success the list already dropped the repaired rows; on failure it shows them again.
    if (from && !ok)
        from->refresh();
    showResults();
    onMsg(ok ? tr("修复成功") : tr("修复失败，未删除任何记录") + QLatin1Char('\n') + m_engine->repairError());
}

void orvConfigCheckDlg::closeErrorLists(const std::function<bool(ST_CfgCheckItem *)> &affected, orvErrorListDlg *keep)
{
    for (QPointer<orvErrorListDlg> &dlg : m_errorLists) {
        if (dlg && dlg != keep && affected(dlg->checkItem())) {
            dlg->close();
            dlg->deleteLater();
        }
    }
    m_errorLists.removeAll(nullptr);
}
