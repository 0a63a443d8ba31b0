#include "OrvFesPointPatch.h"
#include "ui_OrvFesPointPatch.h"

#include "OrvBatchEdit.h"
#include "OrvPatchTable.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "SqlText.h"

#include <QSignalBlocker>
#include <QStandardItemModel>

namespace {

struct PointType
{
    const char *text;
    int type;
    const char *file;
};

// In the order of the point type box.
const PointType kPointTypes[] = {
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "模拟量"), 1, "FES_ANALOG.xml"},
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "数字量"), 2, "FES_DIGITAL.xml"},
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "累积量"), 0, "FES_ACCUML.xml"},
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "混合量"), 3, "FES_MIX.xml"},
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "模拟量控制"), 4, "FES_ANALOG_CTRL.xml"},
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "数字量控制"), 5, "FES_DIGITAL_CTRL.xml"},
    {QT_TRANSLATE_NOOP("OrvFesPointPatch", "混合量控制"), 6, "FES_MIX_CTRL.xml"},
};

} // namespace

OrvFesPointPatch::OrvFesPointPatch(QWidget *parent)
    : OrvPatchDialog(parent, false)
    , ui(new Ui::OrvFesPointPatch)
{
    ui->setupUi(this);
    m_filters = OrvPatchFilters(this);
    setWindowTitle(tr("批量修改前置测点"));
    for (QComboBox *combo : {ui->comboBox_location, ui->comboBox_subSystem, ui->comboBox_rtu, ui->comboBox_dev,
                             ui->comboBox_pointType})
        OrvPatchTable::prepareCombo(combo);
    m_model = new QStandardItemModel(this);
    OrvPatchTable::prepareView(ui->tableView, m_model);

    OrvPatchTable::fillCombo(ui->comboBox_location, QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;"),
                             QStringLiteral("DESCRIPTION"), QStringLiteral("LOCATION_ID"), true);
    OrvPatchTable::fillCombo(ui->comboBox_subSystem,
                             QStringLiteral("SELECT * FROM SYS_MODEL_SUB_SYSTEM_INFO WHERE SUB_SYSTEM_ID not in (1,2,3);"),
                             QStringLiteral("DESCRIPTION"), QStringLiteral("SUB_SYSTEM_ID"), false);
    onLocationAndSubsystemChange();
    for (const PointType &t : kPointTypes)
        ui->comboBox_pointType->addItem(tr(t.text), t.type);

    const auto indexChanged = QOverload<int>::of(&QComboBox::currentIndexChanged);
    connect(ui->comboBox_location, indexChanged, this, &OrvFesPointPatch::onLocationAndSubsystemChange);
    connect(ui->comboBox_subSystem, indexChanged, this, &OrvFesPointPatch::onLocationAndSubsystemChange);
    connect(ui->comboBox_rtu, indexChanged, this, &OrvFesPointPatch::onRtuChanged);
    connect(ui->pushButton_search, &QPushButton::clicked, this, &OrvFesPointPatch::onPushButtonSearchClicked);
    for (QLineEdit *edit : m_filters.texts())
        connect(edit, &QLineEdit::textChanged, this, &OrvFesPointPatch::onSearchTextChanged);

    batchEdit()->attachView(ui->tableView);
}

OrvFesPointPatch::~OrvFesPointPatch() = default;

QTableView *OrvFesPointPatch::tableView() const
{
    return ui->tableView;
}

QString OrvFesPointPatch::definitionFile(int nPointType)
{
    for (const PointType &t : kPointTypes)
        if (t.type == nPointType)
            return QString::fromLatin1(t.file);
    return QString();
}

void OrvFesPointPatch::onLocationAndSubsystemChange()
{
    const QString location = OrvPatchTable::choice(ui->comboBox_location);
    const QString subsystem = OrvPatchTable::choice(ui->comboBox_subSystem);
    for (QComboBox *combo : {ui->comboBox_rtu, ui->comboBox_dev}) {
        const QSignalBlocker blocker(combo);
        combo->clear();
    }
    if (location.isEmpty() || subsystem.isEmpty())
        return;
    const QString sql = location == OrvPatchTable::AllData
        ? QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM fes_rtu_para WHERE SUB_SYSTEM = '%1';").arg(orv_sql::escaped(subsystem))
        : QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM fes_rtu_para WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
              .arg(orv_sql::escaped(location), orv_sql::escaped(subsystem));
    OrvPatchTable::fillCombo(ui->comboBox_rtu, sql, QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), true);
    onRtuChanged();
}

