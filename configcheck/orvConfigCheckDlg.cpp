#include "orvConfigCheckDlg.h"

#include "BusyRun.h"
#include "CheckFindingsSheet.h"
#include "DefinitionText.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"
#include "RepairSummary.h"
#include "SheetExportDlg.h"
#include "SheetViewExport.h"
#include "checkListItem.h"
#include "orvConfigCheck.h"
#include "orvErrorListDlg.h"
#include "treeCheckWidget.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTableWidget>
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
    m_doneText = new QLabel(this);
    auto *donePage = new QWidget(this);
    auto *doneLayout = new QVBoxLayout(donePage);
    doneLayout->addStretch();
    doneLayout->addWidget(done, 0, Qt::AlignCenter);
    doneLayout->addWidget(m_doneText, 0, Qt::AlignCenter);
    doneLayout->addStretch();

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_checkList);
    m_pages->addWidget(m_runList);
    m_pages->addWidget(m_tree);
    m_pages->addWidget(donePage);

    // What the definition file does not let the engine check is said here, not skipped unseen.
    QStringList problems = m_engine->loadWarnings();
    if (!m_engine->loadError().isEmpty())
        problems.prepend(m_engine->loadError());
    m_configProblems = new QLabel(tr("检查配置文件有 %1 处问题，相关项目不会被检查（指针停留可查看）").arg(problems.size()), this);
    m_configProblems->setToolTip(problems.join(QLatin1Char('\n')));
    m_configProblems->setStyleSheet(QStringLiteral("color: #c0392b;"));
    m_configProblems->setVisible(!problems.isEmpty());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(m_configProblems);
    layout->addSpacing(10);
    layout->addLayout(progressRow);
    layout->addWidget(m_pages, 1);

    for (ST_CfgCheckType &type : m_engine->lstTypes)
        addRow(m_checkList, &type, checkListItem::CheckBoxMode);

    connect(SheetViewExport::addAction(this, m_tree), &QAction::triggered, this, &orvConfigCheckDlg::onExport);
    connect(m_mainButton, &QPushButton::clicked, this, &orvConfigCheckDlg::onCheckStatusChange);
    m_mainButton->installEventFilter(this);
    connect(m_engine, &orvConfigCheck::sigCheckItem, this, [this](int nIndex, int nCount) {
        m_runItem = nIndex;
        m_runItems = nCount;
        showRunProgress(0);
    });
    connect(m_engine, &orvConfigCheck::sigCheckProgress, this, &orvConfigCheckDlg::showRunProgress);
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
    if (state == StateRepairable && m_state != StateRepairable)
        m_repairableSince.start();
    m_state = state;
    m_mainButton->setText(buttonText);
    // A longer text ("Repair ticked items") widens the button instead of being cut.
    m_mainButton->setMinimumWidth(m_mainButton->sizeHint().width());
    m_pages->setCurrentIndex(page);
}

bool orvConfigCheckDlg::eventFilter(QObject *watched, QEvent *event)
{
    // The user's own clicks and keys on the fresh "修复勾选项" are dropped for a moment.
    const bool userInput = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
        || event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::KeyPress;
    if (watched == m_mainButton && userInput && m_state == StateRepairable && m_repairableSince.isValid()
        && m_repairableSince.elapsed() < RepairHoldOffMs)
        return true;
    return QDialog::eventFilter(watched, event);
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

    {
        BusyRun busy(m_mainButton);
        m_progress->setRange(0, m_runList->count() * GroupSteps);
        for (int i = 0; i < m_runList->count(); ++i) {
            checkListItem *row = rowWidget(m_runList, i);
            const QMetaObject::Connection c = connect(m_engine, &orvConfigCheck::sigCheckProgress, row, &checkListItem::onCheckProgress);
            m_runGroup = i;
            m_engine->checkType(row->checkType());
            disconnect(c);
            m_progress->setValue((i + 1) * GroupSteps);
        }
    }
    showResults();
    m_progress->setValue(0);
}

