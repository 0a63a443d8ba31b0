#include "orvErrorListDlg.h"

#include "CheckFindingsSheet.h"
#include "DefinitionText.h"
#include "OrvTableDataMgr.h"
#include "SheetExportDlg.h"
#include "SheetViewExport.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int ClearColumn = 3;
constexpr int ReasonWidth = 200;
// A column of long texts takes at most this much; its tooltip and a drag show the rest.
constexpr int MaxFittedWidth = 460;
}

orvErrorListDlg::orvErrorListDlg(ST_CfgCheckItem *pCheckData, QWidget *parent)
    : QDialog(parent)
    , m_item(pCheckData)
{
    setWindowTitle(pCheckData ? tr("异常详情 - %1").arg(orv_public::definitionText("configcheck.xml", pCheckData->strDes)) : tr("异常详情"));
    resize(700, 430);
    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({tr("标签名"), tr("描述"), tr("错误原因"), tr("清理")});
    const int widths[] = {180, 180, 200, 60};
    for (int c = 0; c < 4; ++c)
        m_table->setColumnWidth(c, widths[c]);
    // The widths only start the columns: long tags and reasons need more, so each column can be
    // widened, and each cell shows its whole text as a tooltip.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Tags of one item share their start; their ends tell them apart. One line a cell.
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->setWordWrap(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const QList<QPair<QString, void (orvErrorListDlg::*)()>> actions = {
        {tr("全选"), &orvErrorListDlg::onSelAll},
        {tr("反选"), &orvErrorListDlg::onSelOver},
        {tr("清理勾选项"), &orvErrorListDlg::onClear},
    };
    for (const auto &action : actions) {
        auto *button = new QPushButton(action.first, this);
        connect(button, &QPushButton::clicked, this, action.second);
        buttons->addWidget(button);
        m_buttons.append(button);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    connect(SheetViewExport::addAction(this, m_table), &QAction::triggered, this, &orvErrorListDlg::onExport);

    const bool repairable = m_item && m_item->bCanRepair;
    const bool readOnly = OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY;
    m_table->setColumnHidden(ClearColumn, !repairable);
    for (QPushButton *b : qAsConst(m_buttons)) {
        b->setVisible(repairable);
        b->setEnabled(!readOnly);
        if (readOnly)
            b->setToolTip(tr("当前用户没有修改权限"));
    }
    refresh();
}

void orvErrorListDlg::refresh()
{
    m_table->setRowCount(0);
    if (!m_item)
        return;
    m_table->setRowCount(m_item->lstErrors.size());
    for (int row = 0; row < m_item->lstErrors.size(); ++row) {
        const ST_CfgCheckError &e = m_item->lstErrors.at(row);
        const QString texts[] = {e.strTagName, e.strDesc, e.strReason};
        for (int c = 0; c < 3; ++c) {
            auto *cell = new QTableWidgetItem(texts[c]);
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setToolTip(texts[c]);
            m_table->setItem(row, c, cell);
        }
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        tick->setCheckState(m_item->bCanRepair ? Qt::Checked : Qt::Unchecked);
        m_table->setItem(row, ClearColumn, tick);
    }
    fitColumns();
}

void orvErrorListDlg::fitColumns()
{
    // Tags, descriptions and reasons are read whole where the screen has room: the dialog grows for them.
    const QMargins margins = layout()->contentsMargins();
    int needed = m_table->verticalHeader()->sizeHint().width() + 2 * m_table->frameWidth() + margins.left() + margins.right()
        + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c : {0, 1, 2}) {
        m_table->resizeColumnToContents(c);
        m_table->setColumnWidth(c, qBound(c == 2 ? ReasonWidth : 0, m_table->columnWidth(c), MaxFittedWidth));
        needed += m_table->columnWidth(c);
    }
    if (!m_table->isColumnHidden(ClearColumn))
        needed += m_table->columnWidth(ClearColumn);
    const QScreen *screen = this->screen();
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 : needed;
    if (needed > width())
        resize(qMin(needed, room), height());
}

void orvErrorListDlg::onSelAll()
{
    for (int row = 0; row < m_table->rowCount(); ++row)
        m_table->item(row, ClearColumn)->setCheckState(Qt::Checked);
}

void orvErrorListDlg::onSelOver()
{
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem *tick = m_table->item(row, ClearColumn);
        tick->setCheckState(tick->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void orvErrorListDlg::onClear()
{
    if (!m_item)
        return;
    for (int row = m_table->rowCount() - 1; row >= 0; --row) {
        const bool selected = m_table->item(row, ClearColumn)->checkState() != Qt::Unchecked;
        if (row < m_item->lstErrors.size())
            m_item->lstErrors[row].bSelected = selected;
        if (selected)
            m_table->removeRow(row);
    }
    emit sigRepair(m_item);
}

void orvErrorListDlg::onExport()
{
    if (!m_item)
        return;
    const TextSheet findings = CheckFindingsSheet::ofItem(*m_item);
    SheetExportDlg::run(this, windowTitle(), QStringLiteral("errors"), &findings);
}
