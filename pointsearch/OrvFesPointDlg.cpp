#include "OrvFesPointDlg.h"

#include "FesPointDrag.h"
#include "MyFesPointListWidget.h"
#include "OrvDbDesign.h"
#include "SqlText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

struct PointType
{
    const char *text;
    int type;
    const char *table;
};

// In the order of the point type box.
const PointType kPointTypes[] = {
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "模拟量"), 1, "fes_analog"},
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "数字量"), 2, "fes_digital"},
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "累积量"), 0, "fes_accuml"},
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "混合量"), 3, "fes_mix"},
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "模拟量控制"), 4, "fes_analog_ctrl"},
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "数字量控制"), 5, "fes_digital_ctrl"},
    {QT_TRANSLATE_NOOP("OrvFesPointDlg", "混合量控制"), 6, "fes_mix_ctrl"},
};

QComboBox *makeCombo(QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setView(new QListView(combo));
    return combo;
}

QString itemData(const QListWidgetItem *item)
{
    return item->data(Qt::UserRole).toString();
}

} // namespace

OrvFesPointDlg::OrvFesPointDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("前置测点检索器"));
    resize(660, 450);
    buildLayout();
    fillBoxes();
    // Only now: filling the boxes must not run the chain half-built.
    connectSlots();
    onLocationAndSubsystemChange();
}

QString OrvFesPointDlg::pointTable(int nPointType)
{
    for (const PointType &t : kPointTypes)
        if (t.type == nPointType)
            return QString::fromLatin1(t.table);
    return QString();
}

void OrvFesPointDlg::buildLayout()
{
    m_location = makeCombo(this);
    m_location->setObjectName(QStringLiteral("locationBox"));
    m_subsystem = makeCombo(this);
    m_subsystem->setObjectName(QStringLiteral("subsystemBox"));
    m_rtu = makeCombo(this);
    m_rtu->setObjectName(QStringLiteral("rtuBox"));
    m_devFilter = new QLineEdit(this);
    m_devFilter->setObjectName(QStringLiteral("deviceFilter"));
    m_devFilter->setPlaceholderText(tr("筛选设备"));
    m_devFilter->setClearButtonEnabled(true);
    m_devices = new QListWidget(this);
    m_devices->setObjectName(QStringLiteral("deviceList"));
    m_pointType = makeCombo(this);
    m_pointType->setObjectName(QStringLiteral("pointTypeBox"));
    m_points = new MyFesPointListWidget(this, this);
    m_points->setObjectName(QStringLiteral("pointList"));
    m_tagName = new QLineEdit(this);
    m_tagName->setObjectName(QStringLiteral("tagNameField"));
    m_tagName->setReadOnly(true);

    auto *left = new QGridLayout;
    left->addWidget(new QLabel(tr("位置"), this), 0, 0);
    left->addWidget(m_location, 0, 1);
    left->addWidget(new QLabel(tr("专业"), this), 1, 0);
    left->addWidget(m_subsystem, 1, 1);
    left->addWidget(new QLabel(tr("RTU"), this), 2, 0);
    left->addWidget(m_rtu, 2, 1);
    left->addWidget(m_devFilter, 3, 0, 1, 2);
    left->addWidget(m_devices, 4, 0, 1, 2);
    left->setColumnStretch(1, 1);

    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(tr("点类型"), this));
    typeRow->addWidget(m_pointType);
    typeRow->addStretch();
    auto *tagRow = new QHBoxLayout;
    tagRow->addWidget(new QLabel(tr("标签名"), this));
    tagRow->addWidget(m_tagName);
    auto *right = new QVBoxLayout;
    right->addLayout(typeRow);
    right->addWidget(m_points);
    right->addLayout(tagRow);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right);
}

void OrvFesPointDlg::fillBoxes()
{
    for (const PointType &t : kPointTypes)
        m_pointType->addItem(tr(t.text), t.type);
    m_points->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_points->setDragEnabled(true);
    m_points->setDropIndicatorShown(true);

    OrvDbDesign db;
    db.getSqlInfoToCombobox(QStringLiteral("SELECT * FROM SYS_MODEL_SUB_SYSTEM_INFO WHERE SUB_SYSTEM_ID not in (1,2,3);"),
                            QStringLiteral("DESCRIPTION"), QStringLiteral("SUB_SYSTEM_ID"), m_subsystem);
    db.getSqlInfoToCombobox(QStringLiteral("SELECT * FROM SYS_MODEL_LOCATION_INFO;"), QStringLiteral("DESCRIPTION"),
                            QStringLiteral("LOCATION_ID"), m_location);
}

