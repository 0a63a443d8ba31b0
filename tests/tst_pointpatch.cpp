// The batch point editors: the shared batch operations, both editors and their main-window entries.
#include "TestSupport.h"

#include "AppLog.h"
#include "Common.h"
#include "MainWindow.h"
#include "OrvBackPointPatch.h"
#include "OrvBatchEdit.h"
#include "OrvDbDesign.h"
#include "OrvFesPointPatch.h"
#include "OrvInputDlg.h"
#include "OrvReplaceDlg.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "SelectedRows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimer>


namespace {

const QString kRtu1 = QStringLiteral("STA01.PSCADA.CH01.RTU01");
const QString kAll = QStringLiteral("-1");

// Answers the modal dialogs an operation opens while it lives: message boxes with OK (their
// texts kept in order), any other dialog with the next handler queued for its type.
class Modals : public QObject
{
public:
    Modals()
    {
        connect(&m_timer, &QTimer::timeout, this, &Modals::poll);
        m_timer.start(10);
    }

    template <typename T>
    void next(const std::function<void(T *)> &answer)
    {
        m_handlers.append({[](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
                           [answer](QWidget *w) { answer(qobject_cast<T *>(w)); }});
    }
    int pending() const { return m_handlers.size(); }

    QStringList boxes;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxes << box->windowTitle() + QLatin1Char('|') + box->text();
            box->button(QMessageBox::Ok)->click();
        } else if (!m_handlers.isEmpty() && m_handlers.first().first(modal)) {
            m_handlers.takeFirst().second(modal);
        }
    }

    QTimer m_timer;
    QList<QPair<std::function<bool(QWidget *)>, std::function<void(QWidget *)>>> m_handlers;
};

QStringList column(const QString &sql)
{
    QStringList values;
    OrvDbDesign().getOneColumnResult(sql, values);
    return values;
}

// The stored value of one record's column, "<null>" for NULL.
QString stored(const QString &table, const QString &col, const QString &key, const QString &keyColumn = QStringLiteral("TAG_NAME"))
{
    QStringList values, nulls;
    OrvDbDesign db;
    if (!db.getTwoColumnResult(QStringLiteral("SELECT %1, CASE WHEN %1 IS NULL THEN 1 ELSE 0 END FROM %2 WHERE %3 = ?")
                                   .arg(col, table, keyColumn),
                               {key}, values, nulls))
        return QStringLiteral("<error> ") + db.lastError();
    if (values.size() != 1)
        return QStringLiteral("<%1 rows>").arg(values.size());
    return nulls.first() == QLatin1String("1") ? QStringLiteral("<null>") : values.first();
}

// The column's value in each of the front-end analog points, as stored() gives it.
QStringList storedCells(const char *col, const QStringList &tags)
{
    QStringList values;
    for (const QString &tag : tags)
        values << stored(QStringLiteral("fes_analog"), QLatin1String(col), tag);
    return values;
}

int colOf(const QString &definition, const QString &sqlName)
{
    return OrvTableDataMgr::getInstance()->createModel(definition)->findCol(sqlName);
}

QStringList repeated(int n, const QString &value)
{
    QStringList values;
    for (int i = 0; i < n; ++i)
        values << value;
    return values;
}

QStringList comboData(const QComboBox *combo)
{
    QStringList values;
    for (int i = 0; i < combo->count(); ++i)
        values << combo->itemData(i, Qt::UserRole).toString();
    return values;
}

QStringList comboTexts(const QComboBox *combo)
{
    QStringList values;
    for (int i = 0; i < combo->count(); ++i)
        values << combo->itemText(i);
    return values;
}

void choose(QComboBox *combo, const QString &data)
{
    combo->setCurrentIndex(combo->findData(data));
}

// Selects the rows in this order, one range each, and makes the cell of the last one in the
// column current.
void selectRows(QTableView *view, const QList<int> &rows, int column)
{
    QItemSelectionModel *selection = view->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(view->model()->index(row, column), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(view->model()->index(rows.last(), column), QItemSelectionModel::NoUpdate);
}

QList<int> allRows(const QTableView *view)
{
    QList<int> rows;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        rows << r;
    return rows;
}

QList<int> visibleRows(const QTableView *view)
{
    QList<int> rows;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (!view->isRowHidden(r))
            rows << r;
    return rows;
}

QString text(const QAbstractItemModel *model, int row, int col)
{
    return shownData(model->index(row, col)).toString();
}

// An editor and its widgets, found by their object names.
template <typename Dialog>
struct Editor
{
    Dialog dlg{nullptr};
    QComboBox *box(const char *name) const { return dlg.template findChild<QComboBox *>(QLatin1String(name)); }
    QString suffix(int k) const { return k ? QStringLiteral("_%1").arg(k + 1) : QString(); }
    QLineEdit *filter(int k) const { return dlg.template findChild<QLineEdit *>("lineEdit_search" + suffix(k)); }
    QComboBox *filterColumn(int k) const { return dlg.template findChild<QComboBox *>("comboBox" + suffix(k)); }
    // Another order or filter is read off the GUI thread: true once every result table has it.
    bool settled() const
    {
        const auto reading = [this] {
            const QList<OrvTableModel *> models = dlg.template findChildren<OrvTableModel *>();
            return std::any_of(models.begin(), models.end(), [](const OrvTableModel *m) { return m->isReading(); });
        };
        QElapsedTimer waited;
        waited.start();
        while (reading() && waited.elapsed() < 10000)
            QTest::qWait(5);
        return !reading();
    }
};

// The front-end editor on one location, subsystem and RTU, searched for a point type.
struct Fes : Editor<OrvFesPointPatch>
{
    QAbstractItemModel *model() const { return dlg.resultModel(); }
    QTableView *view() const { return dlg.tableView(); }
    OrvBatchEdit *ops() const { return dlg.batchEdit(); }

    void search(const QString &type, const QString &location = QStringLiteral("1"), const QString &rtu = kRtu1)
    {
        choose(box("comboBox_subSystem"), QStringLiteral("4"));
        choose(box("comboBox_location"), location);
        choose(box("comboBox_rtu"), rtu);
        box("comboBox_pointType")->setCurrentText(type);
        dlg.onPushButtonSearchClicked();
    }
    int row(const QString &tag) const
    {
        for (int r = 0; r < model()->rowCount(); ++r)
            if (text(model(), r, 0) == tag)
                return r;
        return -1;
    }
    QString tag(int row) const { return text(model(), row, 0); }
};

struct Back : Editor<OrvBackPointPatch>
{
    QAbstractItemModel *model(int tab) const { return dlg.itemModel(tab); }
    QTableView *view(int tab) const { return dlg.tableView(tab); }

    void place(const QString &location = QStringLiteral("1"), const QString &subsystem = QStringLiteral("4"))
    {
        choose(box("comboBox_location"), location);
        choose(box("comboBox_subSystem"), subsystem);
    }
    void search(const QString &type)
    {
        box("comboBox_pointType")->setCurrentText(type);
        dlg.onPushButtonSearchClicked();
    }
    QList<int> rowCounts() const
    {
        QList<int> counts;
        for (int t = 0; t < OrvBackPointPatch::TabCount; ++t)
            counts << model(t)->rowCount();
        return counts;
    }
};

} // namespace

class PointPatchTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;

    // A new demo system; largeStation: one station with more front-end analog points than two
    // windows of the table hold.
    bool freshDemo(Backend backend, bool largeStation = false)
    {
        DemoOptions options;
        if (largeStation) {
            options.stations = 1;
            options.devicesPerGroup = 80;
        }
        const QString error = openDemo(backend, QStringLiteral("pointpatch_test"), *m_root, options);
        if (!error.isEmpty())
            qWarning() << error;
        return error.isEmpty();
    }

    bool run(const QStringList &sqls)
    {
        const QString error = runOnLink(sqls);
        if (!error.isEmpty())
            qWarning() << error;
        return error.isEmpty();
    }

