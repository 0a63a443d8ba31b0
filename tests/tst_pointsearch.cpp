// The front-end point search dialog, its drag payload and the map-to-FES page that takes the drop.
#include "TestSupport.h"

#include "FesPointDrag.h"
#include "MyFesPointListWidget.h"
#include "OrvDbDesign.h"
#include "OrvFesPointDlg.h"
#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDataStream>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QTableView>
#include <QLabel>
#include <QTest>


namespace {

const QString kRtu1 = QStringLiteral("STA01.PSCADA.CH01.RTU01");
const QString kRtu2 = QStringLiteral("STA01.PSCADA.CH01.RTU02");

// The dialog's widgets, found by their object names.
struct DlgWidgets
{
    explicit DlgWidgets(OrvFesPointDlg *dlg)
        : location(dlg->findChild<QComboBox *>(QStringLiteral("locationBox")))
        , subsystem(dlg->findChild<QComboBox *>(QStringLiteral("subsystemBox")))
        , rtu(dlg->findChild<QComboBox *>(QStringLiteral("rtuBox")))
        , type(dlg->findChild<QComboBox *>(QStringLiteral("pointTypeBox")))
        , filter(dlg->findChild<QLineEdit *>(QStringLiteral("deviceFilter")))
        , tag(dlg->findChild<QLineEdit *>(QStringLiteral("tagNameField")))
        , devices(dlg->findChild<QListWidget *>(QStringLiteral("deviceList")))
        , points(dlg->findChild<MyFesPointListWidget *>(QStringLiteral("pointList")))
    {
    }
    QComboBox *location, *subsystem, *rtu, *type;
    QLineEdit *filter, *tag;
    QListWidget *devices;
    MyFesPointListWidget *points;

    void chooseType(const QString &text) { type->setCurrentIndex(type->findText(text)); }
    void choosePscada() { subsystem->setCurrentIndex(subsystem->findData(QStringLiteral("4"))); }
};

QStringList comboData(const QComboBox *combo)
{
    QStringList values;
    for (int i = 0; i < combo->count(); ++i)
        values << combo->itemData(i, Qt::UserRole).toString();
    return values;
}

QStringList itemTexts(const QListWidget *list, bool visibleOnly = false, int role = Qt::DisplayRole)
{
    QStringList values;
    for (int i = 0; i < list->count(); ++i)
        if (!visibleOnly || !list->item(i)->isHidden())
            values << list->item(i)->data(role).toString();
    return values;
}

QStringList sorted(QStringList values)
{
    values.sort();
    return values;
}

QStringList readVersion17(const QByteArray &payload)
{
    QDataStream in(payload);
    in.setVersion(17);
    QStringList strings;
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        QString s;
        in >> s;
        strings << s;
    }
    return in.status() == QDataStream::Ok ? strings : QStringList{QStringLiteral("<corrupt>")};
}

QMimeData *dragOf(MyFesPointListWidget *list)
{
    QModelIndexList indexes;
    for (QListWidgetItem *item : list->selectedItems())
        indexes << list->model()->index(list->row(item), 0);
    return list->model()->mimeData(indexes);
}

QMimeData *payloadOf(const QStringList &points)
{
    auto *mime = new QMimeData;
    mime->setData(orv_fes_drag::mimeType(), orv_fes_drag::encode(points));
    return mime;
}

QString cellOf(const QString &table, const QString &column, const QString &key)
{
    QStringList values;
    OrvDbDesign().getOneColumnResult(QStringLiteral("SELECT %1 FROM %2 WHERE KEY_ID_TAG = ?").arg(column, table), {key}, values);
    return values.value(0, QStringLiteral("<none>"));
}

// Answers the next message box with the given button, or closes it when it has no such button.
void answerWith(QMessageBox::StandardButton button, QString *text = nullptr, const std::function<void()> &then = {})
{
    answerModal<QMessageBox>([=](QMessageBox *box) {
        if (text)
            *text = box->text();
        if (then)
            then();
        if (QAbstractButton *b = box->button(button))
            b->click();
        else
            box->reject();
    });
}