void OrvFesPointDlg::connectSlots()
{
    const auto indexChanged = QOverload<int>::of(&QComboBox::currentIndexChanged);
    connect(m_location, indexChanged, this, &OrvFesPointDlg::onLocationAndSubsystemChange);
    connect(m_subsystem, indexChanged, this, &OrvFesPointDlg::onLocationAndSubsystemChange);
    connect(m_devFilter, &QLineEdit::textChanged, this, &OrvFesPointDlg::onTextChanged);
    connect(m_pointType, indexChanged, this, &OrvFesPointDlg::onPointTypeChanged);
    connect(m_devices, &QListWidget::currentRowChanged, this, &OrvFesPointDlg::onPointTypeChanged);
    connect(m_rtu, indexChanged, this, &OrvFesPointDlg::onRtuChanged);
    connect(m_points, &QListWidget::itemClicked, this, &OrvFesPointDlg::onPointClieck);
}

void OrvFesPointDlg::onLocationAndSubsystemChange()
{
    const QString location = m_location->currentData(Qt::UserRole).toString();
    const QString subsystem = m_subsystem->currentData(Qt::UserRole).toString();
    {
        // The RTU list is rebuilt whole and read once below, not once per entry.
        const QSignalBlocker blocker(m_rtu);
        m_rtu->clear();
        m_devices->clear();
        m_points->clear();
        if (location.isEmpty() || subsystem.isEmpty())
            return;
        OrvDbDesign().getSqlInfoToCombobox(
            QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM fes_rtu_para WHERE LOCATION_ID = '%1' AND SUB_SYSTEM = '%2' ORDER BY RTU_NO;")
                .arg(orv_sql::escaped(location), orv_sql::escaped(subsystem)),
            QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), m_rtu);
    }
    onRtuChanged();
}

void OrvFesPointDlg::onRtuChanged()
{
    const QString rtu = m_rtu->currentData(Qt::UserRole).toString();
    m_devices->clear();
    m_points->clear();
    if (rtu.isEmpty())
        return;
    OrvDbDesign::reloadListWidget(
        m_devices,
        OrvDbDesign().getSqlItems(QStringLiteral("SELECT TAG_NAME,DEV_DESC FROM fes_dev_info WHERE RTU_TAG = '%1';")
                                      .arg(orv_sql::escaped(rtu)),
                                  QStringLiteral("DEV_DESC"), QStringLiteral("TAG_NAME"), false));
    onTextChanged(m_devFilter->text());
}

void OrvFesPointDlg::onTextChanged(const QString &text)
{
    for (int i = 0; i < m_devices->count(); ++i) {
        QListWidgetItem *item = m_devices->item(i);
        const bool hide = !item->text().contains(text, Qt::CaseInsensitive);
        if (item->isHidden() != hide)
            item->setHidden(hide);
    }
}

void OrvFesPointDlg::onPointTypeChanged()
{
    m_points->clear();
    const QListWidgetItem *device = m_devices->currentItem();
    if (!device)
        return;
    const QString table = pointTable(m_pointType->currentData(Qt::UserRole).toInt());
    if (table.isEmpty())
        return;
    OrvDbDesign::reloadListWidget(
        m_points,
        OrvDbDesign().getSqlItems(QStringLiteral("SELECT TAG_NAME,DESCRIPTION FROM %1 WHERE DEV_TAG = '%2' ORDER BY DOT_NO;")
                                      .arg(table, orv_sql::escaped(itemData(device))),
                                  QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME"), false));
}

void OrvFesPointDlg::onPointClieck(QListWidgetItem *item)
{
    if (item)
        m_tagName->setText(itemData(item));
}

QStringList OrvFesPointDlg::getDragStrings() const
{
    const QString table = pointTable(m_pointType->currentData(Qt::UserRole).toInt());
    QStringList strings;
    for (const QListWidgetItem *item : m_points->selectedItems())
        strings.append(orv_fes_drag::join(table, itemData(item), item->text()));
    return strings;
}
