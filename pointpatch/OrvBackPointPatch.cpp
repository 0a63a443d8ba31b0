#include "OrvBackPointPatch.h"
#include "ui_OrvBackPointPatch.h"

#include "OrvBatchEdit.h"
#include "OrvPatchTable.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "PatchRecords.h"
#include "PointCascade.h"
#include "PointCatalogue.h"

#include <QSignalBlocker>
#include <QStandardItemModel>
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
        m_models[t] = new QStandardItemModel(this);
        OrvPatchTable::prepareView(m_views[t], m_models[t]);
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

OrvTableModel *OrvBackPointPatch::tableModel(int nPointType, int nTab) const
{
    const QString file = modelFile(nPointType, nTab);
    return file.isEmpty() ? nullptr : OrvTableDataMgr::getInstance()->createModel(file);
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
    for (int t = 0; t < TabCount; ++t) {
        OrvPatchTable::clear(m_views[t], m_models[t]);
        m_columns[t].clear();
    }
    m_searchedType = ui->comboBox_pointType->count() > 0 ? ui->comboBox_pointType->currentData().toInt() : -1;
    for (int t : kLoadOrder)
        loadTab(t, m_searchedType);
    resetFilters();
}

void OrvBackPointPatch::loadTab(int nTab, int nPointType)
{
    QStandardItemModel *model = m_models[nTab];
    OrvPatchTable::clear(m_views[nTab], model);
    OrvTableModel *table = tableModel(nPointType, nTab);
    if (!table)
        return;
    model->setHorizontalHeaderLabels(table->getDescList());
    const QList<int> shown = OrvPatchTable::showColumns(m_views[nTab], table->getShowCol(false));
    // Without a device nothing can match: no query.
    if (OrvPatchTable::choice(ui->comboBox_dev).isEmpty())
        return;
    const DbRows records = PatchRecords::read(table, tabCondition(nTab));
    if (!m_readStatus.report(tr(kTabTexts[nTab]), records))
        return;
    OrvPatchTable::loadRows(model, table->getHeadCols(), records);
    OrvPatchTable::fitColumns(m_views[nTab]);
    m_columns[nTab] = shown;
}

void OrvBackPointPatch::resetFilters()
{
    m_filters.clearTexts();
    const int tab = m_tabs->currentIndex();
    m_filters.setColumns(tab >= 0 ? OrvPatchTable::headers(m_models[tab], m_columns[tab]) : QStringList());
    // Rows an earlier filter hid on this tab come back even when the texts were empty already.
    onSearchTextChanged(QString());
}

void OrvBackPointPatch::onSearchTextChanged(const QString &)
{
    const int tab = m_tabs->currentIndex();
    if (!tableModel(m_searchedType, tab))
        return;
    OrvPatchTable::filterRows(m_views[tab], m_filters.filters(m_columns[tab]));
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

QStandardItemModel *OrvBackPointPatch::patchModel() const
{
    const int tab = m_tabs->currentIndex();
    return tab >= 0 ? m_models[tab] : nullptr;
}

OrvTableModel *OrvBackPointPatch::patchTableModel() const
{
    return tableModel(m_searchedType, m_tabs->currentIndex());
}

QString OrvBackPointPatch::patchKeyColumn() const
{
    const int tab = m_tabs->currentIndex();
    return modelFile(m_searchedType, tab).isEmpty() ? QString() : PatchRecords::backKeyColumn(tab);
}