// A drag arriving over a view's viewport and dropped there; whether each step was accepted.
struct DropResult
{
    bool entered = false;
    bool moved = false;
    bool dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

DropResult dropOnto(QWidget *viewport, const QPoint &pos, const QMimeData *mime)
{
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    DropResult r;
    QDragEnterEvent enter(pos, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    r.entered = enter.isAccepted();
    QDragMoveEvent move(pos, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    r.moved = move.isAccepted();
    QDropEvent drop(pos, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    r.dropped = drop.isAccepted();
    r.action = drop.dropAction();
    return r;
}

} // namespace

class PointSearchTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;

    bool freshDemo(Backend backend)
    {
        const QString error = openDemo(backend, QStringLiteral("pointsearch_test"), *m_root);
        if (!error.isEmpty())
            qWarning() << error;
        return error.isEmpty();
    }

    bool run(const QStringList &sqls) { return runOnLink(sqls).isEmpty(); }

    // The page over the four map-to-FES tables, shown, with its view's position of a row.
    struct MapPage
    {
        OrvPropertyPage page{{"ANALOG_MAP_TO_FES.xml", "DIGITAL_MAP_TO_FES.xml", "ACCUML_MAP_TO_FES.xml", "MIX_MAP_TO_FES.xml"},
                             nullptr};
        MapPage()
        {
            page.resize(1000, 600);
            page.show();
            if (!QTest::qWaitForWindowExposed(&page))
                qWarning("the page was not shown");
        }
        QWidget *viewport() const { return page.view()->viewport(); }
        QPoint rowPos(const QString &key) const
        {
            QAbstractItemModel *proxy = page.view()->model();
            const int keyCol = page.currentModel()->findCol(QStringLiteral("KEY_ID_TAG"));
            for (int r = 0; r < proxy->rowCount(); ++r) {
                const QModelIndex index = proxy->index(r, keyCol);
                if (index.data().toString() == key) {
                    page.view()->scrollTo(index);
                    return page.view()->visualRect(index).center();
                }
            }
            return QPoint(-1, -1);
        }
        QString modelCell(const QString &key, const QString &column) const
        {
            OrvTableModel *model = page.currentModel();
            for (int r = 0; r < model->rowCount(); ++r)
                if (model->getRowData(r).at(model->findCol(QStringLiteral("KEY_ID_TAG"))) == key)
                    return model->getRowData(r).at(model->findCol(column));
            return QStringLiteral("<none>");
        }
    };

private slots:
    void init()
    {
        m_root = std::make_unique<TestRoot>();
        QVERIFY2(TestServers::availableWhereRequired(), "the test servers are not running");
    }

    void cleanup()
    {
        QVERIFY(!QApplication::activeModalWidget());
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    void dialogAtStart_data() { addBackendRows(); }
    void dialogAtStart()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        // An updated row moves to the end of PostgreSQL's table: the lists keep their order anyway.
        QVERIFY(run({QStringLiteral("UPDATE SYS_MODEL_LOCATION_INFO SET DESCRIPTION = DESCRIPTION WHERE LOCATION_ID = 1"),
                     QStringLiteral("UPDATE SYS_MODEL_SUB_SYSTEM_INFO SET DESCRIPTION = DESCRIPTION WHERE SUB_SYSTEM_ID = 4")}));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("前置测点检索器"));
        QCOMPARE(dlg.size(), QSize(660, 450));
        QCOMPARE(comboData(w.location), (QStringList{"1", "2", "3"}));
        QCOMPARE(w.location->currentText(), QStringLiteral("火车站"));
        // The platform's own subsystems 1 to 3 are never offered.
        QCOMPARE(comboData(w.subsystem), (QStringList{"4", "5", "6"}));
        QStringList types;
        for (int i = 0; i < w.type->count(); ++i)
            types << w.type->itemText(i) + QLatin1Char('=') + w.type->itemData(i).toString();
        QCOMPARE(types, (QStringList{"模拟量=1", "数字量=2", "累积量=0", "混合量=3", "模拟量控制=4", "数字量控制=5", "混合量控制=6"}));
        QCOMPARE(w.type->currentIndex(), 0);
        for (QComboBox *combo : {w.location, w.subsystem, w.rtu, w.type})
            QCOMPARE(combo->view()->metaObject(), &QListView::staticMetaObject);
        QVERIFY(w.tag->isReadOnly());
        QCOMPARE(w.points->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(w.points->dragEnabled() && w.points->showDropIndicator());

        // The chain ran once: the first location and subsystem's two RTUs, the first RTU's two devices.
        QCOMPARE(w.rtu->count(), 2);
        const QString rtu = w.rtu->currentData().toString();
        QVERIFY2(rtu.startsWith(QStringLiteral("STA01.")) && rtu.endsWith(QStringLiteral(".RTU01")), qPrintable(rtu));
        for (const QString &tag : itemTexts(w.devices, false, Qt::UserRole))
            QVERIFY2(tag.startsWith(rtu + QLatin1Char('.')), qPrintable(tag));
        QCOMPARE(w.devices->count(), 2);
        QVERIFY(!w.devices->currentItem());
        QCOMPARE(w.points->count(), 0);
    }

    void chainColumnsAreIndexed()
    {
        QStringList checked{"FES_RTU_PARA.xml:LOCATION_ID", "FES_DEV_INFO.xml:RTU_TAG"};
        for (const char *table : {"ANALOG", "DIGITAL", "ACCUML", "MIX", "ANALOG_CTRL", "DIGITAL_CTRL", "MIX_CTRL"})
            checked << QStringLiteral("FES_%1.xml:DEV_TAG").arg(QLatin1String(table));
        for (const QString &entry : checked) {
            const TableDefinition def = OrvTableDataMgr::getInstance()->definition(entry.section(':', 0, 0));
            const int col = def.columns.findCol(entry.section(':', 1));
            QVERIFY2(col >= 0 && def.columns.at(col).indexed, qPrintable(entry));
        }
    }

    void emptyModelTables_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("no locations") << QStringLiteral("DELETE FROM SYS_MODEL_LOCATION_INFO");
        QTest::newRow("only subsystems 1 to 3") << QStringLiteral("DELETE FROM SYS_MODEL_SUB_SYSTEM_INFO WHERE SUB_SYSTEM_ID > 3");
    }
    void emptyModelTables()
    {
        QFETCH(QString, sql);
        QVERIFY(freshDemo(Backend::SQLite));
        QVERIFY(run({sql}));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        QVERIFY(w.location->count() == 0 || w.subsystem->count() == 0);
        QCOMPARE(w.rtu->count(), 0);
        QCOMPARE(w.devices->count(), 0);
        QCOMPARE(w.points->count(), 0);
        w.chooseType(QStringLiteral("数字量"));
        QCOMPARE(w.points->count(), 0);
    }

    void failedReadIsSaid()
    {
        // A missing RTU table is no station without RTUs: the dialog says why its list is empty.
        QVERIFY(freshDemo(Backend::SQLite));
        QVERIFY(run({QStringLiteral("ALTER TABLE fes_rtu_para RENAME TO fes_rtu_gone")}));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        w.choosePscada();
        const QLabel *status = dlg.findChild<QLabel *>(QStringLiteral("readStatus"));
        QVERIFY2(status->text().contains(QStringLiteral("读取RTU失败")) && status->text().contains(QStringLiteral("fes_rtu_para")),
                 qPrintable(status->text()));
        QCOMPARE(w.rtu->count(), 0);
    }

    void chainFollowsChoices_data() { addBackendRows(); }
    void chainFollowsChoices()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        // Two more accumulators whose DOT_NO order is neither tag nor insertion order.
        const QString dev = kRtu1 + QStringLiteral(".QF01");
        QVERIFY(run({QStringLiteral("INSERT INTO fes_accuml (TAG_NAME,DESCRIPTION,RTU_TAG,DEV_TAG,DOT_NO) VALUES "
                                    "('%1_Wa','a','%2','%3',100), ('%1_Wz','z','%2','%3',-5)")
                         .arg(kRtu1 + QStringLiteral(".QF01"), kRtu1, dev)}));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        w.choosePscada();
        QCOMPARE(w.rtu->currentData().toString(), kRtu1);
        w.devices->setCurrentRow(itemTexts(w.devices, false, Qt::UserRole).indexOf(dev));
        QCOMPARE(itemTexts(w.points, false, Qt::UserRole),
                 (QStringList{dev + "_Ia", dev + "_Ib", dev + "_Ic", dev + "_P"}));
        QCOMPARE(w.points->item(0)->text(), QStringLiteral("火车站断路器01(组1)A相电流（QF01_Ia）"));
        QCOMPARE(w.points->item(0)->toolTip(), dev + QStringLiteral("_Ia"));
        QCOMPARE(w.devices->currentItem()->text(), w.devices->currentItem()->data(OrvFesPointDlg::DescriptionRole).toString()
                                                       + QStringLiteral("（QF01）"));

        w.chooseType(QStringLiteral("累积量"));
        QCOMPARE(itemTexts(w.points, false, Qt::UserRole), (QStringList{dev + "_Wz", dev + "_Wh", dev + "_Wa"}));
        w.chooseType(QStringLiteral("混合量控制"));
        QCOMPARE(itemTexts(w.points, false, Qt::UserRole), QStringList{dev + "_StateCtl"});

        // Another RTU: its devices, no current one, no points.
        w.rtu->setCurrentIndex(1);
        QVERIFY(!itemTexts(w.devices, false, Qt::UserRole).isEmpty());
        for (const QString &tag : itemTexts(w.devices, false, Qt::UserRole))
            QVERIFY2(tag.startsWith(kRtu2 + QLatin1Char('.')), qPrintable(tag));
        QCOMPARE(w.points->count(), 0);
        w.chooseType(QStringLiteral("模拟量"));
        QCOMPARE(w.points->count(), 0);

        // Another location: its RTUs, devices of its first RTU, no points.
        w.devices->setCurrentRow(0);
        QVERIFY(w.points->count() > 0);
        w.location->setCurrentIndex(1);
        QVERIFY(!comboData(w.rtu).isEmpty());
        for (const QString &tag : comboData(w.rtu))
            QVERIFY2(tag.startsWith(QStringLiteral("STA02.PSCADA.")), qPrintable(tag));
        for (const QString &tag : itemTexts(w.devices, false, Qt::UserRole))
            QVERIFY2(tag.startsWith(w.rtu->currentData().toString() + QLatin1Char('.')), qPrintable(tag));
        QVERIFY(!w.devices->currentItem());
        QCOMPARE(w.points->count(), 0);
    }

