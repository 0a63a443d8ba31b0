#include "OrvFesPointPatch.h"
#include "ui_OrvFesPointPatch.h"

#include "OrvBatchEdit.h"
#include "OrvPatchResult.h"
#include "OrvPatchTable.h"
#include "PatchRecords.h"
#include "PointCascade.h"
#include "PointCatalogue.h"

#include <QSignalBlocker>

OrvFesPointPatch::OrvFesPointPatch(QWidget *parent)
    : OrvPatchDialog(parent, false)
    , ui(new Ui::OrvFesPointPatch)
{
    ui->setupUi(this);
    m_filters = OrvPatchFilters(this);
    m_readStatus = OrvReadStatus(ui->label_status);
    setWindowTitle(tr("批量修改前置测点"));
    for (QComboBox *combo : {ui->comboBox_location, ui->comboBox_subSystem, ui->comboBox_rtu, ui->comboBox_dev,
                             ui->comboBox_pointType})
        OrvPatchTable::prepareCombo(combo);
    m_result = new OrvPatchResult(ui->tableView);
    connect(m_result, &OrvPatchResult::statusChanged, this, &OrvFesPointPatch::showReadStatus);
    ui->label_rowCount->watch(ui->tableView);

    fillList(ui->comboBox_location, tr("位置"), PointCascade::locations(), true);
    fillList(ui->comboBox_subSystem, tr("专业"), PointCascade::subsystems(), false);
    onLocationAndSubsystemChange();
    for (const PointCatalogue::PointType *t : PointCatalogue::fesTypes())
        ui->comboBox_pointType->addItem(PointCatalogue::name(*t), t->number);

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

QAbstractItemModel *OrvFesPointPatch::resultModel() const
{
    return ui->tableView->model();
}

QString OrvFesPointPatch::definitionFile(int nPointType)
{
    const PointCatalogue::PointType *type = PointCatalogue::find(nPointType);
    return type ? QString::fromLatin1(type->fesDefinition) : QString();
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
    fillList(ui->comboBox_rtu, tr("RTU"), PointCascade::fesRtus(location, subsystem), true);
    onRtuChanged();
}

void OrvFesPointPatch::onRtuChanged()
{
    const QString rtu = OrvPatchTable::choice(ui->comboBox_rtu);
    {
        const QSignalBlocker blocker(ui->comboBox_dev);
        ui->comboBox_dev->clear();
    }
    if (rtu.isEmpty())
        return;
    fillList(ui->comboBox_dev, tr("设备"),
             PointCascade::fesDevices(rtu, OrvPatchTable::choice(ui->comboBox_location), OrvPatchTable::choice(ui->comboBox_subSystem)),
             true);
}

QStringList OrvFesPointPatch::deviceList() const
{
    if (OrvPatchTable::choice(ui->comboBox_location).isEmpty() || OrvPatchTable::choice(ui->comboBox_subSystem).isEmpty())
        return {};
    const QString device = OrvPatchTable::choice(ui->comboBox_dev);
    if (device == PointCascade::AllData)
        return OrvPatchTable::comboData(ui->comboBox_dev); // "所有" itself included
    return device.isEmpty() ? QStringList() : QStringList{device};
}

QString OrvFesPointPatch::deviceCondition() const
{
    // The location acts through the device list.
    const QString subsystem = OrvPatchTable::choice(ui->comboBox_location).isEmpty() ? QString() : OrvPatchTable::choice(ui->comboBox_subSystem);
    return PatchRecords::fesCondition(subsystem, deviceList());
}

void OrvFesPointPatch::onPushButtonSearchClicked()
{
    m_filters.clearTexts();
    // Without a device nothing can match: no query.
    m_result->show(definitionFile(ui->comboBox_pointType->currentData().toInt()),
                   deviceList().isEmpty() ? QString() : deviceCondition());
    ui->label_rowCount->watch(ui->tableView);
    showReadStatus();
    // Column entries of an earlier search never describe the new rows.
    m_filters.setColumns(m_result->rows() ? m_result->shownHeaders() : QStringList());
}

void OrvFesPointPatch::showReadStatus()
{
    m_readStatus.report(tr("测点"), m_result->readStatus());
}

void OrvFesPointPatch::onSearchTextChanged(const QString &)
{
    if (m_filters.hasColumns())
        m_result->filter(m_filters.filters(m_result->shownColumns()));
}

QTableView *OrvFesPointPatch::patchView() const
{
    return ui->tableView;
}

OrvTableModel *OrvFesPointPatch::patchTableModel() const
{
    return m_result->rows();
}

QString OrvFesPointPatch::patchKeyColumn() const
{
    return QStringLiteral("TAG_NAME");
}