private slots:
    void init()
    {
        m_root = std::make_unique<TestRoot>();
        QVERIFY2(TestServers::availableWhereRequired(), "the test servers are not running");
    }

    void cleanup()
    {
        QVERIFY(!QApplication::activeModalWidget());
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    // ---- The shared operations -------------------------------------------------------------

    void menuFollowsCurrentCell()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        QMenu *menu = f.ops()->menu();
        f.dlg.onMenu();
        QVERIFY(!menu->isVisible());

        const int desc = colOf("FES_ANALOG.xml", "DESCRIPTION");
        selectRows(f.view(), {0}, desc);
        f.dlg.onMenu();
        QTRY_VERIFY(menu->isVisible());
        QStringList texts;
        for (QAction *a : menu->actions())
            if (a->isVisible())
                texts << a->text();
        QCOMPARE(texts, (QStringList{"描述 选中行 从0开始自增", "描述 选中行 从1开始自增", "描述 选中行 自定义自增",
                                     "描述 选中行 取相同值", "描述 选中行 查找与替换", QString(), "导出…"}));
        menu->hide();
        QCOMPARE(f.view()->contextMenuPolicy(), Qt::CustomContextMenu);

        // The entries reach the editor's slots; after a batch the undo entry follows, below a
        // separator, and the five keep their place.
        Modals modals;
        selectRows(f.view(), {0, 1}, colOf("FES_ANALOG.xml", "DOT_NO"));
        menu->actions().at(1)->trigger();
        QCOMPARE(modals.boxes, QStringList{"消息|修改成功!"});
        QCOMPARE(stored("fes_analog", "DOT_NO", f.tag(1)), QStringLiteral("2"));
        selectRows(f.view(), {1}, colOf("FES_ANALOG.xml", "UNIT"));
        emit f.view()->customContextMenuRequested(QPoint(1, 1));
        QTRY_VERIFY(menu->isVisible());
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 9);
        QCOMPARE(actions.at(4)->text(), QStringLiteral("单位 选中行 查找与替换"));
        QVERIFY(actions.at(5)->isSeparator() && actions.at(5)->isVisible());
        QCOMPARE(actions.at(6)->text(), QStringLiteral("撤销上次批量修改"));
        QVERIFY(actions.at(6)->isVisible());
        QCOMPARE(actions.at(8)->text(), QStringLiteral("导出…"));
        menu->hide();
    }

    void selectionFollowsTheScreen()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        QCOMPARE(f.model()->rowCount(), 8);
        const int dot = colOf("FES_ANALOG.xml", "DOT_NO");
        // Sorted by tag, descending; the filter hides the two "_P" points.
        f.view()->sortByColumn(0, Qt::DescendingOrder);
        QVERIFY(f.settled());
        f.filterColumn(0)->setCurrentIndex(0);
        f.filter(0)->setText(QStringLiteral("_I"));
        QVERIFY(f.settled());
        QCOMPARE(visibleRows(f.view()).size(), 6);
        QList<int> bottomUp = allRows(f.view());
        std::reverse(bottomUp.begin(), bottomUp.end());
        selectRows(f.view(), bottomUp, dot);
        const OrvBatchEdit::Selection listed = f.ops()->selection();
        QCOMPARE(listed.column, dot);
        QCOMPARE(listed.rows.size(), 1);
        QCOMPARE(listed.rows.first().first, 0);
        QCOMPARE(listed.rows.first().last, 5);

        const QString hiddenTag = kRtu1 + QStringLiteral(".QF02_P");
        QCOMPARE(f.row(hiddenTag), -1);
        const QString hiddenDot = stored("fes_analog", "DOT_NO", hiddenTag);
        Modals modals;
        f.dlg.onIncrementFrom1ToSelect();
        QCOMPARE(modals.boxes, QStringList{"消息|修改成功!"});
        int n = 1;
        for (int row : visibleRows(f.view())) {
            QCOMPARE(stored("fes_analog", "DOT_NO", f.tag(row)), QString::number(n));
            QCOMPARE(shownData(f.model()->index(row, dot)), QVariant(n)); // a number, so it sorts as one
            ++n;
        }
        QCOMPARE(stored("fes_analog", "DOT_NO", hiddenTag), hiddenDot);
    }

    void exportFollowsTheFilters()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        f.view()->sortByColumn(0, Qt::DescendingOrder);
        QVERIFY(f.settled());
        f.filterColumn(0)->setCurrentIndex(0);
        f.filter(0)->setText(QStringLiteral("_I"));
        QVERIFY(f.settled());
        const QString path = m_root->file(QStringLiteral("rows.csv"));
        const auto exported = [&path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n")) : QStringList();
        };
        QString message;
        answerExportDialog(path, false, &message);
        f.dlg.onExport();
        QCOMPARE(message, QStringLiteral("消息|已导出 6 行到 %1").arg(path));
        const QStringList shown = exported();
        QCOMPARE(shown.size(), 6 + 3);
        QVERIFY(shown.at(2) > shown.at(3));
        QVERIFY(!shown.join(QLatin1Char('\n')).contains(QStringLiteral("_P,")));
        answerExportDialog(path, true, &message);
        f.dlg.onExport();
        QCOMPARE(exported().size(), 8 + 3);
    }

    void refusals()
    {
        // A column the definition locks.
        QFile source(m_root->file(QStringLiteral("tables/FES_ANALOG.xml")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray xml = source.readAll();
        source.close();
        xml.replace(R"x(name="OFFSET_VALUE" sqlType="decimal(14,4)" valueType="Double" editable="true")x",
                    R"x(name="OFFSET_VALUE" sqlType="decimal(14,4)" valueType="Double" editable="false")x");
        m_root->writeFile(QStringLiteral("tables/FES_ANALOG.xml"), xml);
        QVERIFY(freshDemo(Backend::SQLite));
        orv_public::StartLogSystem("MODEL", "tst_pointpatch");
        Fes f;
        f.search(QStringLiteral("模拟量"));
        OrvBatchEdit *ops = f.ops();
        const auto select = [&f](const char *sqlName) {
            selectRows(f.view(), {0, 1}, colOf("FES_ANALOG.xml", QLatin1String(sqlName)));
            return f.dlg.batchEdit()->selection();
        };
        const QString before = stored("fes_analog", "DESCRIPTION", f.tag(0));

        Modals modals;
        ops->increment(QStringLiteral("DI%1"), 0, select("DOT_NO"));
        ops->increment(QStringLiteral("ABC"), 0, select("DESCRIPTION"));
        ops->increment(QStringLiteral("A%1"), 0, select("COEFF")); // decimal
        ops->sameValue(QStringLiteral("1"), select("OFFSET_VALUE"));
        ops->increment(QStringLiteral("%1"), 0, select("TAG_NAME"));
        ops->sameValue(QStringLiteral("x"), select("TAG_NAME"));
        ops->findAndReplace(QStringLiteral("S"), QStringLiteral("T"), select("TAG_NAME"));
        ops->increment(QStringLiteral("%1"), 0, {}); // nothing selected: nothing said
        QCOMPARE(modals.boxes, (QStringList{"消息|DI%1\n文本格式不对", "消息|%1\n文本格式不对", "消息|A%1\n文本格式不对",
                                            "消息|该列不可编辑", "消息|该列是主键,不可编辑", "消息|该列是主键,不可编辑",
                                            "消息|该列是主键,不可编辑"}));
        // A read-only user is refused before anything runs.
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        modals.boxes.clear();
        ops->sameValue(QStringLiteral("changed"), select("DESCRIPTION"));
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("没有修改权限")), qPrintable(modals.boxes.first()));
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        QCOMPARE(stored("fes_analog", "DESCRIPTION", f.tag(0)), before);
        QCOMPARE(text(f.model(), 0, colOf("FES_ANALOG.xml", "DESCRIPTION")), before);

        // Nothing refused was logged or reached the database; an accepted batch logs its start and end.
        const auto read = [this](const char *file) {
            QFile log(m_root->file(QLatin1String(file)));
            return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
        };
        QVERIFY(!read("log/tst_pointpatch.log").contains(QStringLiteral("菜单")));
        QCOMPARE(read("log/audit.log"), QString());
        modals.boxes.clear();
        const QHash<QString, QString> units = {{f.tag(0), stored("fes_analog", "UNIT", f.tag(0))},
                                               {f.tag(1), stored("fes_analog", "UNIT", f.tag(1))}};
        ops->sameValue(QStringLiteral("kV"), select("UNIT"));
        QCOMPARE(modals.boxes, QStringList{"消息|修改成功!"});
        orv_public::StopLogSystem();
        const QString log = read("log/tst_pointpatch.log");
        QVERIFY2(log.indexOf(QStringLiteral("开始执行取相同值菜单")) < log.indexOf(QStringLiteral("取相同值菜单结束")), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("DEBUG")));
        // One record per cell, naming the value it replaced.
        const QStringList records = read("log/audit.log").split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(records.size(), 2);
        for (const QString &line : records) {
            const QJsonObject record = QJsonDocument::fromJson(line.toUtf8()).object();
            const QString key = record.value(QStringLiteral("key")).toString();
            QVERIFY2(units.contains(key), qPrintable(line));
            QCOMPARE(record.value(QStringLiteral("column")).toString(), QStringLiteral("UNIT"));
            if (units.value(key) == QLatin1String("<null>"))
                QVERIFY(record.value(QStringLiteral("old")).isNull());
            else
                QCOMPARE(record.value(QStringLiteral("old")).toString(), units.value(key));
            QCOMPARE(record.value(QStringLiteral("new")).toString(), QStringLiteral("kV"));
        }
    }

    void newValues_data() { addBackendRows(); }
    void newValues()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        // A key holding a quote, and descriptions for find and replace.
        const QString quoted = kRtu1 + QStringLiteral(".QF01_I'a");
        const QString ia = kRtu1 + QStringLiteral(".QF01_Ia");
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET TAG_NAME = '%1' WHERE TAG_NAME = '%2'").arg(QString(quoted).replace("'", "''"), ia),
                     QStringLiteral("UPDATE fes_analog SET DESCRIPTION = 'AAX' WHERE TAG_NAME = '%1.QF01_Ib'").arg(kRtu1),
                     QStringLiteral("UPDATE fes_analog SET DESCRIPTION = 'xyz' WHERE TAG_NAME = '%1.QF01_Ic'").arg(kRtu1),
                     QStringLiteral("UPDATE fes_analog SET DESCRIPTION = 'a' WHERE TAG_NAME = '%1.QF01_P'").arg(kRtu1)}));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        f.view()->sortByColumn(0, Qt::AscendingOrder);
        QVERIFY(f.settled());
        const QStringList tags{quoted, kRtu1 + ".QF01_Ib", kRtu1 + ".QF01_Ic", kRtu1 + ".QF01_P"};
        QList<int> rows;
        for (const QString &tag : tags)
            rows << f.row(tag);
        QVERIFY(!rows.contains(-1));
        const int desc = colOf("FES_ANALOG.xml", "DESCRIPTION");
        const int unit = colOf("FES_ANALOG.xml", "UNIT");
        const auto descriptions = [&] { return storedCells("DESCRIPTION", tags); };
        Modals modals;

        selectRows(f.view(), rows, desc);
        f.ops()->findAndReplace(QStringLiteral("A"), QStringLiteral("B"), f.ops()->selection());
        QCOMPARE(descriptions().mid(1), (QStringList{"BBX", "xyz", "a"}));
        QCOMPARE(text(f.model(), rows.at(1), desc), QStringLiteral("BBX"));

        // Every place marker is replaced; quotes in values and keys arrive intact.
        f.ops()->increment(QStringLiteral("%1%1"), 3, f.ops()->selection());
        QCOMPARE(descriptions(), (QStringList{"33", "44", "55", "66"}));
        QCOMPARE(shownData(f.model()->index(rows.at(0), desc)), QVariant(33));
        const QString value = QStringLiteral("O'Brien '站' \\n");
        f.ops()->sameValue(value, f.ops()->selection());
        QCOMPARE(descriptions(), repeated(tags.size(), value));
        QCOMPARE(text(f.model(), rows.at(0), desc), value);

        selectRows(f.view(), rows, unit);
        f.ops()->sameValue(QString(), f.ops()->selection());
        QCOMPARE(stored("fes_analog", "UNIT", tags.at(2)), QString()); // written as '', not NULL
        QCOMPARE(shownData(f.model()->index(rows.at(2), unit)), QVariant(QString()));
        f.ops()->sameValue(QStringLiteral("12"), f.ops()->selection());
        QCOMPARE(shownData(f.model()->index(rows.at(0), unit)), QVariant(12));
        f.ops()->sameValue(QStringLiteral("12a"), f.ops()->selection());
        QCOMPARE(shownData(f.model()->index(rows.at(0), unit)), QVariant(QStringLiteral("12a")));
        f.ops()->sameValue(QStringLiteral("007"), f.ops()->selection());
        QCOMPARE(shownData(f.model()->index(rows.at(0), unit)), QVariant(QStringLiteral("007")));
        QCOMPARE(modals.boxes, repeated(7, QStringLiteral("消息|修改成功!")));
        // An empty find text changes nothing, rather than putting the replacement between every two characters.
        f.ops()->findAndReplace(QString(), QStringLiteral("X"), f.ops()->selection());
        QCOMPARE(modals.boxes.last(), QStringLiteral("消息|查找内容为空，未做任何修改。"));
        QCOMPARE(stored("fes_analog", "UNIT", tags.at(0)), QStringLiteral("007"));
    }

    void failedBatchChangesNothing_data() { addBackendRows(); }
    void failedBatchChangesNothing()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        const int desc = colOf("FES_ANALOG.xml", "DESCRIPTION");
        QStringList tags, before;
        for (int r = 0; r < f.model()->rowCount(); ++r) {
            tags << f.tag(r);
            before << text(f.model(), r, desc);
        }
        // Another session deletes the sixth row while it is on screen.
        QVERIFY(run({QStringLiteral("DELETE FROM fes_analog WHERE TAG_NAME = '%1'").arg(tags.at(5))}));
        selectRows(f.view(), allRows(f.view()), desc);
        Modals modals;
        f.ops()->sameValue(QStringLiteral("lost"), f.ops()->selection());
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("第6条")), qPrintable(modals.boxes.first()));
        for (int r = 0; r < tags.size(); ++r) {
            QCOMPARE(text(f.model(), r, desc), before.at(r));
            if (r != 5)
                QCOMPARE(stored("fes_analog", "DESCRIPTION", tags.at(r)), before.at(r));
        }
        QVERIFY(!f.ops()->undoAction()->isVisible());
    }

    void undoLastBatch_data() { addBackendRows(); }
    void undoLastBatch()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        const int unit = colOf("FES_ANALOG.xml", "UNIT");
        const int dot = colOf("FES_ANALOG.xml", "DOT_NO");
        QStringList tags, dots;
        for (int r = 0; r < 3; ++r) {
            tags << f.tag(r);
            dots << stored("fes_analog", "DOT_NO", f.tag(r));
        }
        const auto units = [&] { return storedCells("UNIT", tags); };
        Modals modals;
        f.ops()->undoLastBatch();
        QCOMPARE(modals.boxes.size(), 1); // nothing to undo yet
        QVERIFY(!f.ops()->undoAction()->isVisible());

        // NULL cells come back as NULL, numbers as the numbers they were, and only the last batch.
        selectRows(f.view(), {0, 1, 2}, unit);
        f.ops()->sameValue(QStringLiteral("kV"), f.ops()->selection());
        QVERIFY(f.ops()->undoAction()->isVisible());
        f.dlg.onUndoLastBatch();
        QCOMPARE(units(), repeated(3, QStringLiteral("<null>")));
        QVERIFY(!shownData(f.model()->index(0, unit)).isValid());
        QVERIFY(!f.ops()->undoAction()->isVisible());
        f.ops()->sameValue(QStringLiteral("kV"), f.ops()->selection());
        selectRows(f.view(), {0, 1, 2}, dot);
        f.ops()->increment(QStringLiteral("%1"), 100, f.ops()->selection());
        f.dlg.onUndoLastBatch();
        QCOMPARE(modals.boxes.mid(1), repeated(5, QStringLiteral("消息|修改成功!")));
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(stored("fes_analog", "DOT_NO", tags.at(r)), dots.at(r));
            QCOMPARE(shownData(f.model()->index(r, dot)), QVariant(dots.at(r).toInt()));
        }
        QCOMPARE(units(), repeated(3, QStringLiteral("kV")));

        // Another session changes one of the rows since: the undo is refused whole.
        selectRows(f.view(), {0, 1, 2}, unit);
        f.ops()->sameValue(QStringLiteral("V"), f.ops()->selection());
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET UNIT = 'W' WHERE TAG_NAME = '%1'").arg(tags.at(1))}));
        modals.boxes.clear();
        f.ops()->undoLastBatch();
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("第2条")), qPrintable(modals.boxes.first()));
        QCOMPARE(units(), (QStringList{"V", "W", "V"}));
        QCOMPARE(text(f.model(), 0, unit), QStringLiteral("V"));

        // Rows of an earlier search are no longer those on screen.
        f.ops()->sameValue(QStringLiteral("A"), f.ops()->selection());
        f.dlg.onPushButtonSearchClicked();
        modals.boxes.clear();
        f.ops()->undoLastBatch();
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("重新查询")), qPrintable(modals.boxes.first()));
        QCOMPARE(units(), (QStringList{"A", "A", "A"}));
    }

    // Only a new search ends the undo: choosing another point type, another place or tab does not.
    void undoOutlivesOtherChoices()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Modals modals;
        Fes f;
        f.search(QStringLiteral("模拟量"));
        const int unit = colOf("FES_ANALOG.xml", "UNIT");
        const QString tag = f.tag(0);
        selectRows(f.view(), {0}, unit);
        f.ops()->sameValue(QStringLiteral("kV"), f.ops()->selection());
        f.box("comboBox_pointType")->setCurrentText(QStringLiteral("数字量"));
        f.box("comboBox_location")->setCurrentIndex(f.box("comboBox_location")->count() - 1);
        QVERIFY(f.ops()->undoAction()->isVisible());
        f.dlg.onUndoLastBatch();
        QCOMPARE(stored("fes_analog", "UNIT", tag), QStringLiteral("<null>"));

        Back b;
        b.place();
        b.search(QStringLiteral("模拟量"));
        const int desc = colOf("ANALOG.xml", "DESCRIPTION");
        const QString point = text(b.model(0), 0, 0);
        const QString before = stored("analog", "DESCRIPTION", point);
        selectRows(b.view(0), {0}, desc);
        b.dlg.batchEdit()->sameValue(QStringLiteral("改"), b.dlg.batchEdit()->selection());
        b.box("comboBox_pointType")->setCurrentText(QStringLiteral("数字量"));
        QVERIFY(b.dlg.batchEdit()->undoAction()->isVisible());
        b.dlg.onUndoLastBatch();
        QCOMPARE(stored("analog", "DESCRIPTION", point), before);
        QCOMPARE(modals.boxes, repeated(4, QStringLiteral("消息|修改成功!")));
    }

    void rememberedInputs()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Back b;
        b.place();
        b.search(QStringLiteral("模拟量"));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        selectRows(b.view(0), {0, 1}, colOf("ANALOG.xml", "DESCRIPTION"));
        selectRows(f.view(), {0, 1}, colOf("FES_ANALOG.xml", "DESCRIPTION"));

        Modals modals;
        QStringList seen;
        const auto custom = [&](const QString &format, int start) {
            modals.next<OrvInputDlg>([&seen, format, start](OrvInputDlg *d) {
                seen << QStringLiteral("%1 %2 %3").arg(d->getText(), QString::number(d->getInt()),
                                                        d->parentWidget() ? QStringLiteral("parent") : QStringLiteral("none"));
                d->findChild<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)->setText(format);
                d->findChild<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly)->setValue(start);
                d->accept();
            });
        };
        custom(QStringLiteral("D%1"), 7);
        b.dlg.onIncrementToSelect();
        custom(QStringLiteral("E%1"), 2);
        b.dlg.onIncrementToSelect();
        QCOMPARE(seen, (QStringList{" 0 none", "D%1 7 parent"}));
        QCOMPARE(b.dlg.batchEdit()->customFormat(), QStringLiteral("E%1"));

        const auto same = [&](const QString &value) {
            modals.next<QInputDialog>([&seen, value](QInputDialog *d) {
                seen << d->windowTitle() + '|' + d->labelText() + '|' + d->textValue();
                d->setTextValue(value);
                d->accept();
            });
        };
        seen.clear();
        same(QStringLiteral("甲"));
        f.dlg.onSameValueToSelect();
        same(QStringLiteral("乙"));
        f.dlg.onSameValueToSelect();
        QCOMPARE(seen, (QStringList{"取相同值|请输入|", "取相同值|请输入|甲"}));

        // The back-stage editor offers the last find and replace again; the front-end one never does.
        const auto replace = [&](const QString &find, const QString &by) {
            modals.next<OrvReplaceDlg>([&seen, find, by](OrvReplaceDlg *d) {
                seen << d->getFind() + '>' + d->getReplace();
                d->setFind(find);
                d->setReplace(by);
                d->accept();
            });
        };
        seen.clear();
        for (QDialog *dlg : {static_cast<QDialog *>(&b.dlg), static_cast<QDialog *>(&f.dlg)}) {
            for (int i = 0; i < 2; ++i) {
                replace(QStringLiteral("E"), QStringLiteral("F"));
                QMetaObject::invokeMethod(dlg, "onFindAndReplaceToSelect");
            }
        }
        QCOMPARE(seen, (QStringList{">", "E>F", ">", ">"}));
        QCOMPARE(modals.pending(), 0);
        QCOMPARE(modals.boxes, repeated(8, QStringLiteral("消息|修改成功!")));
        QCOMPARE(stored("analog", "DESCRIPTION", text(b.model(0), 0, 0)), QStringLiteral("F2"));
    }

    // Ctrl+A selects every row, those not read onto the table yet included, and an operation
    // numbers them all in the order shown; ranges beyond the rows read change those rows alone;
    // a read that fails says why and changes nothing.
    void selectionBeyondTheRowsRead_data() { addBackendRows(); }
    void selectionBeyondTheRowsRead()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend, true));
        Fes f;
        f.dlg.show();
        f.search(QStringLiteral("模拟量"), QStringLiteral("1"), kAll);
        const QString where = f.dlg.deviceCondition();
        const int rows = column("SELECT COUNT(*) FROM fes_analog WHERE " + where).value(0).toInt();
        QVERIFY2(rows > 2 * OrvTableModel::WindowRows, qPrintable(QString::number(rows)));
        const int dot = colOf("FES_ANALOG.xml", "DOT_NO");
        const int desc = colOf("FES_ANALOG.xml", "DESCRIPTION");
        // Sorted by a column that is not the key: rows further down are read by their place.
        f.view()->sortByColumn(desc, Qt::DescendingOrder);
        QVERIFY(f.settled());
        QVERIFY(f.model()->rowCount() < rows);
        f.view()->setCurrentIndex(f.model()->index(0, dot));
        QTest::keyClick(f.view(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.model()->rowCount(), rows);
        const QLabel *counts = f.dlg.findChild<QLabel *>(QStringLiteral("label_rowCount"));
        QTRY_COMPARE(counts->text(), QStringLiteral("共 %1 条，选中 %1 条").arg(rows));

        Modals modals;
        f.dlg.onIncrementFrom0ToSelect();
        QCOMPARE(modals.boxes, QStringList{"消息|修改成功!"});
        const QString shownOrder = "SELECT %1 FROM fes_analog WHERE " + where + " ORDER BY DESCRIPTION DESC, TAG_NAME";
        QStringList numbers;
        for (int n = 0; n < rows; ++n)
            numbers << QString::number(n);
        QCOMPARE(column(shownOrder.arg(QStringLiteral("DOT_NO"))), numbers);
        QCOMPARE(shownData(f.model()->index(rows - 1, dot)), QVariant(rows - 1));

        // Two ranges, one far below the rows read since the batch.
        const int unit = colOf("FES_ANALOG.xml", "UNIT");
        selectRows(f.view(), {10}, unit);
        f.view()->selectionModel()->select(QItemSelection(f.model()->index(10, 0), f.model()->index(20, 0)),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        f.view()->selectionModel()->select(QItemSelection(f.model()->index(rows - 30, 0), f.model()->index(rows - 21, 0)),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(SelectedRows::count(f.ops()->selection().rows), 21);
        f.ops()->sameValue(QStringLiteral("kA"), f.ops()->selection());
        const QStringList units = column(shownOrder.arg(QStringLiteral("COALESCE(UNIT, '')")));
        for (int n = 0; n < rows; ++n)
            QCOMPARE(units.at(n) == QLatin1String("kA"), (n >= 10 && n <= 20) || (n >= rows - 30 && n <= rows - 21));
        QCOMPARE(text(f.model(), rows - 25, unit), QStringLiteral("kA"));

        QVERIFY(run({QStringLiteral("ALTER TABLE fes_analog RENAME TO fes_analog_gone")}));
        modals.boxes.clear();
        f.ops()->sameValue(QStringLiteral("V"), f.ops()->selection());
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("读取选中的行失败")) && modals.boxes.first().contains(QStringLiteral("fes_analog")),
                 qPrintable(modals.boxes.first()));
        QVERIFY(run({QStringLiteral("ALTER TABLE fes_analog_gone RENAME TO fes_analog")}));
        QCOMPARE(column(shownOrder.arg(QStringLiteral("COALESCE(UNIT, '')"))), units);

        // A row deleted elsewhere, even the last one shown, changes the rows a selection means:
        // rows the table does not hold cannot be told apart, so the batch refuses until a new search.
        const QString last = column(shownOrder.arg(QStringLiteral("TAG_NAME"))).last();
        QVERIFY(run({QStringLiteral("DELETE FROM fes_analog WHERE TAG_NAME = '%1'").arg(last)}));
        const QStringList left = column(shownOrder.arg(QStringLiteral("COALESCE(UNIT, '')")));
        QTest::keyClick(f.view(), Qt::Key_A, Qt::ControlModifier);
        modals.boxes.clear();
        f.ops()->sameValue(QStringLiteral("V"), f.ops()->selection());
        QCOMPARE(modals.boxes, QStringList{"消息|表格显示之后已有记录被其他操作增加或删除，未做任何修改。请重新查询。"});
        QCOMPARE(column(shownOrder.arg(QStringLiteral("COALESCE(UNIT, '')"))), left);
        f.search(QStringLiteral("模拟量"), QStringLiteral("1"), kAll);
        QVERIFY(f.settled());
        f.view()->setCurrentIndex(f.model()->index(0, unit));
        QTest::keyClick(f.view(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.model()->rowCount(), rows - 1);
        modals.boxes.clear();
        f.ops()->sameValue(QStringLiteral("V"), f.ops()->selection());
        QCOMPARE(modals.boxes, QStringList{"消息|修改成功!"});
        QCOMPARE(column(shownOrder.arg(QStringLiteral("UNIT"))), repeated(rows - 1, QStringLiteral("V")));
    }

    // A header click shows the rows of the new order from the top, not from where the rows of
    // the old order had been scrolled to.
    void newOrderShowsItsFirstRows()
    {
        QVERIFY(freshDemo(Backend::SQLite, true));
        Fes f;
        f.dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.dlg));
        f.search(QStringLiteral("模拟量"), QStringLiteral("1"), kAll);
        QVERIFY(f.settled());
        QTRY_VERIFY(f.model()->rowCount() > 2 * OrvTableModel::WindowRows);
        f.view()->scrollToBottom();
        QVERIFY(f.view()->rowAt(0) > OrvTableModel::WindowRows);
        f.view()->sortByColumn(colOf("FES_ANALOG.xml", "DESCRIPTION"), Qt::DescendingOrder);
        QVERIFY(f.settled());
        QCOMPARE(f.view()->rowAt(0), 0);
    }

    // Find and replace changes the cells that hold the text and no other: a NULL cell holds
    // nothing and stays NULL, in a text column and in a number column, and the undo takes back
    // exactly what the batch did.
    void findAndReplaceLeavesEmptyCellsAlone_data() { addBackendRows(); }
    void findAndReplaceLeavesEmptyCellsAlone()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        QVERIFY(f.model()->rowCount() >= 3);
        const QStringList tags{f.tag(0), f.tag(1), f.tag(2)};
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET UNIT = 'kV', DOT_NO = 12 WHERE TAG_NAME = '%1'").arg(tags.at(0)),
                     QStringLiteral("UPDATE fes_analog SET UNIT = NULL, DOT_NO = NULL WHERE TAG_NAME IN ('%1', '%2')").arg(tags.at(1), tags.at(2))}));
        f.dlg.onPushButtonSearchClicked();
        const auto cells = [&](const char *col) { return storedCells(col, tags); };
        Modals modals;
        QStringList said;
        for (const char *col : {"UNIT", "DOT_NO"}) {
            const QString find = QLatin1String(col) == QLatin1String("UNIT") ? QStringLiteral("k") : QStringLiteral("1");
            const QString by = QLatin1String(col) == QLatin1String("UNIT") ? QStringLiteral("M") : QStringLiteral("3");
            const QStringList before = cells(col);
            selectRows(f.view(), {0, 1, 2}, colOf("FES_ANALOG.xml", col));
            f.ops()->findAndReplace(find, by, f.ops()->selection());
            said << modals.boxes.value(modals.boxes.size() - 1);
            QStringList wanted = before;
            wanted[0] = QString(before.at(0)).replace(find, by);
            QCOMPARE(cells(col), wanted);
            f.dlg.onUndoLastBatch();
            said << modals.boxes.value(modals.boxes.size() - 1);
            QCOMPARE(cells(col), before);
        }
        QCOMPARE(said, repeated(4, QStringLiteral("消息|修改成功!")));
        // Nothing but empty cells: nothing to write.
        selectRows(f.view(), {1, 2}, colOf("FES_ANALOG.xml", "UNIT"));
        f.ops()->findAndReplace(QStringLiteral("k"), QStringLiteral("M"), f.ops()->selection());
        QCOMPARE(modals.boxes.last(), QStringLiteral("消息|选中的单元格都是空的，未做任何修改。"));
    }

    // 取相同值 accepted with nothing typed gives a null text: it is the empty text all the way,
    // checked against a number column like any other value, and its undo finds the cells it wrote.
    void emptySameValueIsTheEmptyText_data() { addBackendRows(); }
    void emptySameValueIsTheEmptyText()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        QVERIFY(f.model()->rowCount() >= 3);
        const QStringList tags{f.tag(0), f.tag(1), f.tag(2)};
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET UNIT = 'kV', DOT_NO = 12 WHERE TAG_NAME IN ('%1', '%2')").arg(tags.at(0), tags.at(1)),
                     QStringLiteral("UPDATE fes_analog SET UNIT = NULL WHERE TAG_NAME = '%1'").arg(tags.at(2))}));
        f.dlg.onPushButtonSearchClicked();
        const auto cells = [&](const char *col) { return storedCells(col, tags); };
        Modals modals;

        const QStringList dots = cells("DOT_NO");
        selectRows(f.view(), {0, 1, 2}, colOf("FES_ANALOG.xml", "DOT_NO"));
        f.ops()->sameValue(QString(), f.ops()->selection());
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("不是整数")), qPrintable(modals.boxes.first()));
        QCOMPARE(cells("DOT_NO"), dots);
        QVERIFY(!f.ops()->undoAction()->isVisible());

        modals.boxes.clear();
        const QStringList units = cells("UNIT");
        selectRows(f.view(), {0, 1, 2}, colOf("FES_ANALOG.xml", "UNIT"));
        f.ops()->sameValue(QString(), f.ops()->selection());
        QCOMPARE(cells("UNIT"), repeated(3, QString()));
        f.dlg.onUndoLastBatch();
        QCOMPARE(modals.boxes, repeated(2, QStringLiteral("消息|修改成功!")));
        QCOMPARE(cells("UNIT"), units);
    }

    // A batch on a column the search or a filter reads moves rows out of the result: the table
    // shows and counts the rows that are left, with no empty rows in place of those gone, and
    // a batch on all of them runs; the undo brings them back.
    void batchMovingRowsOutOfTheSearch_data() { addBackendRows(); }
    void batchMovingRowsOutOfTheSearch()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        QVERIFY(f.settled());
        const int rows = f.model()->rowCount();
        QVERIFY(rows > 3);
        const QLabel *counts = f.dlg.findChild<QLabel *>(QStringLiteral("label_rowCount"));
        QTRY_COMPARE(counts->text(), QStringLiteral("共 %1 条，选中 0 条").arg(rows));
        const auto tags = [&f] {
            QStringList shown;
            for (int r = 0; r < f.model()->rowCount(); ++r)
                shown << f.tag(r);
            return shown;
        };
        const QStringList before = tags();
        Modals modals;

        selectRows(f.view(), {0, 1}, colOf("FES_ANALOG.xml", "DEV_TAG"));
        f.ops()->sameValue(QStringLiteral("elsewhere"), f.ops()->selection());
        QVERIFY(f.settled());
        QTRY_VERIFY2(counts->text().startsWith(QStringLiteral("共 %1 条，").arg(rows - 2)), qPrintable(counts->text()));
        QCOMPARE(tags(), before.mid(2));
        f.dlg.onUndoLastBatch();
        QVERIFY(f.settled());
        QTRY_VERIFY2(counts->text().startsWith(QStringLiteral("共 %1 条，").arg(rows)), qPrintable(counts->text()));
        QCOMPARE(tags(), before);

        // The same through a filter of the editor.
        const int desc = colOf("FES_ANALOG.xml", "DESCRIPTION");
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET DESCRIPTION = 'keep' WHERE TAG_NAME IN ('%1', '%2', '%3')")
                         .arg(before.at(0), before.at(1), before.at(2))}));
        f.filterColumn(0)->setCurrentIndex(f.filterColumn(0)->findText(f.model()->headerData(desc, Qt::Horizontal).toString()));
        f.filter(0)->setText(QStringLiteral("keep"));
        QVERIFY(f.settled());
        QTRY_VERIFY2(counts->text().startsWith(QStringLiteral("共 3 条，")), qPrintable(counts->text()));
        selectRows(f.view(), {0}, desc);
        f.ops()->sameValue(QStringLiteral("gone"), f.ops()->selection());
        QVERIFY(f.settled());
        QTRY_VERIFY2(counts->text().startsWith(QStringLiteral("共 2 条，")), qPrintable(counts->text()));
        QCOMPARE(tags(), before.mid(1, 2));
        selectRows(f.view(), {0, 1}, colOf("FES_ANALOG.xml", "UNIT"));
        f.ops()->sameValue(QStringLiteral("kV"), f.ops()->selection());
        QCOMPARE(modals.boxes, repeated(4, QStringLiteral("消息|修改成功!")));
        QCOMPARE(stored("fes_analog", "UNIT", before.at(2)), QStringLiteral("kV"));
    }

    // Every row selected, most never read onto the table; another session adds a row among those
    // not read: the selected rows are no longer those rows, and the batch changes nothing.
    void selectAllNoticesRowsAddedAmongRowsNotRead_data() { addBackendRows(); }
    void selectAllNoticesRowsAddedAmongRowsNotRead()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend, true));
        Fes f;
        f.dlg.show();
        f.search(QStringLiteral("模拟量"), QStringLiteral("1"), kAll);
        QVERIFY(f.settled());
        const QString where = f.dlg.deviceCondition();
        const QString inOrder = "SELECT %1 FROM fes_analog WHERE " + where + " ORDER BY TAG_NAME";
        const QStringList tags = column(inOrder.arg(QStringLiteral("TAG_NAME")));
        QVERIFY2(tags.size() > 2 * OrvTableModel::WindowRows, qPrintable(QString::number(tags.size())));
        const int dot = colOf("FES_ANALOG.xml", "DOT_NO");
        f.view()->setCurrentIndex(f.model()->index(0, dot));
        QTest::keyClick(f.view(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(SelectedRows::count(f.ops()->selection().rows), tags.size());
        const QString middle = tags.at(tags.size() - OrvTableModel::WindowRows / 2);
        QVERIFY(f.dlg.findChild<OrvTableModel *>()->heldRow(tags.size() - OrvTableModel::WindowRows / 2).isEmpty());
        QVERIFY(run({QStringLiteral("INSERT INTO fes_analog (TAG_NAME, DESCRIPTION, RTU_TAG, DEV_TAG, LOCATION_ID, SUB_SYSTEM, DOT_NO) "
                                    "SELECT '%1.new', DESCRIPTION, RTU_TAG, DEV_TAG, LOCATION_ID, SUB_SYSTEM, 4242 FROM fes_analog "
                                    "WHERE TAG_NAME = '%1'").arg(middle)}));
        const QStringList dots = column(inOrder.arg(QStringLiteral("COALESCE(DOT_NO, -7)")));
        Modals modals;
        f.ops()->increment(QStringLiteral("%1"), 0, f.ops()->selection());
        QCOMPARE(stored("fes_analog", "DOT_NO", middle + ".new"), QStringLiteral("4242"));
        QCOMPARE(column(inOrder.arg(QStringLiteral("COALESCE(DOT_NO, -7)"))), dots);
        QCOMPARE(modals.boxes.size(), 1);
        QVERIFY2(modals.boxes.first().contains(QStringLiteral("未做任何修改")), qPrintable(modals.boxes.first()));
    }

    // The filters are part of the query on every database: letter case as typed, a text taken
    // literally, a number by its text, and two filters together.
    void filtersOnEveryDatabase_data() { addBackendRows(); }
    void filtersOnEveryDatabase()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET DOT_NO = 710 WHERE TAG_NAME = '%1.QF01_Ia'").arg(kRtu1)}));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        QCOMPARE(f.model()->rowCount(), 8);
        // The rows the first filter leaves once they are read; -1 when they never came.
        const auto rowsFor = [&f](const QString &text) {
            f.filter(0)->setText(text);
            return f.settled() ? f.model()->rowCount() : -1;
        };
        QCOMPARE(rowsFor(QStringLiteral("_ia")), 0);
        QCOMPARE(rowsFor(QStringLiteral("_Ia")), 2);
        QCOMPARE(rowsFor(QStringLiteral("%")), 0);
        QVERIFY(rowsFor(QStringLiteral("_I")) >= 0);
        const int dot = colOf("FES_ANALOG.xml", "DOT_NO");
        f.filterColumn(1)->setCurrentIndex(f.filterColumn(1)->findText(f.model()->headerData(dot, Qt::Horizontal).toString()));
        f.filter(1)->setText(QStringLiteral("71"));
        QVERIFY(f.settled());
        QCOMPARE(f.model()->rowCount(), 1);
        QCOMPARE(f.tag(0), kRtu1 + QStringLiteral(".QF01_Ia"));
        f.filter(0)->clear();
        QVERIFY(f.settled());
        f.filter(1)->clear();
        QVERIFY(f.settled());
        QCOMPARE(f.model()->rowCount(), 8);
    }

    // ---- The back-stage editor -------------------------------------------------------------

    void backEditorAtStart()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Back b;
        QCOMPARE(comboData(b.box("comboBox_location")), (QStringList{"1", "2", "3"}));
        QStringList subsystems = comboData(b.box("comboBox_subSystem"));
        subsystems.sort();
        QCOMPARE(subsystems, (QStringList{"4", "5", "6"}));
        const QString sub = b.box("comboBox_subSystem")->currentData().toString();
        const QString tag = sub == "4" ? "PSCADA" : sub == "5" ? "BAS" : "FAS";
        QCOMPARE(comboData(b.box("comboBox_devGroup")), (QStringList{kAll, "STA01." + tag + "1", "STA01." + tag + "2"}));
        QCOMPARE(b.box("comboBox_devGroup")->itemText(0), QStringLiteral("所有"));
        QCOMPARE(comboData(b.box("comboBox_dev")).size(), 5);
        QCOMPARE(comboData(b.box("comboBox_rtu")), (QStringList{kAll, "STA01." + tag + ".CH01.RTU01", "STA01." + tag + ".CH01.RTU02"}));
        QCOMPARE(b.box("comboBox_rtu")->itemText(1), QStringLiteral("RTU01"));
        QStringList types;
        for (int i = 0; i < b.box("comboBox_pointType")->count(); ++i)
            types << b.box("comboBox_pointType")->itemText(i) + '=' + b.box("comboBox_pointType")->itemData(i).toString();
        QCOMPARE(types, (QStringList{"模拟量=1", "数字量=2", "累积量=0", "混合量=3"}));
        QStringList tabs;
        for (int t = 0; t < b.dlg.tabWidget()->count(); ++t)
            tabs << b.dlg.tabWidget()->tabText(t);
        QCOMPARE(tabs, (QStringList{"基础属性", "前置属性", "限值属性", "控制属性"}));
        for (int t = 0; t < OrvBackPointPatch::TabCount; ++t)
            QCOMPARE(b.model(t)->rowCount() + b.model(t)->columnCount(), 0);
        // Typing before any search filters nothing and reads no column.
        b.filter(0)->setText(QStringLiteral("x"));
        QVERIFY(b.settled());
        QCOMPARE(b.filterColumn(0)->count(), 0);
    }

    void backChoicesAndConditions()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Back b;
        b.place(QStringLiteral("2"), QStringLiteral("5"));
        b.place();
        const QStringList groups = comboData(b.box("comboBox_devGroup"));
        QCOMPARE(groups, (QStringList{kAll, "STA01.PSCADA1", "STA01.PSCADA2"})); // refreshed, not added to
        const QString devices = "'-1','STA01.PSCADA1_QF01','STA01.PSCADA1_QF02','STA01.PSCADA2_QF01','STA01.PSCADA2_QF02'";
        QCOMPARE(b.dlg.tabCondition(OrvBackPointPatch::TabBase),
                 "LOCATION_ID = '1' AND SUB_SYSTEM = '4' AND DEVICE IN (" + devices + ")");
        QCOMPARE(b.dlg.tabCondition(OrvBackPointPatch::TabFes),
                 "LOCATION_ID = '1' AND SUB_SYSTEM = '4' AND getBeforeLastDot(getAfterFirstDot(KEY_ID_TAG)) IN (" + devices + ")");
        choose(b.box("comboBox_devGroup"), QStringLiteral("STA01.PSCADA2"));
        QCOMPARE(comboData(b.box("comboBox_dev")), (QStringList{kAll, "STA01.PSCADA2_QF01", "STA01.PSCADA2_QF02"}));
        choose(b.box("comboBox_dev"), QStringLiteral("STA01.PSCADA2_QF01"));
        QCOMPARE(b.dlg.tabCondition(OrvBackPointPatch::TabBase),
                 QStringLiteral("LOCATION_ID = '1' AND SUB_SYSTEM = '4' AND DEVICE IN ('STA01.PSCADA2_QF01')"));

        // One RTU narrows every tab but the limits.
        choose(b.box("comboBox_devGroup"), kAll);
        choose(b.box("comboBox_rtu"), kRtu1);
        for (int t : {0, 1, 3})
            QVERIFY2(b.dlg.tabCondition(t).endsWith(" AND RTU_TAG = '" + kRtu1 + "'"), qPrintable(b.dlg.tabCondition(t)));
        QCOMPARE(b.dlg.tabCondition(OrvBackPointPatch::TabLimit),
                 "LOCATION_ID = '1' AND SUB_SYSTEM = '4' AND getBeforeLastDot(TAG_NAME) IN (" + devices + ")");
        b.search(QStringLiteral("模拟量"));
        QCOMPARE(b.rowCounts(), (QList<int>{8, 8, 16, 2}));

        // Quotes in a choice stay inside their value.
        QVERIFY(run({"UPDATE dev_info SET TAG_NAME = 'STA01.PSCADA1_Q''F' WHERE TAG_NAME = 'STA01.PSCADA1_QF01'",
                     "UPDATE analog SET DEVICE = 'STA01.PSCADA1_Q''F' WHERE DEVICE = 'STA01.PSCADA1_QF01'"}));
        choose(b.box("comboBox_devGroup"), QStringLiteral("STA01.PSCADA1"));
        choose(b.box("comboBox_dev"), QStringLiteral("STA01.PSCADA1_Q'F"));
        choose(b.box("comboBox_rtu"), kAll);
        QCOMPARE(b.dlg.tabCondition(OrvBackPointPatch::TabBase),
                 QStringLiteral("LOCATION_ID = '1' AND SUB_SYSTEM = '4' AND DEVICE IN ('STA01.PSCADA1_Q''F')"));
        b.search(QStringLiteral("模拟量"));
        QCOMPARE(b.model(0)->rowCount(), 4);
    }

    void backTabsPerPointType_data() { addBackendRows(); }
    void backTabsPerPointType()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Back b;
        b.place();
        const QList<QPair<QString, QList<int>>> expected{{"模拟量", {16, 16, 16, 4}},
                                                          {"数字量", {12, 12, 0, 4}},
                                                          {"累积量", {4, 4, 0, 0}},
                                                          {"混合量", {4, 4, 0, 4}}};
        for (const auto &e : expected) {
            b.search(e.first);
            QCOMPARE(b.rowCounts(), e.second);
            for (int t = 0; t < OrvBackPointPatch::TabCount; ++t)
                QCOMPARE(b.model(t)->columnCount() == 0, e.second.at(t) == 0 && t != 0 && t != 1);
        }
    }

    void backColumnsSortingAndFilters()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        QVERIFY(run({"UPDATE analog SET SEQ_NO = 10 WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Ia'",
                     "UPDATE analog SET SEQ_NO = 2 WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Ib'"}));
        Back b;
        b.place();
        b.search(QStringLiteral("模拟量"));
        QTableView *view = b.view(0);
        QAbstractItemModel *model = b.model(0);
        const int raw = colOf("ANALOG.xml", "RAW_CODE");
        QVERIFY(view->isColumnHidden(raw));
        QCOMPARE(b.filterColumn(0)->count(), model->columnCount() - 1);
        QVERIFY(!comboTexts(b.filterColumn(1)).contains(QStringLiteral("原始编码")));
        QCOMPARE(b.filterColumn(2)->itemData(3), QVariant(0));

        const int seq = colOf("ANALOG.xml", "SEQ_NO");
        view->sortByColumn(seq, Qt::AscendingOrder);
        QVERIFY(b.settled());
        QStringList order;
        for (int r = 0; r < model->rowCount(); ++r)
            if (text(model, r, 0).startsWith(QStringLiteral("STA01.PSCADA1_QF01.I")))
                order << text(model, r, seq);
        QCOMPARE(order, (QStringList{"2", "3", "10"}));

        // Two filters narrow together, case-sensitively; empty texts show every row again.
        const int desc = colOf("ANALOG.xml", "DESCRIPTION");
        b.filterColumn(1)->setCurrentIndex(comboTexts(b.filterColumn(1)).indexOf(QStringLiteral("描述")));
        b.filter(0)->setText(QStringLiteral("QF01."));
        QVERIFY(b.settled());
        b.filter(1)->setText(QStringLiteral("A相"));
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(view).size(), 2);
        for (int r : visibleRows(view))
            QVERIFY(text(model, r, 0).contains("QF01.") && text(model, r, desc).contains(QStringLiteral("A相")));
        b.filter(0)->setText(QStringLiteral("qf01."));
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(view).size(), 0);
        b.filter(0)->clear();
        QVERIFY(b.settled());
        b.filter(1)->clear();
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(view).size(), 16);

        // A tab change empties the texts and lists that tab's columns; no tab stays filtered unseen.
        b.filter(0)->setText(QStringLiteral("QF02"));
        QVERIFY(b.settled());
        b.dlg.tabWidget()->setCurrentIndex(OrvBackPointPatch::TabFes);
        QVERIFY(b.settled());
        QCOMPARE(b.filter(0)->text(), QString());
        QCOMPARE(comboTexts(b.filterColumn(0)), (QStringList{"关联标识", "描述", "位置", "专业", "前置RTU", "前置测点"}));
        b.filter(0)->setText(QStringLiteral("QF02"));
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(b.view(1)).size(), 8);
        b.dlg.tabWidget()->setCurrentIndex(OrvBackPointPatch::TabBase);
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(view).size(), 16);

        // A second search with another type lists its columns once.
        b.search(QStringLiteral("累积量"));
        QCOMPARE(comboTexts(b.filterColumn(0)), OrvTableDataMgr::getInstance()->createModel("ACCUML.xml")->getDescList());
        b.filter(0)->setText(QStringLiteral("QF02"));
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(view).size(), 2);
        // The limit tab has no columns for accumulators: filtering there reads nothing.
        b.dlg.tabWidget()->setCurrentIndex(OrvBackPointPatch::TabLimit);
        QVERIFY(b.settled());
        QCOMPARE(b.filterColumn(0)->count(), 0);
        b.filter(2)->setText(QStringLiteral("x"));
        QVERIFY(b.settled());
        QCOMPARE(b.model(2)->rowCount(), 0);
    }

    void backOperationsFollowTheSearch_data() { addBackendRows(); }
    void backOperationsFollowTheSearch()
    {
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Back b;
        b.place();
        b.search(QStringLiteral("模拟量"));
        const QString digital = column(QStringLiteral("SELECT DESCRIPTION FROM digital WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Pos'")).value(0);
        // Another point type chosen without searching again: the rows are still analog points.
        b.box("comboBox_pointType")->setCurrentText(QStringLiteral("累积量"));
        Modals modals;
        selectRows(b.view(0), {0, 1}, colOf("ANALOG.xml", "DESCRIPTION"));
        b.dlg.batchEdit()->sameValue(QStringLiteral("同"), b.dlg.batchEdit()->selection());
        QCOMPARE(stored("analog", "DESCRIPTION", text(b.model(0), 1, 0)), QStringLiteral("同"));
        QCOMPARE(stored("digital", "DESCRIPTION", "STA01.PSCADA1_QF01.Pos"), digital);

        // The limit tab, which accumulators lack, and the front-end tab keyed by KEY_ID_TAG.
        b.dlg.tabWidget()->setCurrentIndex(OrvBackPointPatch::TabLimit);
        QVERIFY(b.settled());
        b.view(2)->sortByColumn(0, Qt::AscendingOrder);
        QVERIFY(b.settled());
        b.filter(0)->setText(QStringLiteral("QF02.Ia"));
        QVERIFY(b.settled());
        QCOMPARE(visibleRows(b.view(2)).size(), 2);
        selectRows(b.view(2), allRows(b.view(2)), colOf("ANALOG_LIMIT_INFO.xml", "LIMIT_ENABLE"));
        b.dlg.onIncrementFrom0ToSelect();
        QCOMPARE(column("SELECT LIMIT_ENABLE FROM analog_limit_info WHERE TAG_NAME LIKE 'STA01.%QF02.Ia' ORDER BY TAG_NAME"),
                 (QStringList{"0", "1"}));
        b.dlg.tabWidget()->setCurrentIndex(OrvBackPointPatch::TabFes);
        QVERIFY(b.settled());
        selectRows(b.view(1), {3}, colOf("ANALOG_MAP_TO_FES.xml", "FES_TAG"));
        b.dlg.batchEdit()->sameValue(QStringLiteral("F'1"), b.dlg.batchEdit()->selection());
        QCOMPARE(stored("analog_map_to_fes", "FES_TAG", text(b.model(1), 3, 0), "KEY_ID_TAG"), QStringLiteral("F'1"));
        QCOMPARE(modals.boxes, repeated(3, QStringLiteral("消息|修改成功!")));
    }

    // ---- The front-end editor --------------------------------------------------------------

    void failedReadsSayTheirReason()
    {
        // A list or a search whose query fails says so under the table, with the database's
        // reason; it is never shown as an empty result.
        QVERIFY(freshDemo(Backend::SQLite));
        QVERIFY(run({"ALTER TABLE dev_group RENAME TO dev_group_gone", "ALTER TABLE fes_analog RENAME TO fes_analog_gone"}));
        Back b;
        const QLabel *backStatus = b.dlg.findChild<QLabel *>(QStringLiteral("label_status"));
        QVERIFY2(backStatus->text().contains(QStringLiteral("读取设备组失败")) && backStatus->text().contains(QStringLiteral("dev_group")),
                 qPrintable(backStatus->text()));
        QVERIFY(!backStatus->isHidden());

        Fes f;
        const QLabel *fesStatus = f.dlg.findChild<QLabel *>(QStringLiteral("label_status"));
        QVERIFY(fesStatus->isHidden());
        f.search(QStringLiteral("模拟量"));
        QVERIFY2(fesStatus->text().contains(QStringLiteral("读取测点失败")) && fesStatus->text().contains(QStringLiteral("fes_analog")),
                 qPrintable(fesStatus->text()));
        // The reason goes once the read works again.
        QVERIFY(run({"ALTER TABLE fes_analog_gone RENAME TO fes_analog"}));
        f.dlg.onPushButtonSearchClicked();
        QVERIFY(fesStatus->isHidden());
        QVERIFY(f.model()->rowCount() > 0);
    }

    void fesEditorAtStart()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        Fes f;
        QCOMPARE(comboData(f.box("comboBox_location")), (QStringList{kAll, "1", "2", "3"}));
        for (const char *name : {"comboBox_location", "comboBox_rtu", "comboBox_dev"})
            QCOMPARE(f.box(name)->currentText(), QStringLiteral("所有"));
        QVERIFY(!comboData(f.box("comboBox_subSystem")).contains(kAll));
        QStringList types;
        for (int i = 0; i < f.box("comboBox_pointType")->count(); ++i)
            types << f.box("comboBox_pointType")->itemText(i) + '=' + f.box("comboBox_pointType")->itemData(i).toString();
        QCOMPARE(types, (QStringList{"模拟量=1", "数字量=2", "累积量=0", "混合量=3", "模拟量控制=4", "数字量控制=5", "混合量控制=6"}));
        QCOMPARE(f.model()->rowCount() + f.model()->columnCount(), 0);
        f.filter(0)->setText(QStringLiteral("x"));
        QVERIFY(f.settled());
        QCOMPARE(f.model()->rowCount(), 0);
    }

    void fesDeviceChoices()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        QVERIFY(run({"DELETE FROM fes_dev_info WHERE RTU_TAG = 'STA01.PSCADA.CH01.RTU02'"}));
        Fes f;
        choose(f.box("comboBox_subSystem"), QStringLiteral("4"));
        // Every location and RTU: every device of the subsystem.
        QCOMPARE(comboData(f.box("comboBox_rtu")).size(), 1 + 3 * 2);
        const QStringList all = comboData(f.box("comboBox_dev"));
        QCOMPARE(all.size(), 1 + 10);
        QCOMPARE(all.first(), kAll);
        QCOMPARE(f.dlg.deviceCondition(), "SUB_SYSTEM = '4' AND DEV_TAG IN ('" + all.join("','") + "')");
        f.dlg.onPushButtonSearchClicked();
        QCOMPARE(f.model()->rowCount(), 40);

        choose(f.box("comboBox_location"), QStringLiteral("2"));
        QCOMPARE(comboData(f.box("comboBox_dev")).size(), 1 + 4);
        for (const QString &dev : comboData(f.box("comboBox_dev")).mid(1))
            QVERIFY2(dev.startsWith(QStringLiteral("STA02.")), qPrintable(dev));
        choose(f.box("comboBox_location"), QStringLiteral("1"));
        choose(f.box("comboBox_rtu"), kRtu1);
        choose(f.box("comboBox_dev"), kRtu1 + QStringLiteral(".QF02"));
        QCOMPARE(f.dlg.deviceCondition(), "SUB_SYSTEM = '4' AND DEV_TAG IN ('" + kRtu1 + ".QF02')");
        f.dlg.onPushButtonSearchClicked();
        QCOMPARE(f.model()->rowCount(), 4);

        // An RTU without devices offers only "所有", and finds nothing.
        choose(f.box("comboBox_rtu"), QStringLiteral("STA01.PSCADA.CH01.RTU02"));
        QCOMPARE(comboData(f.box("comboBox_dev")), QStringList{kAll});
        QCOMPARE(f.dlg.deviceCondition(), QStringLiteral("SUB_SYSTEM = '4' AND DEV_TAG IN ('-1')"));
        f.dlg.onPushButtonSearchClicked();
        QCOMPARE(f.model()->rowCount(), 0);
        QVERIFY(f.model()->columnCount() > 0);
    }

    void fesColumnsAndFilters()
    {
        QVERIFY(freshDemo(Backend::SQLite));
        QVERIFY(run({QStringLiteral("UPDATE fes_analog SET DOT_NO = 10 WHERE TAG_NAME = '%1.QF01_Ia'").arg(kRtu1),
                     QStringLiteral("UPDATE fes_analog SET DOT_NO = 2 WHERE TAG_NAME = '%1.QF01_Ib'").arg(kRtu1)}));
        Fes f;
        f.search(QStringLiteral("模拟量"));
        const QStringList analog = OrvTableDataMgr::getInstance()->createModel("FES_ANALOG.xml")->getDescList();
        QCOMPARE(comboTexts(f.filterColumn(2)), analog);
        f.filter(0)->setText(QStringLiteral("_ia"));
        QVERIFY(f.settled());
        QCOMPARE(visibleRows(f.view()).size(), 0);
        f.filter(0)->setText(QStringLiteral("_Ia"));
        QVERIFY(f.settled());
        QCOMPARE(visibleRows(f.view()).size(), 2);

        const int dot = colOf("FES_ANALOG.xml", "DOT_NO");
        f.filter(0)->setText(QStringLiteral("QF01_I"));
        QVERIFY(f.settled());
        f.view()->sortByColumn(dot, Qt::AscendingOrder);
        QVERIFY(f.settled());
        QStringList order;
        for (int r : visibleRows(f.view()))
            order << text(f.model(), r, dot);
        QCOMPARE(order, (QStringList{"2", "2", "10"}));

        // A new search, of another type, empties the filters and lists its own columns once.
        f.search(QStringLiteral("数字量控制"));
        QCOMPARE(f.filter(0)->text(), QString());
        QCOMPARE(visibleRows(f.view()).size(), f.model()->rowCount());
        QCOMPARE(comboTexts(f.filterColumn(0)), OrvTableDataMgr::getInstance()->createModel("FES_DIGITAL_CTRL.xml")->getDescList());
        // The filters follow the rows shown, not a point type chosen since.
        f.box("comboBox_pointType")->setCurrentText(QStringLiteral("模拟量"));
        f.filterColumn(1)->setCurrentIndex(colOf("FES_DIGITAL_CTRL.xml", "PULSE_WIDTH"));
        f.filter(1)->setText(QStringLiteral("nothing"));
        QVERIFY(f.settled());
        QCOMPARE(visibleRows(f.view()).size(), 0);
    }

    void wideCountsStayWhole_data() { addBackendRows(); }
    void wideCountsStayWhole()
    {
        // A 32-bit meter's full count does not fit an int: shown, sorted and written back whole.
        QFETCH(Backend, backend);
        QVERIFY(freshDemo(backend));
        Fes f;
        f.search(QStringLiteral("累积量"));
        QVERIFY(f.model()->rowCount() >= 2);
        const QString big = f.tag(0);
        const QString small = f.tag(1);
        QVERIFY(run({QStringLiteral("UPDATE fes_accuml SET FULL_VALUE = 4294967295 WHERE TAG_NAME = '%1'").arg(big),
                     QStringLiteral("UPDATE fes_accuml SET FULL_VALUE = 99999 WHERE TAG_NAME = '%1'").arg(small)}));
        f.dlg.onPushButtonSearchClicked();
        const int full = colOf("FES_ACCUML.xml", "FULL_VALUE");
        QCOMPARE(text(f.model(), f.row(big), full), QStringLiteral("4294967295"));
        f.view()->sortByColumn(full, Qt::AscendingOrder);
        QVERIFY(f.settled());
        QCOMPARE(f.tag(0), small);
        QCOMPARE(f.tag(1), big);

        // A wide number a batch stores sorts among those read; undo writes back what was read.
        Modals modals;
        selectRows(f.view(), {1}, full);
        f.ops()->sameValue(QStringLiteral("10000000000"), f.ops()->selection());
        f.view()->sortByColumn(full, Qt::AscendingOrder);
        QVERIFY(f.settled());
        QCOMPARE(f.tag(0), small);
        QCOMPARE(f.tag(1), big);
        f.ops()->undoLastBatch();
        QCOMPARE(modals.boxes, repeated(2, QStringLiteral("消息|修改成功!")));
        QCOMPARE(stored("fes_accuml", "FULL_VALUE", big), QStringLiteral("4294967295"));
    }

    // ---- The main window's entries ---------------------------------------------------------

    void mainWindowEntries_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("shown");
        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("switched on") << QByteArray("[login]\ndbtype=MySQL\n[ui]\nshowBatchEditors=true\n") << true;
        QTest::newRow("switched off") << QByteArray("[ui]\nshowBatchEditors=false\n") << false;
        QTest::newRow("corrupt") << QByteArray("[ui]\nshowBatchEditors=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1cQ)\n") << false;
    }
    void mainWindowEntries()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, shown);
        if (!ini.isEmpty())
            m_root->writeFile(QStringLiteral("etc/ModelConfig.ini"), ini);
        Common::initPath();
        QVERIFY(freshDemo(Backend::SQLite));
        MainWindow w;
        auto *back = w.findChild<QAction *>(QStringLiteral("action_bak"));
        auto *fes = w.findChild<QAction *>(QStringLiteral("action_fes"));
        QCOMPARE(back->isVisible(), shown);
        QCOMPARE(fes->isVisible(), shown);
        if (!shown)
            return;

        // Every use opens an editor of its own; a closed one is freed with its rows.
        QList<QPointer<QAbstractItemModel>> models;
        for (int i = 0; i < 20; ++i) {
            back->trigger();
            QList<OrvBackPointPatch *> open = w.findChildren<OrvBackPointPatch *>();
            QCOMPARE(open.size(), 1);
            OrvBackPointPatch *editor = open.first();
            QVERIFY(editor->isVisible() && !editor->isModal());
            editor->findChild<QComboBox *>(QStringLiteral("comboBox_location"))->setCurrentIndex(0);
            editor->onPushButtonSearchClicked();
            QVERIFY(editor->itemModel(0)->rowCount() > 0);
            models << editor->itemModel(0);
            editor->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY(std::all_of(models.begin(), models.end(), [](const QPointer<QAbstractItemModel> &m) { return m.isNull(); }));
        fes->trigger();
        fes->trigger();
        QCOMPARE(w.findChildren<OrvFesPointPatch *>().size(), 2);
    }
};

QTEST_MAIN(PointPatchTest)
#include "tst_pointpatch.moc"
