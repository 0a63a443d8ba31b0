#include "OrvFesPointDlg.h"

#include "FesPointDrag.h"
#include "MyFesPointListWidget.h"
#include "PointCascade.h"
#include "PointCatalogue.h"

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

void fillCombo(QComboBox *combo, const DbRows &choices)
{
    for (const QVariantList &entry : choices.rows)
        combo->addItem(entry.at(0).toString(), entry.at(1));
}

// Descriptions repeat from device to device: the tag stands beside each, by its last part (the
// rest is the RTU's, the same for the whole list); the tooltip has it whole.
void fillList(QListWidget *list, const DbRows &choices)
{
    for (const QVariantList &entry : choices.rows) {
        const QString description = entry.at(0).toString();
        const QString tag = entry.at(1).toString();
        auto *item = new QListWidgetItem(OrvFesPointDlg::tr("%1（%2）").arg(description, tag.section(QLatin1Char('.'), -1)), list);
        item->setData(Qt::UserRole, entry.at(1));
        item->setData(OrvFesPointDlg::DescriptionRole, description);
        item->setToolTip(entry.at(1).toString());
    }
}

QString description(const QListWidgetItem *item)
{
    return item->data(OrvFesPointDlg::DescriptionRole).toString();
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
    const PointCatalogue::PointType *type = PointCatalogue::find(nPointType);
    return type ? QString::fromLatin1(type->fesTable) : QString();
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
    auto *status = new QLabel(this);
    status->setObjectName(QStringLiteral("readStatus"));
    m_readStatus = OrvReadStatus(status);

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

    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(status);
}

void OrvFesPointDlg::fillBoxes()
{
    for (const PointCatalogue::PointType *t : PointCatalogue::fesTypes())
        m_pointType->addItem(PointCatalogue::name(*t), t->number);
    m_points->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_points->setDragEnabled(true);
    m_points->setDropIndicatorShown(true);

    const DbRows subsystems = PointCascade::subsystems();
    m_readStatus.report(tr("专业"), subsystems);
    fillCombo(m_subsystem, subsystems);
    const DbRows locations = PointCascade::locations();
    m_readStatus.report(tr("位置"), locations);
    fillCombo(m_location, locations);
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
        clearPoints();
        if (location.isEmpty() || subsystem.isEmpty())
            return;
        const DbRows rtus = PointCascade::searchRtus(location, subsystem);
        m_readStatus.report(tr("RTU"), rtus);
        fillCombo(m_rtu, rtus);
    }
    onRtuChanged();
}

void OrvFesPointDlg::onRtuChanged()
{
    const QString rtu = m_rtu->currentData(Qt::UserRole).toString();
    m_devices->clear();
    clearPoints();
    if (rtu.isEmpty())
        return;
    const DbRows devices = PointCascade::rtuDevices(rtu);
    m_readStatus.report(tr("设备"), devices);
    fillList(m_devices, devices);
    onTextChanged(m_devFilter->text());
}

void OrvFesPointDlg::onTextChanged(const QString &text)
{
    for (int i = 0; i < m_devices->count(); ++i) {
        QListWidgetItem *item = m_devices->item(i);
        const bool hide = !description(item).contains(text, Qt::CaseInsensitive);
        if (item->isHidden() != hide)
            item->setHidden(hide);
    }
}

void OrvFesPointDlg::clearPoints()
{
    m_points->clear();
    // The tag shown belongs to a point no longer listed.
    m_tagName->clear();
    m_tagName->setToolTip(QString());
}

void OrvFesPointDlg::onPointTypeChanged()
{
    clearPoints();
    const QListWidgetItem *device = m_devices->currentItem();
    if (!device)
        return;
    const QString table = pointTable(m_pointType->currentData(Qt::UserRole).toInt());
    if (table.isEmpty())
        return;
    const DbRows points = PointCascade::devicePoints(table, itemData(device));
    m_readStatus.report(tr("测点"), points);
    fillList(m_points, points);
}

void OrvFesPointDlg::onPointClieck(QListWidgetItem *item)
{
    if (!item)
        return;
    m_tagName->setText(itemData(item));
    // A long tag is read from its start; the tooltip holds it whole.
    m_tagName->setCursorPosition(0);
    m_tagName->setToolTip(itemData(item));
}

QStringList OrvFesPointDlg::getDragStrings() const
{
    const QString table = pointTable(m_pointType->currentData(Qt::UserRole).toInt());
    QStringList strings;
    for (const QListWidgetItem *item : m_points->selectedItems())
        strings.append(orv_fes_drag::join(table, itemData(item), description(item)));
    return strings;
}
