#include "OrvBackPointPatch.h"
#include "ui_OrvBackPointPatch.h"

#include "OrvBatchEdit.h"
#include "OrvPatchTable.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "SqlText.h"

#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>

namespace {

struct PointType
{
    const char *text;
    int type;
    const char *files[OrvBackPointPatch::TabCount]; // null: the tab stays empty
};

// In the order of the point-type list.
const PointType kPointTypes[] = {
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "模拟量"), 1,
     {"ANALOG.xml", "ANALOG_MAP_TO_FES.xml", "ANALOG_LIMIT_INFO.xml", "ANALOG_CONTROL.xml"}},
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "数字量"), 2, {"DIGITAL.xml", "DIGITAL_MAP_TO_FES.xml", nullptr, "DIGITAL_CONTROL.xml"}},
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "累积量"), 0, {"ACCUML.xml", "ACCUML_MAP_TO_FES.xml", nullptr, nullptr}},
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "混合量"), 3, {"MIX.xml", "MIX_MAP_TO_FES.xml", nullptr, "MIX_CONTROL.xml"}},
};

struct TabInfo
{
    const char *text;
    const char *keyColumn;
    const char *where; // %1 location, %2 subsystem, %3 the quoted devices
    bool rtuCondition;
};

const TabInfo kTabs[OrvBackPointPatch::TabCount] = {
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "基础属性"), "TAG_NAME",
     "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND DEVICE IN (%3)", true},
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "前置属性"), "KEY_ID_TAG",
     "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND getBeforeLastDot(getAfterFirstDot(KEY_ID_TAG)) IN (%3)", true},
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "限值属性"), "TAG_NAME",
     "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND getBeforeLastDot(TAG_NAME) IN (%3)", false},
    {QT_TRANSLATE_NOOP("OrvBackPointPatch", "控制属性"), "TAG_NAME",
     "LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' AND getBeforeLastDot(TAG_NAME) IN (%3)", true},
};

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
    setWindowTitle(tr("批量修改后台测点"));
    for (QComboBox *combo : {ui->comboBox_location, ui->comboBox_subSystem, ui->comboBox_devGroup, ui->comboBox_dev,
                             ui->comboBox_pointType, ui->comboBox_rtu})
        OrvPatchTable::prepareCombo(combo);

    OrvPatchTable::fillCombo(ui->comboBox_location, QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;"),
                             QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID"), false);
    OrvPatchTable::fillCombo(ui->comboBox_subSystem,
                             QStringLiteral("SELECT * FROM SYS_MODEL_SUB_SYSTEM_INFO WHERE SUB_SYSTEM_ID not in (1,2,3);"),
                             QStringLiteral("DESCRIPTION"), QStringLiteral("SUB_SYSTEM_ID"), false);
    onLocationAndSubsystemChange();
    for (const PointType &t : kPointTypes)
        ui->comboBox_pointType->addItem(tr(t.text), t.type);
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
        m_tabs->addTab(m_views[t], tr(kTabs[t].text));
    }
    ui->verticalLayout_table->addWidget(m_tabs);
}

QString OrvBackPointPatch::modelFile(int nPointType, int nTab)
{
    if (nTab < 0 || nTab >= TabCount)
        return QString();
    for (const PointType &t : kPointTypes)
        if (t.type == nPointType)
            return QString::fromLatin1(t.files[nTab]);
    return QString();
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
    const QString where = QStringLiteral("LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';").arg(orv_sql::escaped(location), orv_sql::escaped(subsystem));
    OrvPatchTable::fillCombo(ui->comboBox_devGroup, QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_group WHERE ") + where,
                             QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), true);
    onDevGroupChanged();
    OrvPatchTable::fillCombo(ui->comboBox_rtu, QStringLiteral("SELECT TAG_NAME,RTU_NAME FROM FES_RTU_PARA WHERE ") + where,
                             QStringLiteral("RTU_NAME"), QStringLiteral("TAG_NAME"), true);
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
    const QString sql = group == OrvPatchTable::AllData
        ? QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_info WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
              .arg(orv_sql::escaped(OrvPatchTable::choice(ui->comboBox_location)), orv_sql::escaped(OrvPatchTable::choice(ui->comboBox_subSystem)))
        : QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM dev_info WHERE GROUP_TAG_NAME = '%1';").arg(orv_sql::escaped(group));
    OrvPatchTable::fillCombo(ui->comboBox_dev, sql, QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), true);
}

QString OrvBackPointPatch::tabCondition(int nTab) const
{
    if (nTab < 0 || nTab >= TabCount)
        return QString();
    QString location = OrvPatchTable::choice(ui->comboBox_location);
    QString subsystem = OrvPatchTable::choice(ui->comboBox_subSystem);
    QString devices;
    QString rtu;
    const QString device = OrvPatchTable::choice(ui->comboBox_dev);
    if (location.isEmpty() || subsystem.isEmpty()) {
        location.clear();
        subsystem.clear();
    } else if (!device.isEmpty()) {
        devices = device == OrvPatchTable::AllData ? orv_sql::quotedList(OrvPatchTable::comboData(ui->comboBox_dev))
                                                   : orv_sql::quoted(device);
        rtu = OrvPatchTable::choice(ui->comboBox_rtu);
    }
    QString where = QString::fromLatin1(kTabs[nTab].where).arg(orv_sql::escaped(location), orv_sql::escaped(subsystem), devices);
    // "所有" carries -1; a tag name, or no RTU at all, reads as 0 and narrows to that tag.
    if (kTabs[nTab].rtuCondition && rtu.toInt(nullptr, 10) != -1)
        where += QStringLiteral(" AND RTU_TAG = '%1'").arg(orv_sql::escaped(rtu));
    return where;
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
    // Without a device nothing can match: no query, as for a failed one.
    if (OrvPatchTable::choice(ui->comboBox_dev).isEmpty()
        || !OrvPatchTable::loadRows(model, table->getHeadCols(), OrvPatchTable::selectText(table, tabCondition(nTab))))
        return;
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
    return modelFile(m_searchedType, tab).isEmpty() ? QString() : QString::fromLatin1(kTabs[tab].keyColumn);
}
