#include "OrvBackPointPatch.h"
#include "ui_OrvBackPointPatch.h"

#include "OrvBatchEdit.h"
#include "OrvPatchResult.h"
#include "OrvPatchTable.h"
#include "PatchRecords.h"
#include "PointCascade.h"
#include "PointCatalogue.h"

#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>

namespace {

const char *const kTabTexts[OrvBackPointPatch::TabCount] = {
    QT_TRANSLATE_NOOP("OrvBackPointPatch", "基础属性"), QT_TRANSLATE_NOOP("OrvBackPointPatch", "前置属性"),
    QT_TRANSLATE_NOOP("OrvBackPointPatch", "限值属性"), QT_TRANSLATE_NOOP("OrvBackPointPatch", "控制属性")};

// The control tab before the front-end and limit tabs.
const int kLoadOrder[] = {OrvBackPointPatch::TabBase, OrvBackPointPatch::TabControl, OrvBackPointPatch::TabFes,
                          OrvBackPointPatch::TabLimit};

} // namespace

OrvBackPointPatch::OrvBackPointPatch(QWidget *parent)
    : OrvPatchDialog(parent, true)
    , ui(new Ui::OrvBackPointPatch)
{
    ui->setupUi(this);
    m_filters = OrvPatchFilters(this);
    m_readStatus = OrvReadStatus(ui->label_status);
    setWindowTitle(tr("批量修改后台测点"));
    for (QComboBox *combo : {ui->comboBox_location, ui->comboBox_subSystem, ui->comboBox_devGroup, ui->comboBox_dev,
                             ui->comboBox_pointType, ui->comboBox_rtu})
        OrvPatchTable::prepareCombo(combo);

    fillList(ui->comboBox_location, tr("位置"), PointCascade::locations(), false);
    fillList(ui->comboBox_subSystem, tr("专业"), PointCascade::subsystems(), false);
    onLocationAndSubsystemChange();
    for (const PointCatalogue::PointType *t : PointCatalogue::backTypes())
        ui->comboBox_pointType->addItem(PointCatalogue::name(*t), t->number);
    buildTabs();

    // Only now: filling the lists above must not run the slots half-built.
    connect(m_tabs, &QTabWidget::currentChanged, this, &OrvBackPointPatch::onTabChanged);
    connect(ui->pushButton_search, &QPushButton::clicked, this, &OrvBackPointPatch::onPushButtonSearchClicked);
    const auto indexChanged = QOverload<int>::of(&QComboBox::currentIndexChanged);
    connect(ui->comboBox_location, indexChanged, this, &OrvBackPointPatch::onLocationAndSubsystemChange);
    connect(ui->comboBox_subSystem, indexChanged, this, &OrvBackPointPatch::onLocationAndSubsystemChange);
    connect(ui->comboBox_devGroup, indexChanged, this, &OrvBackPointPatch::onDevGroupChanged);
    for (QLineEdit *edit : m_filters.texts())
        connect(edit, &QLineEdit::textChanged, this, &OrvBackPointPatch::onSearchTextChanged);

    for (QTableView *view : m_views)
        batchEdit()->attachView(view);
}

OrvBackPointPatch::~OrvBackPointPatch() = default;

void OrvBackPointPatch::buildTabs()
{
    m_tabs = new QTabWidget(this);
    for (int t = 0; t < TabCount; ++t) {
        m_views[t] = new QTableView(m_tabs);
        m_results[t] = new OrvPatchResult(m_views[t]);
        connect(m_results[t], &OrvPatchResult::statusChanged, this, &OrvBackPointPatch::showReadStatus);
        m_tabs->addTab(m_views[t], tr(kTabTexts[t]));
    }
    ui->verticalLayout_table->addWidget(m_tabs);
    ui->label_rowCount->watch(m_views[0]);
}

QString OrvBackPointPatch::modelFile(int nPointType, int nTab)
{
    const PointCatalogue::PointType *type = PointCatalogue::find(nPointType);
    if (!type || !type->backTable || nTab < 0 || nTab >= TabCount)
        return QString();
    return QString::fromLatin1(type->backDefinitions[nTab]);
}

QAbstractItemModel *OrvBackPointPatch::itemModel(int nTab) const
{
    return m_views[nTab]->model();
}