void orvConfigCheckDlg::showRunProgress(int nPercent)
{
    // Within its group's share of the bar, each item takes an equal part, and the rule that
    // reports progress moves through its part.
    if (m_runItems <= 0)
        return;
    const int inGroup = (m_runItem * GroupSteps + nPercent * GroupSteps / 100) / m_runItems;
    m_progress->setValue(m_runGroup * GroupSteps + inGroup);
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
        auto *groupNode =
            new QTreeWidgetItem(m_tree, QStringList{orv_public::definitionText("configcheck.xml", group->strName)});
        for (ST_CfgCheckItem &item : group->lstItems) {
            if (!item.strCheckFailure.isEmpty()) {
                addFailedItem(groupNode, item);
                continue;
            }
            if (item.lstErrors.isEmpty())
                continue;
            auto *node = new QTreeWidgetItem(groupNode, QStringList{orv_public::definitionText("configcheck.xml", item.strDes),
                                                                    QString::number(item.lstErrors.size())});
            node->setTextAlignment(1, Qt::AlignCenter);
            node->setData(2, Qt::UserRole, QVariant::fromValue(&item));

            connect(addButtonCell(node, tr("查看详情")), &QPushButton::clicked, this, &orvConfigCheckDlg::onItemButtonClick);

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
    m_doneText->clear();
    if (!anyError)
        enterState(StateFinished, tr("完成"), DonePage);
    else if (m_treeChecks.isEmpty())
        enterState(StateFinished, tr("完成"), ResultsPage);
    else
        enterState(StateRepairable, tr("修复勾选项"), ResultsPage);
}

QPushButton *orvConfigCheckDlg::addButtonCell(QTreeWidgetItem *node, const QString &text)
{
    auto *cell = new QWidget(m_tree);
    auto *cellLayout = new QHBoxLayout(cell);
    cellLayout->setContentsMargins(2, 2, 2, 2);
    auto *button = new QPushButton(text, cell);
    button->setFixedSize(60, 20);
    cellLayout->addWidget(button);
    m_tree->setItemWidget(node, 2, cell);
    return button;
}

void orvConfigCheckDlg::addFailedItem(QTreeWidgetItem *groupNode, const ST_CfgCheckItem &item)
{
    auto *node = new QTreeWidgetItem(groupNode, QStringList{orv_public::definitionText("configcheck.xml", item.strDes), tr("检查失败")});
    node->setTextAlignment(1, Qt::AlignCenter);
    node->setForeground(1, QBrush(Qt::darkRed));
    QString detail = tr("检查失败：") + item.strCheckFailure;
    if (!item.strFailedQuery.isEmpty())
        detail += QLatin1Char('\n') + tr("查询语句: %1").arg(item.strFailedQuery);
    for (int c = 0; c < m_tree->columnCount(); ++c)
        node->setToolTip(c, detail);
    // The reason is too long for its cell: the button shows all of it.
    connect(addButtonCell(node, tr("查看原因")), &QPushButton::clicked, this, [this, detail] { onMsg(detail); });
}

void orvConfigCheckDlg::repairTicked()
{
    QList<ST_CfgCheckItem *> ticked;
    for (treeCheckWidget *tick : qAsConst(m_treeChecks))
        if (tick->isChecked())
            ticked.append(tick->checkItem());
    for (ST_CfgCheckItem *item : qAsConst(ticked))
        for (ST_CfgCheckError &e : item->lstErrors)
            e.bSelected = true;
    if (!confirmRepair(ticked)) {
        for (ST_CfgCheckItem *item : qAsConst(ticked))
            for (ST_CfgCheckError &e : item->lstErrors)
                e.bSelected = false;
        return;
    }
    closeErrorLists([&ticked](ST_CfgCheckItem *item) { return ticked.contains(item); });
    bool repaired = false;
    {
        BusyRun busy(m_mainButton);
        repaired = m_engine->repairItems(ticked);
    }
    if (!repaired) {
        // Nothing was deleted: every finding stays listed.
        for (ST_CfgCheckItem *item : qAsConst(ticked))
            for (ST_CfgCheckError &e : item->lstErrors)
                e.bSelected = false;
        showResults();
        onMsg(repairFailure());
        return;
    }
    closeTouchedLists();
    m_doneText->setText(deletedText());
    enterState(StateFinished, tr("完成"), DonePage);
}

QString orvConfigCheckDlg::deletedText() const
{
    return tr("已删除 %1 条记录").arg(m_engine->repairedRecords());
}

QString orvConfigCheckDlg::repairFailure() const
{
    return tr("修复失败，未删除任何记录") + QLatin1Char('\n') + m_engine->repairError();
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
    placeErrorList(dlg);
    m_errorLists.append(dlg);
    dlg->show();
}

void orvConfigCheckDlg::placeErrorList(QWidget *dlg) const
{
    // Cascaded from the check dialog's corner, so that no list hides it or another list exactly.
    const int step = 40 * (1 + openErrorLists().size() % 8);
    QPoint at = frameGeometry().topLeft() + QPoint(step, step);
    if (const QScreen *screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        at.setX(qBound(free.left(), at.x(), qMax(free.left(), free.right() - dlg->width())));
        at.setY(qBound(free.top(), at.y(), qMax(free.top(), free.bottom() - dlg->height())));
    }
    dlg->move(at);
}

void orvConfigCheckDlg::OnRepairItem(ST_CfgCheckItem *pCheckData)
{
    auto *from = qobject_cast<orvErrorListDlg *>(sender());
    const bool confirmed = pCheckData && confirmRepair({pCheckData});
    if (confirmed)
        closeErrorLists([pCheckData](ST_CfgCheckItem *item) { return item == pCheckData; }, from);
    bool repaired = false;
    if (confirmed) {
        BusyRun busy(m_mainButton);
        repaired = m_engine->repairItem(pCheckData);
    }
    if (repaired)
        closeTouchedLists();
    if (!repaired && pCheckData)
        for (ST_CfgCheckError &e : pCheckData->lstErrors)
            e.bSelected = false;
    // On success the list already dropped the repaired rows; on failure, or when the item can
    // delete nothing (no key column), it shows them again.
    if (from && (!repaired || from->table()->rowCount() != pCheckData->lstErrors.size()))
        from->refresh();
    showResults();
    if (confirmed)
        onMsg(repaired ? tr("修复成功") + QLatin1Char('\n') + deletedText() : repairFailure());
}

bool orvConfigCheckDlg::confirmRepair(const QList<ST_CfgCheckItem *> &items)
{
    const QList<SqlWrite> deletions = orvConfigCheck::repairWrites(items);
    if (deletions.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Question, tr("确认删除"),
                    tr("将在一个事务中删除 %1 条记录：").arg(deletions.size()) + QLatin1Char('\n')
                        + RepairSummary::lines(deletions).join(QLatin1Char('\n')) + QLatin1Char('\n') + tr("删除后不能撤销。确定删除吗？"),
                    QMessageBox::Yes | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(tr("删除"));
    box.button(QMessageBox::Cancel)->setText(tr("取消"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    // Wide enough that a table's line and its tags stay on one line.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: 520px; }"));
    return box.exec() == QMessageBox::Yes;
}

void orvConfigCheckDlg::onExport()
{
    QList<const ST_CfgCheckType *> groups;
    for (int i = 0; i < m_runList->count(); ++i)
        groups.append(rowWidget(m_runList, i)->checkType());
    if (groups.isEmpty()) {
        onMsg(tr("还没有检查结果可以导出"));
        return;
    }
    const TextSheet findings = CheckFindingsSheet::ofGroups(groups);
    SheetExportDlg::run(this, tr("检查结果"), QStringLiteral("check"), &findings);
}

void orvConfigCheckDlg::closeTouchedLists()
{
    // Their rows stand for findings by position, and the findings changed under them.
    const QList<ST_CfgCheckItem *> touched = m_engine->repairTouched();
    if (!touched.isEmpty())
        closeErrorLists([&touched](ST_CfgCheckItem *item) { return touched.contains(item); });
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