void OrvFesPointPatch::onRtuChanged()
{
    const QString rtu = OrvPatchTable::choice(ui->comboBox_rtu);
    const QString location = OrvPatchTable::choice(ui->comboBox_location);
    const QString subsystem = orv_sql::escaped(OrvPatchTable::choice(ui->comboBox_subSystem));
    {
        const QSignalBlocker blocker(ui->comboBox_dev);
        ui->comboBox_dev->clear();
    }
    if (rtu.isEmpty())
        return;
    QString sql;
    if (rtu != OrvPatchTable::AllData)
        sql = QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE RTU_TAG = '%1';").arg(orv_sql::escaped(rtu));
    else if (location == OrvPatchTable::AllData)
        sql = QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE SUB_SYSTEM = '%1';").arg(subsystem);
    else
        sql = QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2';")
                  .arg(orv_sql::escaped(location), subsystem);
    OrvPatchTable::fillCombo(ui->comboBox_dev, sql, QStringLiteral("DEV_DESC"), QStringLiteral("TAG_NAME"), true);
}

QStringList OrvFesPointPatch::deviceList() const
{
    if (OrvPatchTable::choice(ui->comboBox_location).isEmpty() || OrvPatchTable::choice(ui->comboBox_subSystem).isEmpty())
        return {};
    const QString device = OrvPatchTable::choice(ui->comboBox_dev);
    if (device == OrvPatchTable::AllData)
        return OrvPatchTable::comboData(ui->comboBox_dev); // "所有" itself included
    return device.isEmpty() ? QStringList() : QStringList{device};
}

QString OrvFesPointPatch::deviceCondition() const
{
    const QStringList devices = deviceList();
    // The location acts through the device list.
    const QString subsystem = OrvPatchTable::choice(ui->comboBox_location).isEmpty() ? QString() : OrvPatchTable::choice(ui->comboBox_subSystem);
    return QStringLiteral("SUB_SYSTEM = '%1' AND DEV_TAG IN (%2)").arg(orv_sql::escaped(subsystem), orv_sql::quotedList(devices));
}

void OrvFesPointPatch::onPushButtonSearchClicked()
{
    OrvPatchTable::clear(ui->tableView, m_model);
    m_filters.clearTexts();
    // Column entries of an earlier search never describe the new rows.
    m_filters.setColumns({});
    m_visibleColumns.clear();
    m_searchedType = ui->comboBox_pointType->currentData().toInt();
    if (OrvTableModel *table = patchTableModel())
        loadResult(table);
}

void OrvFesPointPatch::loadResult(OrvTableModel *table)
{
    m_model->setHorizontalHeaderLabels(table->getDescList());
    const QList<int> shown = OrvPatchTable::showColumns(ui->tableView, table->getShowCol(false));
    // Without a device nothing can match: no query, as for a failed one.
    if (deviceList().isEmpty()
        || !OrvPatchTable::loadRows(m_model, table->getHeadCols(), OrvPatchTable::selectText(table, deviceCondition())))
        return;
    OrvPatchTable::fitColumns(ui->tableView);
    m_visibleColumns = shown;
    m_filters.setColumns(OrvPatchTable::headers(m_model, shown));
}

void OrvFesPointPatch::onSearchTextChanged(const QString &)
{
    if (!patchTableModel() || !m_filters.hasColumns())
        return;
    OrvPatchTable::filterRows(ui->tableView, m_filters.filters(m_visibleColumns));
}

QTableView *OrvFesPointPatch::patchView() const
{
    return ui->tableView;
}

QStandardItemModel *OrvFesPointPatch::patchModel() const
{
    return m_model;
}

OrvTableModel *OrvFesPointPatch::patchTableModel() const
{
    const QString file = definitionFile(m_searchedType);
    return file.isEmpty() ? nullptr : OrvTableDataMgr::getInstance()->createModel(file);
}

QString OrvFesPointPatch::patchKeyColumn() const
{
    return QStringLiteral("TAG_NAME");
}