void OrvBackPointPatch::onLocationAndSubsystemChange()
{
    const QString location = OrvPatchTable::choice(ui->comboBox_location);
    const QString subsystem = OrvPatchTable::choice(ui->comboBox_subSystem);
    for (QComboBox *combo : {ui->comboBox_devGroup, ui->comboBox_dev, ui->comboBox_rtu}) {
        const QSignalBlocker blocker(combo);
        combo->clear();
    }
    if (location.isEmpty() || subsystem.isEmpty())
        return;
    fillList(ui->comboBox_devGroup, tr("设备组"), PointCascade::deviceGroups(location, subsystem), true);
    onDevGroupChanged();
    fillList(ui->comboBox_rtu, tr("RTU"), PointCascade::backRtus(location, subsystem), true);
}

void OrvBackPointPatch::onDevGroupChanged()
{
    const QString group = OrvPatchTable::choice(ui->comboBox_devGroup);
    {
        const QSignalBlocker blocker(ui->comboBox_dev);
        ui->comboBox_dev->clear();
    }
    if (group.isEmpty())
        return;
    fillList(ui->comboBox_dev, tr("设备"),
             PointCascade::groupDevices(group, OrvPatchTable::choice(ui->comboBox_location), OrvPatchTable::choice(ui->comboBox_subSystem)),
             true);
}

QString OrvBackPointPatch::tabCondition(int nTab) const
{
    QString location = OrvPatchTable::choice(ui->comboBox_location);
    QString subsystem = OrvPatchTable::choice(ui->comboBox_subSystem);
    QStringList devices;
    QString rtu;
    const QString device = OrvPatchTable::choice(ui->comboBox_dev);
    if (location.isEmpty() || subsystem.isEmpty()) {
        location.clear();
        subsystem.clear();
    } else if (!device.isEmpty()) {
        devices = device == PointCascade::AllData ? OrvPatchTable::comboData(ui->comboBox_dev) : QStringList{device};
        rtu = OrvPatchTable::choice(ui->comboBox_rtu);
    }
    return PatchRecords::backCondition(nTab, location, subsystem, devices, rtu);
}

void OrvBackPointPatch::onPushButtonSearchClicked()
{
    const int pointType = ui->comboBox_pointType->count() > 0 ? ui->comboBox_pointType->currentData().toInt() : -1;
    // Without a device nothing can match: no query.
    const bool query = !OrvPatchTable::choice(ui->comboBox_dev).isEmpty();
    for (int t : kLoadOrder)
        m_results[t]->show(modelFile(pointType, t), query ? tabCondition(t) : QString());
    ui->label_rowCount->watch(patchView());
    showReadStatus();
    resetFilters();
}

void OrvBackPointPatch::showReadStatus()
{
    for (int t = 0; t < TabCount; ++t)
        m_readStatus.report(tr(kTabTexts[t]), m_results[t]->readStatus());
}

void OrvBackPointPatch::resetFilters()
{
    m_filters.clearTexts();
    const int tab = m_tabs->currentIndex();
    m_filters.setColumns(tab >= 0 && m_results[tab]->rows() ? m_results[tab]->shownHeaders() : QStringList());
    // Rows an earlier filter left out on this tab come back even when the texts were empty already.
    onSearchTextChanged(QString());
}

void OrvBackPointPatch::onSearchTextChanged(const QString &)
{
    const int tab = m_tabs->currentIndex();
    if (tab >= 0)
        m_results[tab]->filter(m_filters.filters(m_results[tab]->shownColumns()));
}

void OrvBackPointPatch::onTabChanged(int)
{
    ui->label_rowCount->watch(patchView());
    resetFilters();
}

QTableView *OrvBackPointPatch::patchView() const
{
    const int tab = m_tabs->currentIndex();
    return tab >= 0 ? m_views[tab] : nullptr;
}

OrvTableModel *OrvBackPointPatch::patchTableModel() const
{
    const int tab = m_tabs->currentIndex();
    return tab >= 0 ? m_results[tab]->rows() : nullptr;
}

QString OrvBackPointPatch::patchKeyColumn() const
{
    const int tab = m_tabs->currentIndex();
    return patchTableModel() ? PatchRecords::backKeyColumn(tab) : QString();
}