    void quotesInDataStayValues()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QString rtu = QStringLiteral("STA01.PSCADA.CH01.RTU'9");
        QVERIFY(run({QStringLiteral("UPDATE fes_rtu_para SET RTU_NO = 0, TAG_NAME = '%1' WHERE TAG_NAME = '%2'").arg(QString(rtu).replace("'", "''"), kRtu1),
                     QStringLiteral("UPDATE fes_dev_info SET RTU_TAG = '%1', TAG_NAME = 'D''1' WHERE TAG_NAME = '%2.QF01'").arg(QString(rtu).replace("'", "''"), kRtu1),
                     QStringLiteral("UPDATE fes_analog SET DEV_TAG = 'D''1' WHERE DEV_TAG = '%1.QF01'").arg(kRtu1)}));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        w.choosePscada();
        QCOMPARE(w.rtu->currentData().toString(), rtu);
        QCOMPARE(itemTexts(w.devices, false, Qt::UserRole), QStringList{"D'1"});
        w.devices->setCurrentRow(0);
        QCOMPARE(w.points->count(), 4);
    }

    void deviceFilter()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        QStringList rows;
        const QStringList descs{"Cabinet", "TAB 3", "aB-7", "a b", "xyz"};
        for (int i = 0; i < descs.size(); ++i)
            rows << QStringLiteral("('%1.X%2','%3','%1')").arg(kRtu1).arg(i).arg(descs.at(i));
        rows << QStringLiteral("('%1.Y','ABC','%1')").arg(kRtu2) << QStringLiteral("('%1.Z','b-a','%1')").arg(kRtu2);
        QVERIFY(run({QStringLiteral("INSERT INTO fes_dev_info (TAG_NAME,DEV_DESC,RTU_TAG) VALUES ") + rows.join(',')}));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        w.choosePscada();
        const int all = w.devices->count();
        QCOMPARE(all, 2 + descs.size());
        for (const char *filter : {"ab", "AB", "Ab", "aB"}) {
            w.filter->setText(QLatin1String(filter));
            QCOMPARE(sorted(itemTexts(w.devices, true, OrvFesPointDlg::DescriptionRole)), (QStringList{"Cabinet", "TAB 3", "aB-7"}));
            QCOMPARE(w.devices->count(), all); // hidden, not removed
        }
        // Still applied to another RTU's devices.
        w.rtu->setCurrentIndex(1);
        QCOMPARE(itemTexts(w.devices, true, OrvFesPointDlg::DescriptionRole), QStringList{"ABC"});
        w.filter->clear();
        QCOMPARE(itemTexts(w.devices, true).size(), w.devices->count());
        QCOMPARE(w.devices->count(), 4);
    }

    void pointListClickAndDrag()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        OrvFesPointDlg dlg(nullptr);
        DlgWidgets w(&dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        w.choosePscada();
        w.devices->setCurrentRow(0);
        w.chooseType(QStringLiteral("数字量"));
        QCOMPARE(w.points->count(), 3);
        QListWidgetItem *trip = w.points->item(1);
        QTest::mouseClick(w.points->viewport(), Qt::LeftButton, Qt::NoModifier, w.points->visualItemRect(trip).center());
        QCOMPARE(w.tag->text(), trip->data(Qt::UserRole).toString());
        QVERIFY(w.tag->text().endsWith(QStringLiteral("_Trip")));
        // A long tag shows its start; the next type's list starts without a tag.
        QCOMPARE(w.tag->cursorPosition(), 0);
        QCOMPARE(w.tag->toolTip(), w.tag->text());
        w.chooseType(QStringLiteral("模拟量"));
        QCOMPARE(w.tag->text(), QString());
        w.chooseType(QStringLiteral("数字量"));
        trip = w.points->item(1);

        // Selected bottom first: the payload follows selectedItems(), not the rows.
        w.points->clearSelection();
        w.points->item(2)->setSelected(true);
        w.points->item(0)->setSelected(true);
        std::unique_ptr<QMimeData> mime(dragOf(w.points));
        QCOMPARE(mime->formats(), QStringList{"MyFesPointListWidget/data"});
        const QStringList strings = readVersion17(mime->data(QStringLiteral("MyFesPointListWidget/data")));
        QCOMPARE(strings.size(), 2);
        const QList<QListWidgetItem *> selected = w.points->selectedItems();
        for (int i = 0; i < 2; ++i) {
            QVERIFY(strings.at(i).startsWith(QStringLiteral("fes_digital;")));
            QCOMPARE(strings.at(i), QStringLiteral("fes_digital;%1;%2").arg(selected.at(i)->data(Qt::UserRole).toString(),
                                                                           selected.at(i)->data(OrvFesPointDlg::DescriptionRole).toString()));
        }

        QCOMPARE(w.points->model()->mimeTypes(), QStringList{"xxx/data"});
        QCOMPARE(w.points->model()->supportedDropActions(), Qt::CopyAction | Qt::MoveAction);
        // A drop onto the list is taken and changes nothing.
        const QStringList before = itemTexts(w.points);
        QVERIFY(w.points->model()->dropMimeData(mime.get(), Qt::MoveAction, 0, 0, QModelIndex()));
        QCOMPARE(itemTexts(w.points), before);
    }

    void payloadBytes()
    {
        // Big-endian byte length, then UTF-16 big-endian, string after string; a null string is ffffffff.
        const QStringList points{QStringLiteral("a;断"), QString()};
        const QByteArray expected = QByteArray::fromHex("00000006" "0061003b65ad" "ffffffff");
        QCOMPARE(orv_fes_drag::encode(points), expected);
        QStringList read;
        QVERIFY(orv_fes_drag::decode(expected, &read));
        QCOMPARE(read, points);
        QVERIFY(!orv_fes_drag::decode(expected.left(7), &read));
        QVERIFY(!orv_fes_drag::decode(QByteArray("\x00\x00\x00\x03xyz", 7), &read)); // an odd byte length

        orv_fes_drag::Point p;
        QVERIFY(orv_fes_drag::split(QStringLiteral("fes_analog;A.B;电流;相"), &p));
        QCOMPARE(p.table + '|' + p.tag + '|' + p.description, QStringLiteral("fes_analog|A.B|电流;相"));
        QVERIFY(!orv_fes_drag::split(QStringLiteral("fes_analog;A.B"), &p));
    }

    void dropWritesLink_data() { addBackendRows(); }
    void dropWritesLink()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QString key = QStringLiteral("analog.STA01.PSCADA1_QF01.Ia");
        // A point of another RTU, so that the RTU column must change too.
        const QString fes = QStringLiteral("STA02.BAS.CH01.RTU02.FAN01_Ib");
        QCOMPARE(cellOf("analog_map_to_fes", "RTU_TAG", key), kRtu1);

        MapPage map;
        const QPoint pos = map.rowPos(key);
        std::unique_ptr<QMimeData> mime(payloadOf({"fes_analog;" + fes + ";风机01B相电流"}));
        QString question;
        answerWith(QMessageBox::Yes, &question);
        const DropResult r = dropOnto(map.viewport(), pos, mime.get());
        QVERIFY(r.entered && r.moved && r.dropped);
        QCOMPARE(r.action, Qt::CopyAction);
        QVERIFY2(question.contains(key) && question.contains(fes), qPrintable(question));
        // The confirmation warns: another station, subsystem and RTU, and a point linked already.
        for (const char *warning : {"前置测点在位置 2，后台测点的设备在位置 1", "专业", "前置测点在 RTU STA02.BAS.CH01.RTU02 上",
                                    "前置测点已关联到后台测点 analog.STA02."})
            QVERIFY2(question.contains(QString::fromUtf8(warning)), qPrintable(question));
        QCOMPARE(cellOf("analog_map_to_fes", "FES_TAG", key), fes);
        QCOMPARE(cellOf("analog_map_to_fes", "RTU_TAG", key), QStringLiteral("STA02.BAS.CH01.RTU02"));
        QVERIFY(!map.page.currentModel()->hasPendingChanges());

        // Back to its own point, free again now: nothing to warn about.
        std::unique_ptr<QMimeData> own(payloadOf({"fes_analog;" + kRtu1 + ".QF01_Ia;A相电流"}));
        answerWith(QMessageBox::Yes, &question);
        QVERIFY(dropOnto(map.viewport(), map.rowPos(key), own.get()).dropped);
        QVERIFY2(!question.contains(QStringLiteral("请注意")), qPrintable(question));
        QCOMPARE(cellOf("analog_map_to_fes", "FES_TAG", key), kRtu1 + ".QF01_Ia");

        // A digital point does not fit an analog row.
        QString text;
        answerMessageBox(&text);
        std::unique_ptr<QMimeData> digital(payloadOf({"fes_digital;" + kRtu1 + ".QF01_Pos;分合位置"}));
        const DropResult refused = dropOnto(map.viewport(), map.rowPos(key), digital.get());
        QVERIFY(!refused.dropped);
        // Named as the pages name them, not by their tables.
        QVERIFY2(text.startsWith(QStringLiteral("消息|")) && text.contains(QStringLiteral("前置数字量")) && !text.contains(QStringLiteral("fes_digital"))
                     && !text.contains(QStringLiteral("analog_map_to_fes")),
                 qPrintable(text));
        QCOMPARE(cellOf("analog_map_to_fes", "FES_TAG", key), kRtu1 + ".QF01_Ia");
    }

    void dropRefusals()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        const QString key = QStringLiteral("analog.STA01.PSCADA1_QF01.Ib");
        const QString stored = cellOf("analog_map_to_fes", "FES_TAG", key);
        const QString point = "fes_analog;" + kRtu2 + ".QF02_P;有功功率";
        MapPage map;
        OrvTableModel *model = map.page.currentModel();
        auto refusal = [&](const QMimeData *mime) {
            QString text;
            answerMessageBox(&text, 3000);
            const DropResult r = dropOnto(map.viewport(), map.rowPos(key), mime);
            if (!QTest::qWaitFor([&] { return !text.isEmpty(); }, 3000))
                return QStringLiteral("<no message>");
            return r.dropped ? QStringLiteral("<dropped>") : text;
        };

        std::unique_ptr<QMimeData> one(payloadOf({point}));
        answerWith(QMessageBox::No);
        QVERIFY(!dropOnto(map.viewport(), map.rowPos(key), one.get()).dropped);

        std::unique_ptr<QMimeData> two(payloadOf({point, point}));
        QVERIFY(refusal(two.get()).contains(QStringLiteral("只能关联一个")));
        std::unique_ptr<QMimeData> missing(payloadOf({"fes_analog;NO.SUCH;x"}));
        QVERIFY(refusal(missing.get()).contains(QStringLiteral("不存在")));
        std::unique_ptr<QMimeData> garbage(new QMimeData);
        garbage->setData(orv_fes_drag::mimeType(), QByteArray("\x00\x00\x00\x09", 4));
        QVERIFY(refusal(garbage.get()).contains(QStringLiteral("不是前置测点")));

        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        QVERIFY(refusal(one.get()).contains(QStringLiteral("没有修改权限")));
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);

        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("未保存")));
        QVERIFY(refusal(one.get()).contains(QStringLiteral("未保存的修改")));
        model->revertChanges();

        // A save the database rejects is reported and leaves the row as it was.
        QVERIFY(run({QStringLiteral("CREATE TRIGGER no_link BEFORE UPDATE ON analog_map_to_fes BEGIN SELECT RAISE(ABORT, 'locked'); END")}));
        QString failure;
        answerWith(QMessageBox::Yes, nullptr, [&] { answerMessageBox(&failure); });
        QVERIFY(!dropOnto(map.viewport(), map.rowPos(key), one.get()).dropped);
        QVERIFY2(failure.contains(QStringLiteral("关联失败")) && failure.contains(QStringLiteral("locked")), qPrintable(failure));
        QVERIFY(!model->hasPendingChanges());
        QCOMPARE(map.modelCell(key, "FES_TAG"), stored);

        // A failed read of the point's RTU is no "point missing" and writes nothing.
        OrvTableDataMgr::getInstance()->onSysQuit();
        QVERIFY(refusal(one.get()).contains(QStringLiteral("读取前置测点")));
        QVERIFY(openLink(TestServers::params(Backend::SQLite, QStringLiteral("pointsearch_test"), *m_root)).isEmpty());
        QCOMPARE(cellOf("analog_map_to_fes", "FES_TAG", key), stored);

        // Foreign data, and drops beside the rows, are not taken.
        QMimeData text;
        text.setText(point);
        const DropResult foreign = dropOnto(map.viewport(), map.rowPos(key), &text);
        QVERIFY(!foreign.entered && !foreign.dropped);
        map.page.findChild<QLineEdit *>()->setText(QStringLiteral("no such row"));
        QTRY_COMPARE(map.page.view()->model()->rowCount(), 0);
        const DropResult beside = dropOnto(map.viewport(), map.viewport()->rect().center(), one.get());
        QVERIFY(beside.entered && !beside.moved && !beside.dropped);
        OrvPropertyPage points({"FES_ANALOG.xml"}, nullptr);
        points.show();
        const DropResult other = dropOnto(points.view()->viewport(), points.view()->visualRect(points.view()->model()->index(0, 0)).center(), one.get());
        QVERIFY(!other.entered && !other.dropped);
    }


    // The rows may come in another order while the confirmation is up (the read of a header
    // click made just before the drop): no other row than the one the box named is linked.
    void dropLinksNoOtherRowThanTheBoxNamed_data() { addBackendRows(); }
    void dropLinksNoOtherRowThanTheBoxNamed()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        const QString key = QStringLiteral("analog.STA01.PSCADA1_QF01.Ia");
        const QString fes = kRtu1 + QStringLiteral(".QF01_Ib");
        const QString linkedTo = QStringLiteral("SELECT KEY_ID_TAG FROM analog_map_to_fes WHERE FES_TAG = ? ORDER BY KEY_ID_TAG");
        QStringList before;
        OrvDbDesign().getOneColumnResult(linkedTo, {fes}, before);
        MapPage map;
        OrvTableModel *model = map.page.currentModel();
        const QPoint pos = map.rowPos(key);
        QVERIFY(pos.y() >= 0);
        map.page.view()->sortByColumn(model->findCol(QStringLiteral("KEY_ID_TAG")), Qt::DescendingOrder);
        QString question, refusal;
        answerWith(QMessageBox::Yes, &question, [&] {
            if (!QTest::qWaitFor([model] { return !model->isReading(); }, 10000))
                qWarning("the new order never came");
            answerMessageBox(&refusal);
        });
        std::unique_ptr<QMimeData> mime(payloadOf({"fes_analog;" + fes + ";B相电流"}));
        QVERIFY(!dropOnto(map.viewport(), pos, mime.get()).dropped);
        QVERIFY2(question.contains(key), qPrintable(question));
        QVERIFY2(refusal.contains(QStringLiteral("重新拖入")), qPrintable(refusal));
        QStringList after;
        OrvDbDesign().getOneColumnResult(linkedTo, {fes}, after);
        QCOMPARE(after, before);
        QVERIFY(!model->hasPendingChanges());
    }
};

QTEST_MAIN(PointSearchTest)
#include "tst_pointsearch.moc"
